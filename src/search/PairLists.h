#pragma once

#include "search/PostingList.h"

#include <QStringView>
#include <QtGlobal>

#include <cstddef>
#include <functional>
#include <vector>

// The rows under each pair of neighbouring UTF-16 units, as coded lists (PostingList), for the
// pair index. Which pairs a row is listed under is up to the caller: the literal index lists
// every pair of a text, the loose index only the pairs its texts hold beyond the literal ones.
class PairLists {
public:
    // Writes the pair keys of a row to `keys` (cleared first); a key may come more than once.
    using RowPairs = std::function<void(qsizetype row, std::vector<quint32> &keys)>;

    static quint32 key(char16_t first, char16_t second)
    {
        return quint32(first) << 16 | quint32(second);
    }

    // Every pair of neighbouring units of `text`, and (last unit, U+0000), appended to `keys`.
    static void addTextPairs(QStringView text, std::vector<quint32> &keys);

    PairLists() = default;
    // Asks for each row's pairs twice, in row order: once to size the lists, once to write them.
    PairLists(qsizetype rowCount, const RowPairs &rowPairs);
    // The same lists made by `threads` threads, each listing a range of the rows with a RowPairs
    // of its own from `makeRowPairs` (called on that thread); the ranges' stretches of each list
    // are sized first, so that each thread writes its own in place.
    PairLists(qsizetype rowCount, const std::function<RowPairs()> &makeRowPairs, int threads);

    // The list under `key`; false when no row is listed there.
    bool find(quint32 key, PostingList *out) const;
    // Keys are sorted with the first unit in the high half: the keys of pairs that start with one
    // unit stand together, from firstWith(unit) on.
    std::size_t keyCount() const { return m_keys.size(); }
    std::size_t firstWith(char16_t unit) const;
    quint32 keyAt(std::size_t at) const { return m_keys[at]; }
    PostingList listAt(std::size_t at) const;
    std::size_t bytes() const;

private:
    std::vector<quint32> m_keys;       // sorted pair keys
    std::vector<quint32> m_listStart;  // m_keys.size() + 1: rows before each key's list
    std::vector<quint32> m_firstBlock; // m_keys.size() + 1: the first block of each list
    std::vector<quint32> m_blockLast;  // per block: its last row
    std::vector<quint32> m_blockStart; // per block: where its bytes start in m_bytes
    std::vector<quint8> m_bytes;       // the lists' row gaps, coded (see PostingList)
};
