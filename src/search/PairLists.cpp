#include "search/PairLists.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <thread>

namespace {

constexpr quint32 kNoRow = std::numeric_limits<quint32>::max();

// Open-addressing table from pair key to a number (a count, later a write position), used only
// while building. Slots are small so that a table for millions of pairs stays mostly in the
// cache; a value of 0 marks an empty slot, so stored values are kept at 1 or more.
class PairTable {
public:
    struct Slot {
        quint32 key;
        quint32 value;
        quint32 lastRow; // a row counts once however often it holds the pair
        quint32 bytes;   // size of its coded list, later where the next row is written
        quint32 block;   // the list's first block, for writing
        quint32 firstRow;
    };

    PairTable() : m_slots(std::size_t(1) << 16, Slot{0, 0, kNoRow, 0, 0, 0}), m_shift(64 - 16) {}

    std::size_t home(quint32 key) const
    {
        return std::size_t((quint64(key) * 0x9E3779B97F4A7C15ull) >> m_shift);
    }
    void prefetch(std::size_t at) const { __builtin_prefetch(&m_slots[at]); }

    // The slot of `key`, searched from its home slot; a new slot has value 0.
    Slot &slot(quint32 key, std::size_t at)
    {
        const std::size_t mask = m_slots.size() - 1;
        while (m_slots[at].value != 0 && m_slots[at].key != key)
            at = (at + 1) & mask;
        if (m_slots[at].value == 0) {
            m_slots[at].key = key;
            ++m_count;
        }
        return m_slots[at];
    }
    // Call before a batch of up to `batch` new keys, so that slots found stay valid.
    void reserveFor(std::size_t batch)
    {
        while ((m_count + batch) * 2 > m_slots.size())
            grow();
    }

    std::vector<Slot> &cells() { return m_slots; }

private:
    void grow()
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(old.size() * 2, Slot{0, 0, kNoRow, 0, 0, 0});
        --m_shift;
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot &s : old) {
            if (s.value == 0)
                continue;
            std::size_t at = home(s.key);
            while (m_slots[at].value != 0)
                at = (at + 1) & mask;
            m_slots[at] = s;
        }
    }

    std::vector<Slot> m_slots;
    int m_shift;
    std::size_t m_count = 0;
};

// The pair keys of one row and their home slots, which are prefetched: the table is far larger
// than the cache, and the misses then overlap. `keys` and `homes` are reused between rows. Room
// for new keys is made only when they may come: a slot found must stay where it is.
void pairsWithHomes(qsizetype row, const PairLists::RowPairs &rowPairs, bool newKeys,
                    PairTable &table, std::vector<quint32> &keys, std::vector<std::size_t> &homes)
{
    keys.clear();
    rowPairs(row, keys);
    if (newKeys)
        table.reserveFor(keys.size());
    homes.resize(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        homes[i] = table.home(keys[i]);
        table.prefetch(homes[i]);
    }
}

// Bytes of a row gap in 7-bit groups.
quint32 codedSize(quint32 gap)
{
    quint32 n = 1;
    while (gap >= 0x80) {
        gap >>= 7;
        ++n;
    }
    return n;
}

// Runs work(0) .. work(parts - 1), part 0 on this thread, and rethrows the first failure once
// all have ended.
void runParts(int parts, const std::function<void(int)> &work)
{
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(parts));
    std::vector<std::thread> threads;
    for (int part = 1; part < parts; ++part) {
        threads.emplace_back([&, part] {
            try {
                work(part);
            } catch (...) {
                failures[std::size_t(part)] = std::current_exception();
            }
        });
    }
    try {
        work(0);
    } catch (...) {
        failures[0] = std::current_exception();
    }
    for (std::thread &t : threads)
        t.join();
    for (const std::exception_ptr &failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace

void PairLists::addTextPairs(QStringView text, std::vector<quint32> &keys)
{
    const char16_t *u = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < n; ++i)
        keys.push_back(key(u[i], u[i + 1]));
    if (n > 0)
        keys.push_back(key(u[n - 1], 0));
}

PairLists::PairLists(qsizetype rowCount, const RowPairs &rowPairs)
    : PairLists(
          rowCount, [&rowPairs] { return rowPairs; }, 1)
{
}

PairLists::PairLists(qsizetype rowCount, const std::function<RowPairs()> &makeRowPairs, int threads)
{
    // Each thread takes a range of rows; a list is its rows from the first range, then from the
    // second, and so on, so each thread writes its own stretch of every list.
    const int parts = int(std::clamp<qsizetype>(threads, 1, qMax<qsizetype>(rowCount, 1)));
    std::vector<qsizetype> bounds;
    for (int part = 0; part <= parts; ++part)
        bounds.push_back(rowCount * part / parts);
    std::vector<PairTable> tables(static_cast<std::size_t>(parts));

    // Pass 1: how many rows of its range hold each pair, the first and last of them, and the
    // bytes of their gaps coded as though the range began the list.
    runParts(parts, [&](int part) {
        const RowPairs rowPairs = makeRowPairs();
        PairTable &table = tables[std::size_t(part)];
        std::vector<quint32> keys;
        std::vector<std::size_t> homes;
        for (qsizetype row = bounds[std::size_t(part)]; row < bounds[std::size_t(part) + 1];
             ++row) {
            pairsWithHomes(row, rowPairs, true, table, keys, homes);
            for (std::size_t i = 0; i < keys.size(); ++i) {
                PairTable::Slot &s = table.slot(keys[i], homes[i]);
                if (s.lastRow != quint32(row)) {
                    if (s.value == 0)
                        s.firstRow = quint32(row);
                    const quint32 gap = s.value == 0 ? quint32(row) : quint32(row) - s.lastRow - 1;
                    s.bytes += codedSize(gap);
                    s.lastRow = quint32(row);
                    ++s.value;
                }
            }
        }
    });

    // Keys in order, each with where its rows, blocks and bytes start. Each range's slot then
    // holds the rows before its stretch + 1, the list's first block, where its bytes go and the
    // row before its stretch, as writing the list on from there needs them.
    struct Entry {
        quint32 key;
        quint32 part;
        quint32 slot;
        bool operator<(const Entry &other) const
        {
            return key != other.key ? key < other.key : part < other.part;
        }
    };
    std::vector<Entry> order;
    for (std::size_t part = 0; part < tables.size(); ++part) {
        const std::vector<PairTable::Slot> &cells = tables[part].cells();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (cells[i].value != 0)
                order.push_back({cells[i].key, quint32(part), quint32(i)});
        }
    }
    std::sort(order.begin(), order.end());
    m_keys.reserve(order.size());
    m_listStart.reserve(order.size() + 1);
    m_firstBlock.reserve(order.size() + 1);
    quint64 rows = 0, blocks = 0, bytes = 0;
    for (std::size_t i = 0; i < order.size();) {
        const quint32 key = order[i].key;
        m_keys.push_back(key);
        m_listStart.push_back(quint32(rows));
        m_firstBlock.push_back(quint32(blocks));
        const quint64 listRows = rows;
        quint32 before = kNoRow;
        for (; i < order.size() && order[i].key == key; ++i) {
            PairTable::Slot &s = tables[order[i].part].cells()[order[i].slot];
            const quint32 count = s.value;
            quint32 size = s.bytes;
            if (before != kNoRow)
                size = size - codedSize(s.firstRow) + codedSize(s.firstRow - before - 1);
            const quint32 last = s.lastRow;
            s.value = quint32(rows - listRows) + 1;
            s.block = quint32(blocks);
            s.bytes = quint32(bytes);
            s.lastRow = before;
            before = last;
            rows += count;
            bytes += size;
        }
        blocks += (rows - listRows + PostingList::kBlock - 1) / PostingList::kBlock;
        // Jet files stop at 2 GB, far below these limits.
        if (rows >= kNoRow || bytes >= kNoRow)
            qFatal("PairLists: more pairs than a Jet file can hold");
    }
    m_listStart.push_back(quint32(rows));
    m_firstBlock.push_back(quint32(blocks));

    // Pass 2: the rows arrive in ascending order, so every stretch is written in order, after
    // the one before it. The slot's fields are read into locals before the bytes are written
    // and stored after: a byte store may alias them, and reloading them after every byte
    // stalls on the store.
    m_bytes.resize(bytes);
    m_blockLast.resize(blocks);
    m_blockStart.resize(blocks);
    runParts(parts, [&](int part) {
        const RowPairs rowPairs = makeRowPairs();
        PairTable &table = tables[std::size_t(part)];
        std::vector<quint32> keys;
        std::vector<std::size_t> homes;
        quint8 *const out = m_bytes.data();
        quint32 *const blockStart = m_blockStart.data();
        quint32 *const blockLast = m_blockLast.data();
        for (qsizetype row = bounds[std::size_t(part)]; row < bounds[std::size_t(part) + 1];
             ++row) {
            pairsWithHomes(row, rowPairs, false, table, keys, homes);
            const quint32 r = quint32(row);
            for (std::size_t i = 0; i < keys.size(); ++i) {
                PairTable::Slot &s = table.slot(keys[i], homes[i]);
                const quint32 last = s.lastRow;
                if (last == r)
                    continue;
                const quint32 n = s.value - 1;
                quint32 at = s.bytes;
                const std::size_t block = s.block + n / PostingList::kBlock;
                s.value = n + 2;
                s.lastRow = r;
                if (n % PostingList::kBlock == 0)
                    blockStart[block] = at;
                quint32 gap = n == 0 ? r : r - last - 1;
                while (gap >= 0x80) {
                    out[at++] = quint8(gap | 0x80);
                    gap >>= 7;
                }
                out[at++] = quint8(gap);
                s.bytes = at;
                // A block's last row is written when the block fills; the last block of each
                // list is finished below.
                if (n % PostingList::kBlock == PostingList::kBlock - 1)
                    blockLast[block] = r;
            }
        }
    });
    // The range that wrote a list's last row knows where its last block ends.
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + 1 < order.size() && order[i + 1].key == order[i].key)
            continue;
        const PairTable::Slot &s = tables[order[i].part].cells()[order[i].slot];
        m_blockLast[s.block + (s.value - 2) / PostingList::kBlock] = s.lastRow;
    }
    m_keys.shrink_to_fit();
    m_listStart.shrink_to_fit();
    m_firstBlock.shrink_to_fit();
}

bool PairLists::find(quint32 key, PostingList *out) const
{
    const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
    if (it == m_keys.end() || *it != key)
        return false;
    *out = listAt(std::size_t(it - m_keys.begin()));
    return true;
}

std::size_t PairLists::firstWith(char16_t unit) const
{
    return std::size_t(std::lower_bound(m_keys.begin(), m_keys.end(), key(unit, 0)) -
                       m_keys.begin());
}

PostingList PairLists::listAt(std::size_t at) const
{
    return PostingList(m_bytes.data(), m_blockLast.data() + m_firstBlock[at],
                       m_blockStart.data() + m_firstBlock[at],
                       qsizetype(m_listStart[at + 1] - m_listStart[at]));
}

std::size_t PairLists::bytes() const
{
    return (m_keys.capacity() + m_listStart.capacity() + m_firstBlock.capacity() +
            m_blockLast.capacity() + m_blockStart.capacity()) *
               sizeof(quint32) +
           m_bytes.capacity();
}
