#include "search/BigramIndex.h"

#include "search/PairRowsCursor.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <thread>

namespace {

// Looking up every pair of a 10,000-character paste would cost more than it saves: a sample
// spread over the fragment narrows the candidates as well, the text check does the rest.
constexpr qsizetype kMaxPairsLookedUp = 64;
constexpr int kListsIntersected = 4;

quint32 pairKey(char16_t first, char16_t second)
{
    return PairLists::key(first, second);
}

// A second thread pays for itself only on a large table: below this, starting it costs about
// as much as it saves.
constexpr qsizetype kRowsForSecondThread = 20000;

int listingThreads(qsizetype rows)
{
    if (rows < kRowsForSecondThread)
        return 1;
    return int(qBound(1u, std::thread::hardware_concurrency(), 2u));
}

} // namespace

BigramIndex::BigramIndex(PackedTexts texts)
    : BigramIndex(std::make_shared<const PackedTexts>(std::move(texts)))
{
}

BigramIndex::BigramIndex(std::shared_ptr<const IndexTexts> texts) : m_texts(std::move(texts))
{
    // Each thread reads the texts through a scratch string of its own.
    const auto makeRowPairs = [this] {
        return PairLists::RowPairs(
            [this, scratch = QString()](qsizetype row, std::vector<quint32> &keys) mutable {
                PairLists::addTextPairs(m_texts->text(row, scratch), keys);
            });
    };
    m_lists = std::make_shared<const PairLists>(m_texts->size(), makeRowPairs,
                                                listingThreads(m_texts->size()));
}

BigramIndex::BigramIndex(std::shared_ptr<const IndexTexts> texts,
                         std::shared_ptr<const PairLists> shared, PairLists extra,
                         const std::vector<quint32> &replacedRows,
                         std::vector<std::pair<quint32, quint32>> replacedPairs)
    : m_texts(std::move(texts)), m_lists(std::make_shared<const PairLists>(std::move(extra))),
      m_shared(std::move(shared)), m_replacedPairs(std::move(replacedPairs))
{
    if (!replacedRows.empty()) {
        m_replaced.assign(std::size_t(m_texts->size()), false);
        for (const quint32 row : replacedRows)
            m_replaced[row] = true;
    }
}

bool BigramIndex::postings(quint32 key, PairRows *out) const
{
    PostingList own, shared;
    const bool inOwn = m_lists->find(key, &own);
    const bool inShared = m_shared && m_shared->find(key, &shared);
    if (!inOwn && !inShared)
        return false;
    if (!m_shared) {
        *out = PairRows(own);
        return true;
    }
    qsizetype replaced = 0;
    const auto it = std::lower_bound(m_replacedPairs.begin(), m_replacedPairs.end(),
                                     std::pair<quint32, quint32>(key, 0));
    if (it != m_replacedPairs.end() && it->first == key)
        replaced = it->second;
    *out = PairRows(own, shared, m_replaced.empty() ? nullptr : &m_replaced, replaced);
    return !out->empty();
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
    std::vector<PairRows> lists;
    lists.reserve(std::size_t(looked));
    for (qsizetype s = 0; s < looked; ++s) {
        // Evenly spread positions, the first and the last pair always among them.
        const qsizetype i = looked == 1 ? 0 : s * (pairs - 1) / (looked - 1);
        PairRows p;
        if (!postings(pairKey(u[i], u[i + 1]), &p))
            return true; // a pair that no row holds: nothing can match
        lists.push_back(p);
    }
    std::sort(lists.begin(), lists.end(),
              [](const PairRows &a, const PairRows &b) { return a.size() < b.size(); });
    const std::size_t k = std::min<std::size_t>(lists.size(), kListsIntersected);

    // Leapfrog intersection from the top: every list walks down to the candidate, a list that
    // lacks it lowers the candidate to its own next row.
    std::vector<PairRowsCursor> cursors;
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
    // Rows replaced in the shared lists are read from them too: each row found is checked
    // against its text, so they can only cost a check.
    const QStringView unitText(&unit, 1);
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
    for (const PairLists *from : {m_lists.get(), m_shared.get()}) {
        if (!from)
            continue;
        for (std::size_t at = from->firstWith(unit);
             at < from->keyCount() && (from->keyAt(at) >> 16) == unit; ++at) {
            lists.push_back(from->listAt(at));
            cursorOf.push_back(-1);
            quint32 row = lists.back().last();
            if (row <= top || cursorFor(lists.size() - 1).atMost(top, &row))
                heap.emplace_back(row, lists.size() - 1);
        }
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

PairRows BigramIndex::rowsWithPair(char16_t first, char16_t second) const
{
    PairRows p;
    postings(pairKey(first, second), &p);
    return p;
}

std::size_t BigramIndex::bytes() const
{
    return m_texts->bytes() + m_lists->bytes() + m_replaced.capacity() / 8 +
           m_replacedPairs.capacity() * sizeof(m_replacedPairs[0]);
}
