#pragma once

#include "search/IndexTexts.h"
#include "search/PackedTexts.h"
#include "search/PairLists.h"
#include "search/PairRows.h"

#include <QStringView>

#include <functional>
#include <memory>
#include <vector>

// Finds the last text (highest row number) that contains a fragment, without scanning every
// row. The texts must already be normalised the way the fragments will be: the index compares
// UTF-16 units exactly.
//
// Each row is listed under every pair of neighbouring units it holds, plus (last unit, U+0000)
// so that each unit of the row starts some pair. A fragment of two or more units can only stand
// in rows listed under all of its pairs: the rarest lists are intersected from the high end
// down and each candidate is checked against the text, so the first confirmed candidate is the
// answer. A single unit c is found as the highest row under any pair that starts with c.
class BigramIndex {
public:
    explicit BigramIndex(PackedTexts texts);
    // The texts may be shared with their other users; the index only reads them.
    explicit BigramIndex(std::shared_ptr<const IndexTexts> texts);
    // An index of texts that hold nearly every pair another index's texts hold (the loose forms
    // of the folded texts: dropping blanks and punctuation keeps every other pair): a row is
    // listed under the other index's lists, except the rows in `replacedRows`, and under
    // `extra`, which must list every pair a row holds beyond those (all pairs of a replaced
    // row). `replacedPairs` counts, for each key, the replaced rows that `shared` lists there,
    // sorted by key, so that a list's size stays exact.
    BigramIndex(std::shared_ptr<const IndexTexts> texts, std::shared_ptr<const PairLists> shared,
                PairLists extra, const std::vector<quint32> &replacedRows,
                std::vector<std::pair<quint32, quint32>> replacedPairs);

    qsizetype size() const { return m_texts->size(); }
    qsizetype maxLength() const { return m_texts->maxLength(); }
    // The text of a row, valid while scratch is unchanged (see IndexTexts).
    QStringView text(qsizetype row, QString &scratch) const { return m_texts->text(row, scratch); }

    // Where in a text the fragment may stand.
    enum class Anchor { Anywhere, Start };

    // -1 when no row contains the fragment (at its start, for Anchor::Start) or the fragment is
    // empty.
    qsizetype findLast(QStringView fragment, Anchor anchor = Anchor::Anywhere) const;
    // The same among the rows before `before`: called again with the row found, it lists every
    // row that holds the fragment, last first.
    qsizetype findLastBefore(QStringView fragment, qsizetype before,
                             Anchor anchor = Anchor::Anywhere) const;
    // How many rows hold the fragment, counted from the last one down and no further than
    // `limit`: a fragment that a thousand questions hold needs no exact count.
    qsizetype countRows(QStringView fragment, qsizetype limit,
                        Anchor anchor = Anchor::Anywhere) const;
    // The same answer by reading every row from the last one back; the reference for tests.
    qsizetype findLastByScan(QStringView fragment, Anchor anchor = Anchor::Anywhere) const;

    // What this index holds beyond the lists it shares.
    std::size_t bytes() const;
    // Its lists, for an index built on top of this one.
    std::shared_ptr<const PairLists> lists() const { return m_lists; }

    // The rows, ascending, whose text holds the pair (first, second); empty when none does.
    PairRows rowsWithPair(char16_t first, char16_t second) const;

private:
    bool postings(quint32 key, PairRows *out) const;
    // Calls visit for each row holding the fragment, below `before`, last first, until it
    // returns false; false when it did.
    bool walkRowsDown(QStringView fragment, qsizetype before, Anchor anchor,
                      const std::function<bool(qsizetype)> &visit) const;
    bool walkUnitRowsDown(char16_t unit, qsizetype before, Anchor anchor,
                          const std::function<bool(qsizetype)> &visit) const;
    bool confirms(qsizetype row, QStringView fragment, Anchor anchor, QString &scratch) const;

    std::shared_ptr<const IndexTexts> m_texts;
    std::shared_ptr<const PairLists> m_lists;
    // For an index on top of another: its lists, and the rows that are not taken from them.
    std::shared_ptr<const PairLists> m_shared;
    std::vector<bool> m_replaced;                             // empty when no row is
    std::vector<std::pair<quint32, quint32>> m_replacedPairs; // key, replaced rows listed there
};
