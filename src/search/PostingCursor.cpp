#include "search/PostingCursor.h"

#include <algorithm>

void PostingCursor::load(qsizetype block)
{
    if (block == m_block)
        return;
    m_block = block;
    m_count = m_list.decodeBlock(block, m_rows.data());
    m_begin = 0;
    m_end = m_count;
}

bool PostingCursor::atMost(quint32 x, quint32 *row)
{
    if (m_list.empty())
        return false;
    // A fresh cursor answers from the block table when x is past the list: walks start at the
    // top of many lists and most of them are never read further.
    if (m_block < 0 && x >= m_list.last()) {
        *row = m_list.last();
        return true;
    }
    // Within the loaded block when its rows ahead reach down to x.
    if (m_block >= 0 && m_end > 0 && m_rows[0] <= x) {
        m_end = int(std::upper_bound(m_rows.begin(), m_rows.begin() + m_end, x) - m_rows.begin());
        *row = m_rows[m_end - 1];
        return true;
    }
    // Otherwise among the blocks below: the first whose last row passes x may still start at
    // or below it; if not, the answer is the last row of the block before.
    const qsizetype below = m_block >= 0 ? m_block : m_list.blocks();
    const quint32 *last = m_list.blockLasts();
    const qsizetype passing = std::upper_bound(last, last + below, x) - last;
    if (passing < below) {
        load(passing);
        if (m_rows[0] <= x) {
            m_end =
                int(std::upper_bound(m_rows.begin(), m_rows.begin() + m_count, x) - m_rows.begin());
            *row = m_rows[m_end - 1];
            return true;
        }
    }
    if (passing == 0) {
        m_end = 0;
        return false;
    }
    load(passing - 1);
    m_end = m_count;
    *row = m_rows[m_end - 1];
    return true;
}

bool PostingCursor::atLeast(quint32 x, quint32 *row)
{
    if (m_list.empty())
        return false;
    if (m_block >= 0 && m_begin < m_count && m_rows[m_count - 1] >= x) {
        m_begin = int(std::lower_bound(m_rows.begin() + m_begin, m_rows.begin() + m_count, x) -
                      m_rows.begin());
        *row = m_rows[m_begin];
        return true;
    }
    const qsizetype blocks = m_list.blocks();
    if (m_block >= blocks)
        return false;
    const qsizetype from = m_block >= 0 ? m_block + 1 : 0;
    const quint32 *last = m_list.blockLasts();
    const qsizetype reaching = std::lower_bound(last + from, last + blocks, x) - last;
    if (reaching >= blocks) {
        m_block = blocks; // past the end: nothing more ahead
        m_begin = m_count = 0;
        return false;
    }
    load(reaching);
    m_begin = int(std::lower_bound(m_rows.begin(), m_rows.begin() + m_count, x) - m_rows.begin());
    *row = m_rows[m_begin];
    return true;
}
