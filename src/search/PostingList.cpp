#include "search/PostingList.h"

#include <algorithm>

int PostingList::decodeBlock(qsizetype block, quint32 *out) const
{
    const int count = int(qMin<qsizetype>(kBlock, m_count - block * kBlock));
    const quint8 *p = m_bytes + m_blockStart[block];
    // The first row of a block is a gap from the last row of the block before.
    quint32 previous = block == 0 ? 0 : m_blockLast[block - 1] + 1;
    for (int i = 0; i < count; ++i) {
        quint32 gap = 0;
        for (int shift = 0;; shift += 7) {
            const quint8 b = *p++;
            gap |= quint32(b & 0x7F) << shift;
            if (!(b & 0x80))
                break;
        }
        out[i] = previous + gap;
        previous = out[i] + 1;
    }
    return count;
}

void PostingList::decodeAll(std::vector<quint32> &out) const
{
    out.resize(std::size_t(m_count));
    for (qsizetype b = 0; b < blocks(); ++b)
        decodeBlock(b, out.data() + b * kBlock);
}
