#include "data/LooseMatcher.h"

#include "data/LooseText.h"

#include <algorithm>
#include <span>
#include <vector>

namespace {

// Rows gathered beyond this many mean the fragment is made of the bank's commonest pairs only:
// no single question stands out, and checking them all would stall the input box.
constexpr std::size_t kMostCandidates = 20000;

// The fewest characters in which the fragment differs from an equally long stretch of the text,
// and where that stretch starts; more than `limit` counts as limit + 1.
qsizetype fewestWrong(QStringView text, QStringView fragment, qsizetype limit, qsizetype *at)
{
    const qsizetype n = fragment.size();
    const char16_t *f = fragment.utf16();
    const char16_t *t = text.utf16();
    qsizetype best = limit + 1;
    for (qsizetype start = 0; start + n <= text.size(); ++start) {
        qsizetype wrong = 0;
        for (qsizetype i = 0; i < n && wrong < best; ++i)
            wrong += t[start + i] != f[i];
        if (wrong < best) {
            best = wrong;
            *at = start;
            if (best == 0)
                break;
        }
    }
    return best;
}

} // namespace

LooseMatcher::LooseMatcher(PackedTexts looseTexts) : m_index(std::move(looseTexts)) {}

LooseMatcher::Match LooseMatcher::findLast(QStringView fragment) const
{
    const QString loose = looseFragment(fragment);
    if (loose.size() < kMinimumLength)
        return {};
    if (const qsizetype row = findLastLoose(loose); row >= 0)
        return {row, Pass::Loose};
    if (const qsizetype row = findSimilar(loose); row >= 0)
        return {row, Pass::Similar};
    return {};
}

qsizetype LooseMatcher::findLastLoose(QStringView looseFragment) const
{
    if (looseFragment.size() < kMinimumLength)
        return -1;
    return m_index.findLast(looseFragment);
}

qsizetype LooseMatcher::findSimilar(QStringView looseFragment) const
{
    const qsizetype n = looseFragment.size();
    const qsizetype allowed = qMin(kMostWrongCharacters, n / kCharactersPerWrongOne);
    if (allowed == 0 || n > m_index.texts().maxLength())
        return -1;

    // A text within `limit` wrong characters of the fragment keeps all but 2 * limit of the
    // fragment's pairs, so it stands in at least one of the 2 * limit + 1 shortest row lists of
    // the fragment's pairs. The limit reaches one beyond what is accepted, so that a close
    // second is seen and the answer withheld.
    const qsizetype limit = allowed + 1;
    const char16_t *f = looseFragment.utf16();
    std::vector<std::span<const quint32>> lists;
    lists.reserve(std::size_t(n - 1));
    for (qsizetype i = 0; i + 1 < n; ++i)
        lists.push_back(m_index.rowsWithPair(f[i], f[i + 1]));
    const std::size_t needed = std::min(lists.size(), std::size_t(2 * limit + 1));
    std::partial_sort(lists.begin(), lists.begin() + qsizetype(needed), lists.end(),
                      [](const auto &a, const auto &b) { return a.size() < b.size(); });
    std::vector<quint32> candidates;
    for (std::size_t j = 0; j < needed; ++j) {
        if (candidates.size() + lists[j].size() > kMostCandidates)
            return -1;
        candidates.insert(candidates.end(), lists[j].begin(), lists[j].end());
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());

    struct Near {
        qsizetype wrong;
        QStringView stretch;
    };
    std::vector<Near> near;
    for (const quint32 row : candidates) {
        const QStringView text = m_index.text(row);
        qsizetype at = 0;
        const qsizetype wrong = fewestWrong(text, looseFragment, limit, &at);
        if (wrong <= limit)
            near.push_back({wrong, text.mid(at, n)});
    }
    if (near.empty())
        return -1;
    const auto best = std::min_element(
        near.begin(), near.end(), [](const Near &a, const Near &b) { return a.wrong < b.wrong; });
    if (best->wrong > allowed)
        return -1;
    // Every text that comes as close, or one character closer than the limit, must hold the same
    // stretch: otherwise two questions are about as likely and guessing would mislead.
    for (const Near &other : near) {
        if (other.wrong <= best->wrong + 1 && other.stretch != best->stretch)
            return -1;
    }
    // As in the other passes, the last row holding that stretch.
    return m_index.findLast(best->stretch);
}
