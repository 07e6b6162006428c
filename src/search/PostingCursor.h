#pragma once

#include "search/PostingList.h"

#include <array>

// Walks one PostingList one way: downward with atMost, or upward with atLeast, never both.
// It keeps the block it last decoded, so a walk that moves a little at a time decodes each
// block once.
class PostingCursor {
public:
    explicit PostingCursor(const PostingList &list) : m_list(list) {}

    // The highest row <= x at or below where the cursor stands; false when there is none.
    bool atMost(quint32 x, quint32 *row);
    // The lowest row >= x at or above where the cursor stands; false when there is none.
    bool atLeast(quint32 x, quint32 *row);

private:
    void load(qsizetype block);

    PostingList m_list;
    qsizetype m_block = -1;     // the block in m_rows; -1 before the first
    int m_count = 0;            // rows of that block
    int m_begin = 0, m_end = 0; // rows [m_begin, m_end) of it are still ahead
    // Filled by load() before any read; left uninitialised, as walks make many cursors.
    std::array<quint32, PostingList::kBlock> m_rows;
};
