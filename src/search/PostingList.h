#pragma once

#include <QtGlobal>

#include <vector>

// The ascending row numbers under one key of the pair index, stored compactly: each row as the
// gap to the one before it, in 7-bit groups (a byte for most gaps of a common pair), in blocks
// of kBlock rows. Every block's last row and where its bytes start are kept apart, so a cursor
// (PostingCursor) skips to the block it needs by a binary search and decodes that block alone.
class PostingList {
public:
    static constexpr int kBlock = 64;

    PostingList() = default;
    PostingList(const quint8 *bytes, const quint32 *blockLast, const quint32 *blockStart,
                qsizetype count)
        : m_bytes(bytes), m_blockLast(blockLast), m_blockStart(blockStart), m_count(count)
    {
    }

    qsizetype size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    quint32 last() const { return m_blockLast[blocks() - 1]; }
    // Every row, ascending.
    void decodeAll(std::vector<quint32> &out) const;

    // Blocks of kBlock rows (the last one may be shorter), for PostingCursor.
    qsizetype blocks() const { return (m_count + kBlock - 1) / kBlock; }
    const quint32 *blockLasts() const { return m_blockLast; }
    // Writes the block's rows to `out` (room for kBlock); returns how many there are.
    int decodeBlock(qsizetype block, quint32 *out) const;

private:
    const quint8 *m_bytes = nullptr;
    const quint32 *m_blockLast = nullptr;
    const quint32 *m_blockStart = nullptr;
    qsizetype m_count = 0;
};
