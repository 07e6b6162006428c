#pragma once

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

    bool found() const { return row >= 0; }
};

// The whole lookup of one fragment: the text as typed first; when no question holds it, the
// stem of the block it may be (see QuestionBlock), then the tolerant passes on that stem (see
// LooseMatcher). When the block has options and several questions hold the stem, the options
// choose; a question whose options share none of the block's is another question and gets no
// answer.
namespace QuestionLookup {

LookupResult run(const QuestionTable &table, const QString &fragment);

} // namespace QuestionLookup
