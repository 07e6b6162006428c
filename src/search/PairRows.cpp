#include "search/PairRows.h"

#include <algorithm>
#include <iterator>

void PairRows::decodeAll(std::vector<quint32> &out) const
{
    m_own.decodeAll(out);
    if (m_shared.empty())
        return;
    std::vector<quint32> shared;
    m_shared.decodeAll(shared);
    if (m_skipped)
        std::erase_if(shared, [this](quint32 row) { return skips(row); });
    std::vector<quint32> own = std::move(out);
    out.clear();
    out.reserve(own.size() + shared.size());
    std::set_union(own.begin(), own.end(), shared.begin(), shared.end(), std::back_inserter(out));
}
