#include "search/PairRowsCursor.h"

#include <algorithm>
#include <limits>

bool PairRowsCursor::atMost(quint32 x, quint32 *row)
{
    quint32 own = 0, shared = 0;
    const bool hasOwn = m_own.atMost(x, &own);
    bool hasShared = m_shared.atMost(x, &shared);
    while (hasShared && m_rows.skips(shared))
        hasShared = shared > 0 && m_shared.atMost(shared - 1, &shared);
    if (!hasOwn && !hasShared)
        return false;
    *row = !hasShared ? own : !hasOwn ? shared : std::max(own, shared);
    return true;
}

bool PairRowsCursor::atLeast(quint32 x, quint32 *row)
{
    quint32 own = 0, shared = 0;
    const bool hasOwn = m_own.atLeast(x, &own);
    bool hasShared = m_shared.atLeast(x, &shared);
    while (hasShared && m_rows.skips(shared))
        hasShared =
            shared < std::numeric_limits<quint32>::max() && m_shared.atLeast(shared + 1, &shared);
    if (!hasOwn && !hasShared)
        return false;
    *row = !hasShared ? own : !hasOwn ? shared : std::min(own, shared);
    return true;
}
