#pragma once

#include "search/PairRows.h"
#include "search/PostingCursor.h"

// Walks the rows of a PairRows one way, as PostingCursor walks one list: both lists move
// together and each answer is the nearer of their rows.
class PairRowsCursor {
public:
    explicit PairRowsCursor(const PairRows &rows)
        : m_own(rows.own()), m_shared(rows.shared()), m_rows(rows)
    {
    }

    // The highest row <= x at or below where the cursor stands; false when there is none.
    bool atMost(quint32 x, quint32 *row);
    // The lowest row >= x at or above where the cursor stands; false when there is none.
    bool atLeast(quint32 x, quint32 *row);

private:
    PostingCursor m_own, m_shared;
    PairRows m_rows;
};
