#include "data/LooseMatcher.h"

#include "data/LooseText.h"

#include <algorithm>
#include <span>
#include <vector>

namespace {

// Rows gathered beyond this many mean the fragment is made of the bank's commonest pairs only:
// no single question stands out, and checking them all would stall the input box.
constexpr std::size_t kMostCandidates = 20000;

bool wordCharacter(char16_t u)
{
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z');
}

// Whether the differences look like misread characters rather than other words: a digit or a
// Latin letter differs in meaning (2018 and 2021, "W" and "C"), and two wrong characters side by
// side are a different word (参加 for 认为) more often than two misreadings.
bool plausiblySlipped(QStringView stretch, QStringView fragment)
{
    bool previousWrong = false;
    for (qsizetype i = 0; i < fragment.size(); ++i) {
        const char16_t a = stretch[i].unicode();
        const char16_t b = fragment[i].unicode();
        const bool wrong = a != b;
        if (wrong && (wordCharacter(a) || wordCharacter(b) || previousWrong))
            return false;
        previousWrong = wrong;
    }
    return true;
}

struct Closest {
    qsizetype wrong;     // fewest wrong characters over all stretches of the text
    qsizetype at;        // where that stretch starts
    qsizetype wrongKept; // the same over the stretches that can be an answer
    qsizetype atKept;
};

// How close the text comes to the fragment: the fewest characters in which the fragment differs
// from an equally long stretch of the text; more than `limit` counts as limit + 1. A stretch can
// be an answer only if its first and last characters are right or the stretch begins or ends the
// text there: a copy that runs on past a phrase the bank shares with it ("的国家秘密事项负" for
// "的国家秘密事项应当") differs exactly at its edge, and is another question.
Closest closest(QStringView text, QStringView fragment, qsizetype limit)
{
    const qsizetype n = fragment.size();
    const char16_t *f = fragment.utf16();
    const char16_t *t = text.utf16();
    const qsizetype last = text.size() - n;
    Closest c{limit + 1, -1, limit + 1, -1};
    for (qsizetype start = 0; start <= last; ++start) {
        qsizetype wrong = 0;
        for (qsizetype i = 0; i < n && wrong < c.wrongKept; ++i)
            wrong += t[start + i] != f[i];
        if (wrong >= c.wrong && wrong >= c.wrongKept)
            continue;
        // Below the larger best, so counted in full.
        if (wrong < c.wrong) {
            c.wrong = wrong;
            c.at = start;
        }
        const bool headRight = t[start] == f[0] || start == 0;
        const bool tailRight = t[start + n - 1] == f[n - 1] || start == last;
        if (wrong < c.wrongKept && headRight && tailRight &&
            plausiblySlipped(text.mid(start, n), fragment)) {
            c.wrongKept = wrong;
            c.atKept = start;
        }
    }
    return c;
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
    // Wrong characters accepted: one per kCharactersPerWrongOne, in a fragment long enough to
    // be told from the phrases questions share; a fragment that is a whole question may be a
    // little shorter, as no text runs on around it.
    const qsizetype byLength = qMin(kMostWrongCharacters, n / kCharactersPerWrongOne);
    const qsizetype allowedInside = n < kMinimumSimilarInside ? 0 : byLength;
    const qsizetype allowedWhole = n < kMinimumSimilarWhole ? 0 : qMax<qsizetype>(1, byLength);
    const qsizetype allowed = qMax(allowedInside, allowedWhole);
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
    Near best{limit + 1, {}};
    for (const quint32 row : candidates) {
        const QStringView text = m_index.text(row);
        const Closest c = closest(text, looseFragment, limit);
        if (c.wrong <= limit)
            near.push_back({c.wrong, text.mid(c.at, n)});
        const qsizetype accepted = text.size() == n ? allowedWhole : allowedInside;
        if (c.wrongKept <= accepted && c.wrongKept < best.wrong)
            best = {c.wrongKept, text.mid(c.atKept, n)};
    }
    if (best.wrong > allowed)
        return -1;
    // Every text that comes as close, or within one more wrong character, must hold the same
    // stretch: otherwise two questions are about as likely and guessing would mislead.
    for (const Near &other : near) {
        if (other.wrong <= best.wrong + 1 && other.stretch != best.stretch)
            return -1;
    }
    // As in the other passes, the last row holding that stretch.
    return m_index.findLast(best.stretch);
}
