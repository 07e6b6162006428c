#pragma once

#include "search/BigramIndex.h"
#include "search/IndexTexts.h"
#include "search/LooseTexts.h"

#include <QString>
#include <QStringView>

#include <memory>

// The passes that run when the literal lookup finds nothing, on the loose forms of the question
// texts (see LooseText), held in storage order and indexed like the literal texts.
//
// Second pass: the last row whose loose text holds the loose fragment (a short fragment only at
// the start of a text). Third pass, for copies with one or two wrong characters (OCR confusions
// such as 士/土): the row whose text holds a stretch that differs from the loose fragment in few
// characters, none of them a digit or a Latin letter, that read as misreadings rather than other
// words, when no other text comes within one more wrong character of the fragment (see
// findSimilar).
class LooseMatcher {
public:
    enum class Pass { None, Loose, Similar };
    struct Match {
        qsizetype row = -1;
        Pass pass = Pass::None;
        // For the similarity pass: the loose fragment, and the stretch of the row's loose text
        // it was taken for (equally long; they differ in the misread characters).
        QString copied;
        QString stretch;
    };

    // Shorter loose fragments match too much to be worth an answer.
    static constexpr qsizetype kMinimumLength = 4;
    // Shorter loose fragments are found only at the start of a question text.
    static constexpr qsizetype kMinimumAnywhere = 8;
    // The similarity pass accepts one misread character per this many loose characters (one at
    // least), at most kMostWrongCharacters; the fragment needs kMinimumSimilarInside loose
    // characters, or kMinimumSimilarWhole when it is a whole question text, which may also hold
    // a misread character per kCharactersPerWrongOneWhole, as no text runs on around it.
    static constexpr qsizetype kCharactersPerWrongOne = 5;
    static constexpr qsizetype kCharactersPerWrongOneWhole = 4;
    static constexpr qsizetype kMostWrongCharacters = 2;
    static constexpr qsizetype kMinimumSimilarInside = 8;
    static constexpr qsizetype kMinimumSimilarWhole = 6;

    explicit LooseMatcher(std::shared_ptr<const IndexTexts> looseTexts);
    // On top of the folded texts' pair lists, with the pairs the loose forms hold beyond them
    // (LooseTexts::pairsBeyondFolded, which may be built meanwhile on another thread).
    LooseMatcher(std::shared_ptr<const LooseTexts> looseTexts,
                 std::shared_ptr<const PairLists> foldedPairs, PairLists pairsBeyondFolded);

    // The fragment as the lookup takes it from the input box.
    Match findLast(QStringView fragment) const;
    // The two passes on a fragment already in loose form.
    qsizetype findLastLoose(QStringView looseFragment) const;
    // The row, and the stretch of its loose text taken for the fragment; -1 and empty for none.
    qsizetype findSimilar(QStringView looseFragment, QString *stretch = nullptr) const;

    const BigramIndex &index() const { return m_index; }
    std::size_t bytes() const { return m_index.bytes(); }

private:
    BigramIndex m_index;
};
