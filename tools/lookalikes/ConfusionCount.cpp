#include "ConfusionCount.h"

#include <algorithm>
#include <vector>

namespace {

enum class Step { Match, Substitute, Drop, Add };

bool isIdeograph(QChar c)
{
    return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF;
}

// The steps of one cheapest edit from `drawn` to `read`, in order.
std::vector<Step> alignment(const QString &drawn, const QString &read)
{
    const qsizetype n = drawn.size(), m = read.size();
    std::vector<int> cost(std::size_t((n + 1) * (m + 1)));
    auto at = [&](qsizetype i, qsizetype j) -> int & { return cost[std::size_t(i * (m + 1) + j)]; };
    for (qsizetype i = 0; i <= n; ++i)
        at(i, 0) = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        at(0, j) = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const int diagonal = at(i - 1, j - 1) + (drawn[i - 1] == read[j - 1] ? 0 : 1);
            at(i, j) = std::min({diagonal, at(i - 1, j) + 1, at(i, j - 1) + 1});
        }
    }
    std::vector<Step> steps;
    qsizetype i = n, j = m;
    while (i > 0 || j > 0) {
        if (i > 0 && j > 0 &&
            at(i, j) == at(i - 1, j - 1) + (drawn[i - 1] == read[j - 1] ? 0 : 1)) {
            steps.push_back(drawn[i - 1] == read[j - 1] ? Step::Match : Step::Substitute);
            --i;
            --j;
        } else if (i > 0 && at(i, j) == at(i - 1, j) + 1) {
            steps.push_back(Step::Drop);
            --i;
        } else {
            steps.push_back(Step::Add);
            --j;
        }
    }
    std::reverse(steps.begin(), steps.end());
    return steps;
}

} // namespace

void ConfusionCount::add(const QString &drawn, const QString &read)
{
    m_drawn += drawn.size();
    for (const QChar c : drawn)
        ++m_drawnOf[c.unicode()];
    const std::vector<Step> steps = alignment(drawn, read);
    qsizetype i = 0, j = 0;
    std::size_t k = 0;
    while (k < steps.size()) {
        if (steps[k] == Step::Match) {
            ++m_readRight;
            ++i;
            ++j;
            ++k;
            continue;
        }
        // A stretch of steps between matched characters (or the line's ends).
        std::size_t end = k;
        bool substitutionsOnly = true;
        while (end < steps.size() && steps[end] != Step::Match) {
            substitutionsOnly = substitutionsOnly && steps[end] == Step::Substitute;
            ++end;
        }
        const std::size_t length = end - k;
        const bool counted =
            substitutionsOnly && (length == 1 || m_stretches == Stretches::EqualLength);
        for (; k < end; ++k) {
            switch (steps[k]) {
            case Step::Substitute:
                if (counted && isIdeograph(drawn[i]) && isIdeograph(read[j]))
                    ++m_substitutions[{drawn[i].unicode(), read[j].unicode()}];
                ++i;
                ++j;
                break;
            case Step::Drop:
                ++i;
                break;
            case Step::Add:
                ++j;
                break;
            case Step::Match:
                break;
            }
        }
    }
}
