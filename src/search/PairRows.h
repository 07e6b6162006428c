#pragma once

#include "search/PostingList.h"

#include <vector>

// The rows that hold one pair: a list of the index's own, and for an index built on top of
// another one (the loose index on the literal one) the other's list too, less the rows whose
// texts differ from the other's (`skipped`: they are listed in full in the own list).
class PairRows {
public:
    PairRows() = default;
    explicit PairRows(PostingList own) : m_own(own) {}
    PairRows(PostingList own, PostingList shared, const std::vector<bool> *skipped,
             qsizetype skippedCount)
        : m_own(own), m_shared(shared), m_skipped(skipped), m_skippedCount(skippedCount)
    {
    }

    qsizetype size() const { return m_own.size() + m_shared.size() - m_skippedCount; }
    bool empty() const { return size() == 0; }
    // Every row, ascending, each once.
    void decodeAll(std::vector<quint32> &out) const;

    const PostingList &own() const { return m_own; }
    const PostingList &shared() const { return m_shared; }
    bool skips(quint32 row) const { return m_skipped && (*m_skipped)[row]; }

private:
    PostingList m_own, m_shared;
    const std::vector<bool> *m_skipped = nullptr;
    qsizetype m_skippedCount = 0;
};
