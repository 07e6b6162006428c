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
    };

    PairTable() : m_slots(std::size_t(1) << 16, Slot{0, 0, kNoRow}), m_shift(64 - 16) {}

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
        m_slots.assign(old.size() * 2, Slot{0, 0, kNoRow});
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

// Number of elements <= x among rows[0, end): the list is ascending, and the search gallops
// down from end because the intersection walks every list from its top.
qsizetype countAtMost(const quint32 *rows, qsizetype end, quint32 x)
{
    if (end == 0 || rows[end - 1] <= x)
        return end;
    qsizetype high = end - 1; // rows[high] > x
    qsizetype low = -1;
    for (qsizetype step = 1;; step *= 2) {
        const qsizetype probe = high - step;
        if (probe < 0)
            break;
        if (rows[probe] <= x) {
            low = probe;
            break;
        }
        high = probe;
    }
    return std::upper_bound(rows + low + 1, rows + high, x) - rows;
}

} // namespace

BigramIndex::BigramIndex(PackedTexts texts) : m_texts(std::move(texts))
{
    const qsizetype rowCount = m_texts.size();
    PairTable table;
    std::vector<quint32> keys;
    std::vector<std::size_t> homes;

    // Pass 1: how many rows hold each pair. The slots of a row's pairs are prefetched first:
    // the table is far larger than the cache, and the misses then overlap.
    for (qsizetype row = 0; row < rowCount; ++row) {
        table.reserveFor(std::size_t(m_texts.length(row)) + 1);
        rowPairs(m_texts.at(row), table, keys, homes);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            PairTable::Slot &s = table.slot(keys[i], homes[i]);
            if (s.lastRow != quint32(row)) {
                s.lastRow = quint32(row);
                ++s.value;
            }
        }
    }

    // Keys in order, each followed by its rows; each slot then holds its key's next write
    // position + 1. Jet files stop at 2 GB, so positions fit 32 bits with room to spare.
    std::vector<std::pair<quint32, quint32>> order; // key, slot
    std::vector<PairTable::Slot> &cells = table.cells();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].value != 0)
            order.emplace_back(cells[i].key, quint32(i));
    }
    std::sort(order.begin(), order.end());
    m_keys.reserve(order.size());
    m_starts.reserve(order.size() + 1);
    quint64 total = 0;
    for (const auto &[key, at] : order) {
        m_keys.push_back(key);
        m_starts.push_back(total);
        const quint32 count = cells[at].value;
        cells[at].value = quint32(total + 1);
        cells[at].lastRow = kNoRow;
        total += count;
    }
    m_starts.push_back(total);
    order = {};
    if (total >= kNoRow)
        qFatal("BigramIndex: more pairs than a Jet file can hold");

    // Pass 2: the rows arrive in ascending order, so every list comes out sorted.
    m_rows.resize(total);
    for (qsizetype row = 0; row < rowCount; ++row) {
        rowPairs(m_texts.at(row), table, keys, homes);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            PairTable::Slot &s = table.slot(keys[i], homes[i]);
            if (s.lastRow != quint32(row)) {
                s.lastRow = quint32(row);
                m_rows[s.value++ - 1] = quint32(row);
            }
        }
    }
}

bool BigramIndex::postings(quint32 key, Postings *out) const
{
    const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
    if (it == m_keys.end() || *it != key)
        return false;
    const std::size_t at = std::size_t(it - m_keys.begin());
    out->rows = m_rows.data() + m_starts[at];
    out->count = qsizetype(m_starts[at + 1] - m_starts[at]);
    return true;
}

bool BigramIndex::confirms(qsizetype row, QStringView fragment, Anchor anchor) const
{
    if (m_texts.length(row) < fragment.size())
        return false;
    const QStringView text = m_texts.at(row);
    return anchor == Anchor::Start ? text.startsWith(fragment) : text.contains(fragment);
}

qsizetype BigramIndex::findLast(QStringView fragment, Anchor anchor) const
{
    return findLastBefore(fragment, m_texts.size(), anchor);
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
    walkRowsDown(fragment, m_texts.size(), anchor, [&](qsizetype) { return ++count < limit; });
    return count;
}

bool BigramIndex::walkRowsDown(QStringView fragment, qsizetype before, Anchor anchor,
                               const std::function<bool(qsizetype)> &visit) const
{
    const qsizetype n = fragment.size();
    before = qMin(before, m_texts.size());
    if (n == 0 || n > m_texts.maxLength() || before <= 0)
        return true;
    if (n == 1)
        return walkUnitRowsDown(fragment.front().unicode(), before, anchor, visit);

    const char16_t *u = fragment.utf16();
    const qsizetype pairs = n - 1;
    const qsizetype looked = qMin(pairs, kMaxPairsLookedUp);
    std::vector<Postings> lists;
    lists.reserve(std::size_t(looked));
    for (qsizetype s = 0; s < looked; ++s) {
        // Evenly spread positions, the first and the last pair always among them.
        const qsizetype i = looked == 1 ? 0 : s * (pairs - 1) / (looked - 1);
        Postings p;
        if (!postings(pairKey(u[i], u[i + 1]), &p))
            return true; // a pair that no row holds: nothing can match
        lists.push_back(p);
    }
    std::sort(lists.begin(), lists.end(),
              [](const Postings &a, const Postings &b) { return a.count < b.count; });
    const std::size_t k = std::min<std::size_t>(lists.size(), kListsIntersected);

    // Leapfrog intersection from the top: every list walks down to the candidate, a list that
    // lacks it lowers the candidate to its own next row.
    std::vector<qsizetype> end(k);
    for (std::size_t j = 0; j < k; ++j)
        end[j] = lists[j].count;
    quint32 upper = quint32(before - 1);
    for (;;) {
        end[0] = countAtMost(lists[0].rows, end[0], upper);
        if (end[0] == 0)
            return true;
        const quint32 candidate = lists[0].rows[end[0] - 1];
        bool inAll = true;
        for (std::size_t j = 1; j < k; ++j) {
            end[j] = countAtMost(lists[j].rows, end[j], candidate);
            if (end[j] == 0)
                return true;
            const quint32 found = lists[j].rows[end[j] - 1];
            if (found != candidate) {
                upper = found;
                inAll = false;
                break;
            }
        }
        if (!inAll)
            continue;
        if (confirms(candidate, fragment, anchor) && !visit(candidate))
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
    struct Cursor {
        const quint32 *rows;
        qsizetype end; // rows[0, end) are still to come
    };
    std::vector<Cursor> heap;
    for (auto it = first; it != m_keys.end() && (*it >> 16) == unit; ++it) {
        const std::size_t at = std::size_t(it - m_keys.begin());
        const quint32 *rows = m_rows.data() + m_starts[at];
        const qsizetype end =
            countAtMost(rows, qsizetype(m_starts[at + 1] - m_starts[at]), quint32(before - 1));
        if (end > 0)
            heap.push_back({rows, end});
    }
    const auto lower = [](const Cursor &a, const Cursor &b) {
        return a.rows[a.end - 1] < b.rows[b.end - 1];
    };
    std::make_heap(heap.begin(), heap.end(), lower);
    qint64 last = -1;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), lower);
        Cursor &top = heap.back();
        const quint32 row = top.rows[--top.end];
        if (top.end == 0)
            heap.pop_back();
        else
            std::push_heap(heap.begin(), heap.end(), lower);
        if (qint64(row) == last)
            continue;
        last = row;
        if (confirms(row, unitText, anchor) && !visit(row))
            return false;
    }
    return true;
}

qsizetype BigramIndex::findLastByScan(QStringView fragment, Anchor anchor) const
{
    if (fragment.isEmpty())
        return -1;
    for (qsizetype row = m_texts.size() - 1; row >= 0; --row) {
        if (confirms(row, fragment, anchor))
            return row;
    }
    return -1;
}

std::span<const quint32> BigramIndex::rowsWithPair(char16_t first, char16_t second) const
{
    Postings p;
    if (!postings(pairKey(first, second), &p))
        return {};
    return {p.rows, std::size_t(p.count)};
}

std::size_t BigramIndex::bytes() const
{
    return m_texts.bytes() + m_keys.capacity() * sizeof(quint32) +
           m_starts.capacity() * sizeof(quint64) + m_rows.capacity() * sizeof(quint32);
}
