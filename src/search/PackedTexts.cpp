#include "search/PackedTexts.h"

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

template <typename T, typename D>
void resizeBuffer(std::unique_ptr<T[], D> &buffer, std::size_t count)
{
    void *moved = std::realloc(buffer.get(), std::max<std::size_t>(count, 1) * sizeof(T));
    if (!moved)
        throw std::bad_alloc();
    buffer.release();
    buffer.reset(static_cast<T *>(moved));
}

// Room for `needed` elements, growing by half again so that appends stay amortised.
template <typename T, typename D>
void ensureRoom(std::unique_ptr<T[], D> &buffer, std::size_t &capacity, std::size_t needed)
{
    if (needed <= capacity)
        return;
    const std::size_t grown = std::max(needed, capacity + capacity / 2 + 64);
    resizeBuffer(buffer, grown);
    capacity = grown;
}

} // namespace

PackedTexts::PackedTexts()
{
    startOffsets();
}

void PackedTexts::startOffsets()
{
    if (m_offsets)
        return;
    ensureRoom(m_offsets, m_offsetCapacity, 1);
    m_offsets[0] = 0;
}

PackedTexts::PackedTexts(PackedTexts &&other) noexcept
{
    *this = std::move(other);
}

// A moved-from set of texts is left empty but without buffers; it may only be destroyed or
// assigned to.
PackedTexts &PackedTexts::operator=(PackedTexts &&other) noexcept
{
    m_units = std::move(other.m_units);
    m_unitCount = std::exchange(other.m_unitCount, 0);
    m_unitCapacity = std::exchange(other.m_unitCapacity, 0);
    m_offsets = std::move(other.m_offsets);
    m_offsetCapacity = std::exchange(other.m_offsetCapacity, 0);
    m_rows = std::exchange(other.m_rows, 0);
    m_maxLength = std::exchange(other.m_maxLength, 0);
    return *this;
}

void PackedTexts::append(QStringView text)
{
    const std::size_t n = std::size_t(text.size());
    if (m_unitCount + n > std::numeric_limits<quint32>::max())
        throw std::length_error("PackedTexts: more text than a bank file can hold");
    startOffsets();
    ensureRoom(m_units, m_unitCapacity, m_unitCount + n);
    ensureRoom(m_offsets, m_offsetCapacity, std::size_t(m_rows) + 2);
    if (n > 0)
        std::memcpy(m_units.get() + m_unitCount, text.utf16(), n * sizeof(char16_t));
    m_unitCount += n;
    ++m_rows;
    m_offsets[m_rows] = quint32(m_unitCount);
    m_maxLength = qMax(m_maxLength, text.size());
}

void PackedTexts::shrinkToFit()
{
    // A shrinking realloc keeps the block where it is.
    if (m_unitCapacity > m_unitCount) {
        resizeBuffer(m_units, m_unitCount);
        m_unitCapacity = std::max<std::size_t>(m_unitCount, 1);
    }
    if (m_offsetCapacity > std::size_t(m_rows) + 1) {
        resizeBuffer(m_offsets, std::size_t(m_rows) + 1);
        m_offsetCapacity = std::size_t(m_rows) + 1;
    }
}

QStringView PackedTexts::at(qsizetype row) const
{
    const quint32 start = m_offsets[row];
    return QStringView(m_units.get() + start, qsizetype(m_offsets[row + 1] - start));
}

std::size_t PackedTexts::bytes() const
{
    return m_unitCapacity * sizeof(char16_t) + m_offsetCapacity * sizeof(quint32);
}
