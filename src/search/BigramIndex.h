#pragma once

#include "search/IndexTexts.h"
#include "search/PackedTexts.h"
#include "search/PostingCursor.h"
#include "search/PostingList.h"

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

    std::size_t bytes() const;

    // The rows, ascending, whose text holds the pair (first, second); empty when none does.
    PostingList rowsWithPair(char16_t first, char16_t second) const;

private:
    bool postings(quint32 key, PostingList *out) const;
    PostingList listAt(std::size_t at) const;
    // Calls visit for each row holding the fragment, below `before`, last first, until it
    // returns false; false when it did.
    bool walkRowsDown(QStringView fragment, qsizetype before, Anchor anchor,
                      const std::function<bool(qsizetype)> &visit) const;
    bool walkUnitRowsDown(char16_t unit, qsizetype before, Anchor anchor,
                          const std::function<bool(qsizetype)> &visit) const;
    bool confirms(qsizetype row, QStringView fragment, Anchor anchor, QString &scratch) const;

    std::shared_ptr<const IndexTexts> m_texts;
    std::vector<quint32> m_keys;       // sorted pair keys, first unit in the high half
    std::vector<quint32> m_listStart;  // m_keys.size() + 1: rows before each key's list
    std::vector<quint32> m_firstBlock; // m_keys.size() + 1: the first block of each list
    std::vector<quint32> m_blockLast;  // per block: its last row
    std::vector<quint32> m_blockStart; // per block: where its bytes start in m_bytes
    std::vector<quint8> m_bytes;       // the lists' row gaps, coded (see PostingList)
};
