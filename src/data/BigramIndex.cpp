#include "data/BigramIndex.h"

#include <algorithm>
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

// Open-addressing table from pair key to a counter and the last row that touched it, used
// only while building; it keeps the build to two passes without sorting each row's pairs.
class PairTable {
public:
    struct Slot {
        quint32 key;
        quint32 lastRow;
        quint64 value;
    };

    PairTable() : m_slots(1 << 16, Slot{0, kNoRow, 0}), m_used(1 << 16, false) {}

    Slot &slot(quint32 key)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        std::size_t i = index(key);
        while (m_used[i] && m_slots[i].key != key)
            i = (i + 1) & (m_slots.size() - 1);
        if (!m_used[i]) {
            m_used[i] = true;
            m_slots[i] = Slot{key, kNoRow, 0};
            ++m_count;
        }
        return m_slots[i];
    }

    template <typename F> void forEach(F f)
    {
        for (std::size_t i = 0; i < m_slots.size(); ++i)
            if (m_used[i])
                f(m_slots[i]);
    }

    std::size_t count() const { return m_count; }

private:
    std::size_t index(quint32 key) const
    {
        return (quint64(key) * 0x9E3779B97F4A7C15ull >> 20) & (m_slots.size() - 1);
    }

    void grow()
    {
        std::vector<Slot> old = std::move(m_slots);
        std::vector<bool> oldUsed = std::move(m_used);
        m_slots.assign(old.size() * 2, Slot{0, kNoRow, 0});
        m_used.assign(old.size() * 2, false);
        for (std::size_t i = 0; i < old.size(); ++i) {
            if (!oldUsed[i])
                continue;
            std::size_t j = index(old[i].key);
            while (m_used[j])
                j = (j + 1) & (m_slots.size() - 1);
            m_used[j] = true;
            m_slots[j] = old[i];
        }
    }

    std::vector<Slot> m_slots;
    std::vector<bool> m_used;
    std::size_t m_count = 0;
};

template <typename F> void forEachPair(QStringView text, F f)
{
    const char16_t *u = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < n; ++i)
        f(pairKey(u[i], u[i + 1]));
    if (n > 0)
        f(pairKey(u[n - 1], 0));
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
    // Pass 1: how many rows hold each pair (a row counts once however often it holds it).
    for (qsizetype row = 0; row < rowCount; ++row) {
        forEachPair(m_texts.at(row), [&](quint32 key) {
            PairTable::Slot &s = table.slot(key);
            if (s.lastRow != quint32(row)) {
                s.lastRow = quint32(row);
                ++s.value;
            }
        });
    }

    std::vector<std::pair<quint32, quint64>> counts;
    counts.reserve(table.count());
    table.forEach([&](PairTable::Slot &s) { counts.emplace_back(s.key, s.value); });
    std::sort(counts.begin(), counts.end());
    m_keys.reserve(counts.size());
    m_starts.reserve(counts.size() + 1);
    quint64 total = 0;
    for (const auto &[key, count] : counts) {
        m_keys.push_back(key);
        m_starts.push_back(total);
        total += count;
    }
    m_starts.push_back(total);
    counts = {};

    // Pass 2: the table now holds each key's write position; rows arrive in ascending order.
    table.forEach([&](PairTable::Slot &s) {
        const auto at = std::lower_bound(m_keys.begin(), m_keys.end(), s.key) - m_keys.begin();
        s.value = m_starts[std::size_t(at)];
        s.lastRow = kNoRow;
    });
    m_rows.resize(total);
    for (qsizetype row = 0; row < rowCount; ++row) {
        forEachPair(m_texts.at(row), [&](quint32 key) {
            PairTable::Slot &s = table.slot(key);
            if (s.lastRow != quint32(row)) {
                s.lastRow = quint32(row);
                m_rows[s.value++] = quint32(row);
            }
        });
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

qsizetype BigramIndex::findLastUnit(char16_t unit) const
{
    const auto first = std::lower_bound(m_keys.begin(), m_keys.end(), pairKey(unit, 0));
    qsizetype best = -1;
    for (auto it = first; it != m_keys.end() && (*it >> 16) == unit; ++it) {
        const std::size_t at = std::size_t(it - m_keys.begin());
        best = qMax(best, qsizetype(m_rows[m_starts[at + 1] - 1]));
    }
    return best;
}

bool BigramIndex::confirms(qsizetype row, QStringView fragment) const
{
    return m_texts.length(row) >= fragment.size() && m_texts.at(row).contains(fragment);
}

qsizetype BigramIndex::findLast(QStringView fragment) const
{
    const qsizetype n = fragment.size();
    if (n == 0 || n > m_texts.maxLength())
        return -1;
    if (n == 1)
        return findLastUnit(fragment.front().unicode());

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
            return -1; // a pair that no row holds: nothing can match
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
    quint32 upper = kNoRow;
    for (;;) {
        end[0] = countAtMost(lists[0].rows, end[0], upper);
        if (end[0] == 0)
            return -1;
        const quint32 candidate = lists[0].rows[end[0] - 1];
        bool inAll = true;
        for (std::size_t j = 1; j < k; ++j) {
            end[j] = countAtMost(lists[j].rows, end[j], candidate);
            if (end[j] == 0)
                return -1;
            const quint32 found = lists[j].rows[end[j] - 1];
            if (found != candidate) {
                upper = found;
                inAll = false;
                break;
            }
        }
        if (!inAll)
            continue;
        if (confirms(candidate, fragment))
            return candidate;
        if (candidate == 0)
            return -1;
        upper = candidate - 1;
    }
}

qsizetype BigramIndex::findLastByScan(QStringView fragment) const
{
    if (fragment.isEmpty())
        return -1;
    for (qsizetype row = m_texts.size() - 1; row >= 0; --row) {
        if (confirms(row, fragment))
            return row;
    }
    return -1;
}

std::size_t BigramIndex::bytes() const
{
    return m_texts.bytes() + m_keys.capacity() * sizeof(quint32) +
           m_starts.capacity() * sizeof(quint64) + m_rows.capacity() * sizeof(quint32);
}
