#include "jet/LongValueClaims.h"

#include "jet/JetFormat.h"

LongValueClaims::LongValueClaims(qint64 fileSize)
    : m_pages(quint64(qMax<qint64>(fileSize, 0)) / JetFormat::kPageSize)
{
}

bool LongValueClaims::claim(quint32 pointer)
{
    const quint64 page = pointer >> 8;
    if (page >= m_pages)
        return true;
    if (m_bits.empty())
        m_bits.assign(std::size_t((m_pages * 256 + 63) / 64), 0);
    quint64 &word = m_bits[pointer / 64];
    const quint64 bit = quint64(1) << (pointer % 64);
    if (word & bit)
        return false;
    word |= bit;
    return true;
}
