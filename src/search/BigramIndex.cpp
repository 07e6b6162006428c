#include "search/BigramIndex.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace {

constexpr quint32 kNoRow = std::numeric_limits<quint32>::max();
// Looking up every pair of a 10,000-character paste would cost more than it saves: a sample
// spread over the fragment narrows the candidates as well, the text check does the rest.
constexpr qsizetype kMaxPairsLookedUp = 64;
constexpr int kListsIntersected = 4;

quint32 pairKey(char16_t first, char16_t second)
{
    return quint32(first) << 16 | quint32(second);
}

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
    };

    PairTable() : m_slots(std::size_t(1) << 16, Slot{0, 0, kNoRow, 0, 0}), m_shift(64 - 16) {}

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
        m_slots.assign(old.size() * 2, Slot{0, 0, kNoRow, 0, 0});
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

// The pair keys of one text and their home slots, which are prefetched; `keys` and `homes` are
// reused between rows.
void rowPairs(QStringView text, const PairTable &table, std::vector<quint32> &keys,
              std::vector<std::size_t> &homes);

template <typename F> void forEachPair(QStringView text, F f)
{
    const char16_t *u = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < n; ++i)
        f(pairKey(u[i], u[i + 1]));
    if (n > 0)
        f(pairKey(u[n - 1], 0));
}

void rowPairs(QStringView text, const PairTable &table, std::vector<quint32> &keys,
              std::vector<std::size_t> &homes)
{
    keys.clear();
    forEachPair(text, [&](quint32 key) { keys.push_back(key); });
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

} // namespace

BigramIndex::BigramIndex(PackedTexts texts)
    : BigramIndex(std::make_shared<const PackedTexts>(std::move(texts)))
{
}

BigramIndex::BigramIndex(std::shared_ptr<const IndexTexts> texts) : m_texts(std::move(texts))
{
    const qsizetype rowCount = m_texts->size();
    PairTable table;
    std::vector<quint32> keys;
    std::vector<std::size_t> homes;
    QString scratch;

    // Pass 1: how many rows hold each pair, and the bytes of its coded list. The slots of a
    // row's pairs are prefetched first: the table is far larger than the cache, and the misses
    // then overlap.
    for (qsizetype row = 0; row < rowCount; ++row) {
        const QStringView text = m_texts->text(row, scratch);
        table.reserveFor(std::size_t(text.size()) + 1);
        rowPairs(text, table, keys, homes);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            PairTable::Slot &s = table.slot(keys[i], homes[i]);
            if (s.lastRow != quint32(row)) {
                const quint32 gap = s.value == 0 ? quint32(row) : quint32(row) - s.lastRow - 1;
                s.bytes += codedSize(gap);
                s.lastRow = quint32(row);
                ++s.value;
            }
        }
    }

    // Keys in order, each with where its rows, blocks and bytes start; each slot then holds the
    // rows written to its list + 1, where the list's blocks start and where its next bytes go.
    std::vector<std::pair<quint32, quint32>> order; // key, slot
    std::vector<PairTable::Slot> &cells = table.cells();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].value != 0)
            order.emplace_back(cells[i].key, quint32(i));
    }
    std::sort(order.begin(), order.end());
    m_keys.reserve(order.size());
    m_listStart.reserve(order.size() + 1);
    m_firstBlock.reserve(order.size() + 1);
    quint64 rows = 0, blocks = 0, bytes = 0;
    for (const auto &[key, at] : order) {
        PairTable::Slot &s = cells[at];
        m_keys.push_back(key);
        m_listStart.push_back(quint32(rows));
        m_firstBlock.push_back(quint32(blocks));
        const quint32 count = s.value;
        const quint32 size = s.bytes;
        s.value = 1;
        s.block = quint32(blocks);
        s.bytes = quint32(bytes);
        s.lastRow = kNoRow;
        rows += count;
        blocks += (count + PostingList::kBlock - 1) / PostingList::kBlock;
        bytes += size;
        // Jet files stop at 2 GB, far below these limits.
        if (rows >= kNoRow || bytes >= kNoRow)
            qFatal("BigramIndex: more pairs than a Jet file can hold");
    }
    m_listStart.push_back(quint32(rows));
    m_firstBlock.push_back(quint32(blocks));
    order = {};

    // Pass 2: the rows arrive in ascending order, so every list is written in order.
    m_bytes.resize(bytes);
    m_blockLast.resize(blocks);
    m_blockStart.resize(blocks);
    for (qsizetype row = 0; row < rowCount; ++row) {
        rowPairs(m_texts->text(row, scratch), table, keys, homes);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            PairTable::Slot &s = table.slot(keys[i], homes[i]);
            if (s.lastRow == quint32(row))
                continue;
            const quint32 n = s.value++ - 1;
            const std::size_t block = s.block + n / PostingList::kBlock;
            if (n % PostingList::kBlock == 0)
                m_blockStart[block] = s.bytes;
            quint32 gap = n == 0 ? quint32(row) : quint32(row) - s.lastRow - 1;
            while (gap >= 0x80) {
                m_bytes[s.bytes++] = quint8(gap | 0x80);
                gap >>= 7;
            }
            m_bytes[s.bytes++] = quint8(gap);
            m_blockLast[block] = quint32(row);
            s.lastRow = quint32(row);
        }
    }
}

PostingList BigramIndex::listAt(std::size_t at) const
{
    return PostingList(m_bytes.data(), m_blockLast.data() + m_firstBlock[at],
                       m_blockStart.data() + m_firstBlock[at],
                       qsizetype(m_listStart[at + 1] - m_listStart[at]));
}

bool BigramIndex::postings(quint32 key, PostingList *out) const
{
    const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
    if (it == m_keys.end() || *it != key)
        return false;
    *out = listAt(std::size_t(it - m_keys.begin()));
    return true;
}

bool BigramIndex::confirms(qsizetype row, QStringView fragment, Anchor anchor,
                           QString &scratch) const
{
    const QStringView text = m_texts->text(row, scratch);
    if (text.size() < fragment.size())
        return false;
    return anchor == Anchor::Start ? text.startsWith(fragment) : text.contains(fragment);
}

qsizetype BigramIndex::findLast(QStringView fragment, Anchor anchor) const
{
    return findLastBefore(fragment, m_texts->size(), anchor);
}

qsizetype BigramIndex::findLastBefore(QStringView fragment, qsizetype before, Anchor anchor) const
{
    qsizetype found = -1;
    walkRowsDown(fragment, before, anchor, [&](qsizetype row) {
        found = row;
        return false;
    });
    return found;
}

qsizetype BigramIndex::countRows(QStringView fragment, qsizetype limit, Anchor anchor) const
{
    qsizetype count = 0;
    walkRowsDown(fragment, m_texts->size(), anchor, [&](qsizetype) { return ++count < limit; });
    return count;
}

bool BigramIndex::walkRowsDown(QStringView fragment, qsizetype before, Anchor anchor,
                               const std::function<bool(qsizetype)> &visit) const
{
    const qsizetype n = fragment.size();
    before = qMin(before, m_texts->size());
    if (n == 0 || n > m_texts->maxLength() || before <= 0)
        return true;
    if (n == 1)
        return walkUnitRowsDown(fragment.front().unicode(), before, anchor, visit);

    const char16_t *u = fragment.utf16();
    const qsizetype pairs = n - 1;
    const qsizetype looked = qMin(pairs, kMaxPairsLookedUp);
    std::vector<PostingList> lists;
    lists.reserve(std::size_t(looked));
    for (qsizetype s = 0; s < looked; ++s) {
        // Evenly spread positions, the first and the last pair always among them.
        const qsizetype i = looked == 1 ? 0 : s * (pairs - 1) / (looked - 1);
        PostingList p;
        if (!postings(pairKey(u[i], u[i + 1]), &p))
            return true; // a pair that no row holds: nothing can match
        lists.push_back(p);
    }
    std::sort(lists.begin(), lists.end(),
              [](const PostingList &a, const PostingList &b) { return a.size() < b.size(); });
    const std::size_t k = std::min<std::size_t>(lists.size(), kListsIntersected);

    // Leapfrog intersection from the top: every list walks down to the candidate, a list that
    // lacks it lowers the candidate to its own next row.
    std::vector<PostingCursor> cursors;
    cursors.reserve(k);
    for (std::size_t j = 0; j < k; ++j)
        cursors.emplace_back(lists[j]);
    QString scratch;
    quint32 upper = quint32(before - 1);
    for (;;) {
        quint32 candidate = 0;
        if (!cursors[0].atMost(upper, &candidate))
            return true;
        bool inAll = true;
        for (std::size_t j = 1; j < k; ++j) {
            quint32 found = 0;
            if (!cursors[j].atMost(candidate, &found))
                return true;
            if (found != candidate) {
                upper = found;
                inAll = false;
                break;
            }
        }
        if (!inAll)
            continue;
        if (confirms(candidate, fragment, anchor, scratch) && !visit(candidate))
            return false;
        if (candidate == 0)
            return true;
        upper = candidate - 1;
    }
}

bool BigramIndex::walkUnitRowsDown(char16_t unit, qsizetype before, Anchor anchor,
                                   const std::function<bool(qsizetype)> &visit) const
{
    // The rows holding a unit are the union of the lists of every pair it starts: merged from
    // their tops through a heap, each row once, so that counting a common character stops
    // after the first rows instead of reading every list.
    const QStringView unitText(&unit, 1);
    const auto first = std::lower_bound(m_keys.begin(), m_keys.end(), pairKey(unit, 0));
    // A common character starts thousands of pairs, and a walk usually ends within the first
    // rows: a list gets a cursor only when the walk goes below its top row.
    std::vector<PostingList> lists;
    std::vector<PostingCursor> cursors;
    std::vector<int> cursorOf;
    std::vector<std::pair<quint32, std::size_t>> heap; // next row of a list, the list
    const auto cursorFor = [&](std::size_t list) -> PostingCursor & {
        if (cursorOf[list] < 0) {
            cursorOf[list] = int(cursors.size());
            cursors.emplace_back(lists[list]);
        }
        return cursors[std::size_t(cursorOf[list])];
    };
    const quint32 top = quint32(before - 1);
    for (auto it = first; it != m_keys.end() && (*it >> 16) == unit; ++it) {
        lists.push_back(listAt(std::size_t(it - m_keys.begin())));
        cursorOf.push_back(-1);
        quint32 row = lists.back().last();
        if (row <= top || cursorFor(lists.size() - 1).atMost(top, &row))
            heap.emplace_back(row, lists.size() - 1);
    }
    std::make_heap(heap.begin(), heap.end());
    QString scratch;
    qint64 last = -1;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end());
        auto &[row, list] = heap.back();
        const quint32 current = row;
        if (current == 0 || !cursorFor(list).atMost(current - 1, &row))
            heap.pop_back();
        else
            std::push_heap(heap.begin(), heap.end());
        if (qint64(current) == last)
            continue;
        last = current;
        if (confirms(current, unitText, anchor, scratch) && !visit(current))
            return false;
    }
    return true;
}

qsizetype BigramIndex::findLastByScan(QStringView fragment, Anchor anchor) const
{
    if (fragment.isEmpty())
        return -1;
    QString scratch;
    for (qsizetype row = m_texts->size() - 1; row >= 0; --row) {
        if (confirms(row, fragment, anchor, scratch))
            return row;
    }
    return -1;
}

PostingList BigramIndex::rowsWithPair(char16_t first, char16_t second) const
{
    PostingList p;
    postings(pairKey(first, second), &p);
    return p;
}

std::size_t BigramIndex::bytes() const
{
    return m_texts->bytes() +
           (m_keys.capacity() + m_listStart.capacity() + m_firstBlock.capacity() +
            m_blockLast.capacity() + m_blockStart.capacity()) *
               sizeof(quint32) +
           m_bytes.capacity();
}
