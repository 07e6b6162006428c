#include "search/LooseMatcher.h"

#include "search/Lookalikes.h"
#include "search/LooseText.h"
#include "search/PairRowsCursor.h"

#include <algorithm>
#include <vector>

namespace {

// A piece whose rarest pair stands in more rows than this is made of the bank's commonest words:
// it tells no question apart, and walking its rows would stall the input box.
constexpr std::size_t kLongestListWalked = 1000;
// Rows to compare with the fragment, at most.
constexpr std::size_t kMostCandidates = 500;

// Adds the rows listed under every pair of the piece: all rows that hold it, and some that only
// hold its pairs elsewhere. False when the piece is too common to list.
bool addRowsWithAllPairs(const BigramIndex &index, QStringView piece, std::vector<quint32> &out)
{
    const char16_t *u = piece.utf16();
    std::vector<PairRows> lists;
    for (qsizetype i = 0; i + 1 < piece.size(); ++i) {
        const PairRows rows = index.rowsWithPair(u[i], u[i + 1]);
        if (rows.empty())
            return true; // no row holds this pair, nor the piece
        lists.push_back(rows);
    }
    std::sort(lists.begin(), lists.end(),
              [](const auto &a, const auto &b) { return a.size() < b.size(); });
    if (std::size_t(lists.front().size()) > kLongestListWalked)
        return false;
    std::vector<quint32> rarest;
    lists.front().decodeAll(rarest);
    std::vector<PairRowsCursor> others;
    for (std::size_t j = 1; j < lists.size(); ++j)
        others.emplace_back(lists[j]);
    for (const quint32 row : rarest) {
        bool inAll = true;
        for (std::size_t j = 0; j < others.size() && inAll; ++j) {
            quint32 found = 0;
            if (!others[j].atLeast(row, &found))
                return true; // the rows ascend: no later row is in this list either
            inAll = found == row;
        }
        if (inAll)
            out.push_back(row);
    }
    return true;
}

struct Differences {
    qsizetype wrong = 0;
    // Whether every difference can be a misread character: a look-alike of the bank's character
    // that changes no number, negation or opposite (see Lookalikes). Any other replaced
    // character makes another question (越大 for 越小, 四级 for 三级).
    bool plausible = true;
};

Differences differences(QStringView stretch, QStringView fragment)
{
    Differences d;
    for (qsizetype i = 0; i < fragment.size(); ++i) {
        const char16_t a = stretch[i].unicode();
        const char16_t b = fragment[i].unicode();
        if (a == b)
            continue;
        ++d.wrong;
        d.plausible = d.plausible && Lookalikes::canBeMisread(a, b);
    }
    return d;
}

struct Closest {
    qsizetype wrong;     // fewest wrong characters over all stretches of the text
    qsizetype at;        // where that stretch starts
    qsizetype wrongKept; // the same over the stretches that can be an answer
    qsizetype atKept;
    Differences kept;
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
    Closest c{limit + 1, -1, limit + 1, -1, {}};
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
        if (wrong < c.wrongKept && headRight && tailRight) {
            const Differences d = differences(text.mid(start, n), fragment);
            if (d.plausible)
                c = {c.wrong, c.at, wrong, start, d};
        }
    }
    return c;
}

// How many misread characters a fragment of a given loose length may hold: one per
// kCharactersPerWrongOne, at most kMostWrongCharacters, in a fragment long enough to be told
// from the phrases questions share. A whole question may be shorter, as no text runs on around
// it.
struct Allowance {
    qsizetype inside = 0;
    qsizetype whole = 0;

    qsizetype most() const { return qMax(inside, whole); }
    bool accepts(const Differences &d, bool wholeText) const
    {
        // A kind of stretch that is allowed no misread character is not compared at all: its
        // exact copies are the loose pass's, anchored as that pass anchors them.
        const qsizetype allowed = wholeText ? whole : inside;
        return d.plausible && allowed > 0 && d.wrong <= allowed;
    }
};

Allowance allowanceFor(qsizetype n)
{
    using M = LooseMatcher;
    const auto byLength = [n](qsizetype per) {
        return qMin(M::kMostWrongCharacters, qMax<qsizetype>(1, n / per));
    };
    Allowance a;
    a.inside = n < M::kMinimumSimilarInside ? 0 : byLength(M::kCharactersPerWrongOne);
    a.whole = n < M::kMinimumSimilarWhole ? 0 : byLength(M::kCharactersPerWrongOneWhole);
    return a;
}

} // namespace

LooseMatcher::LooseMatcher(std::shared_ptr<const IndexTexts> looseTexts)
    : m_index(std::move(looseTexts))
{
}

LooseMatcher::LooseMatcher(std::shared_ptr<const LooseTexts> looseTexts,
                           std::shared_ptr<const PairLists> foldedPairs,
                           PairLists pairsBeyondFolded)
    : m_index(looseTexts, std::move(foldedPairs), std::move(pairsBeyondFolded),
              looseTexts->storedRows(), looseTexts->storedRowsInFoldedPairs())
{
}

LooseMatcher::Match LooseMatcher::findLast(QStringView fragment) const
{
    // A loose fragment longer than every question matches none; the similarity pass allows two
    // characters of slack, so stop a little past that.
    const qsizetype longest = m_index.maxLength() + 2;
    const QString loose = looseFragment(fragment, longest);
    if (loose.size() < kMinimumLength || loose.size() > longest)
        return {};
    if (const qsizetype row = findLastLoose(loose); row >= 0)
        return {row, Pass::Loose};
    QString stretch;
    if (const qsizetype row = findSimilar(loose, &stretch); row >= 0)
        return {row, Pass::Similar, loose, stretch};
    return {};
}

qsizetype LooseMatcher::findLastLoose(QStringView looseFragment) const
{
    if (looseFragment.size() < kMinimumLength)
        return -1;
    // A short piece from inside a question is a phrase many questions share ("的英文缩写是"
    // ends "人工智能的英文缩写是" and any other "…的英文缩写是"); only the start of a question,
    // which names its subject, or the whole of it tells them apart.
    const auto anchor = looseFragment.size() < kMinimumAnywhere ? BigramIndex::Anchor::Start
                                                                : BigramIndex::Anchor::Anywhere;
    return m_index.findLast(looseFragment, anchor);
}

qsizetype LooseMatcher::findSimilar(QStringView looseFragment, QString *stretch) const
{
    const qsizetype n = looseFragment.size();
    const Allowance allowance = allowanceFor(n);
    const qsizetype allowed = allowance.most();
    if (allowed == 0 || n > m_index.maxLength())
        return -1;

    // A text within `limit` wrong characters of the fragment holds at least one of limit + 1
    // pieces of the fragment unchanged, so it is among the rows that hold all pairs of a piece.
    // The limit reaches one beyond what is accepted, so that a close second is seen and the
    // answer withheld. A fragment too common to list its rows gets no answer.
    const qsizetype limit = allowed + 1;
    const qsizetype pieces = limit + 1;
    std::vector<quint32> candidates;
    for (qsizetype p = 0; p < pieces; ++p) {
        const qsizetype begin = p * n / pieces;
        const qsizetype end = (p + 1) * n / pieces;
        if (!addRowsWithAllPairs(m_index, looseFragment.mid(begin, end - begin), candidates) ||
            candidates.size() > kMostCandidates)
            return -1;
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());

    // Copies of the stretches: a row's loose text may live in a scratch string only.
    struct Near {
        qsizetype wrong;
        QString stretch;
    };
    std::vector<Near> near;
    Near best{limit + 1, {}};
    QString scratch;
    for (const quint32 row : candidates) {
        const QStringView text = m_index.text(row, scratch);
        const Closest c = closest(text, looseFragment, limit);
        if (c.wrong <= limit)
            near.push_back({c.wrong, text.mid(c.at, n).toString()});
        if (c.wrongKept < best.wrong && allowance.accepts(c.kept, text.size() == n))
            best = {c.wrongKept, text.mid(c.atKept, n).toString()};
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
    if (stretch)
        *stretch = best.stretch;
    return m_index.findLast(best.stretch);
}
