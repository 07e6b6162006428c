#pragma once

#include "search/BigramIndex.h"

#include <QString>

class QuestionTable;

// How a lookup found its row.
struct LookupResult {
    enum class Kind { Exact, Loose, Similar };

    qsizetype row = -1;
    Kind kind = Kind::Exact;
    // The stem was taken out of a copied block (number, labels, score or options around it).
    bool fromBlock = false;
    // For Kind::Similar: the stem's loose form, and the stretch of the row's loose text it was
    // taken for; they differ exactly in the misread characters.
    QString copied;
    QString stretch;

    // How many questions hold what the finding pass searched for, counted no further than
    // kMostCounted + 1 (shown as "1000+"): more than one tells the user to copy more. 1 when
    // the block's options chose among them.
    qsizetype matches = 0;
    // What that pass searched for, and in which texts, to step to the other questions.
    QString key;
    bool keyIsLoose = false;
    BigramIndex::Anchor anchor = BigramIndex::Anchor::Anywhere;

    static constexpr qsizetype kMostCounted = 1000;

    bool found() const { return row >= 0; }
    bool moreThanCounted() const { return matches > kMostCounted; }
};

// The whole lookup of one fragment: the text as typed first; when no question holds it, the
// stem of the block it may be (see QuestionBlock), then the tolerant passes on that stem (see
// LooseMatcher). When the block has options and several questions hold the stem, the options
// choose; a question whose options share none of the block's is another question and gets no
// answer.
namespace QuestionLookup {

// Inputs longer than this are not looked up: they are far longer than any question of the
// table, and a paste of a whole book gets the guidance at once rather than a long search.
// 100,000 characters, or more when the table holds questions of half that length.
qsizetype longestInput(const QuestionTable &table);
LookupResult run(const QuestionTable &table, const QString &fragment);
// The next older question than `row` that holds what the result's pass searched for; -1 when
// there is none or the options had chosen.
qsizetype olderMatch(const QuestionTable &table, const LookupResult &result, qsizetype row);

} // namespace QuestionLookup
