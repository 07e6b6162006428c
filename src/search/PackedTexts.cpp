#include "search/PackedTexts.h"

void PackedTexts::append(QStringView text)
{
    const char16_t *units = text.utf16();
    m_units.insert(m_units.end(), units, units + text.size());
    m_offsets.push_back(qsizetype(m_units.size()));
    m_maxLength = qMax(m_maxLength, text.size());
}

void PackedTexts::reserve(qsizetype count, qsizetype units)
{
    m_offsets.reserve(std::size_t(count) + 1);
    m_units.reserve(std::size_t(units));
}

void PackedTexts::shrinkToFit()
{
    m_units.shrink_to_fit();
    m_offsets.shrink_to_fit();
}

QStringView PackedTexts::at(qsizetype row) const
{
    return QStringView(m_units.data() + m_offsets[row], m_offsets[row + 1] - m_offsets[row]);
}

std::size_t PackedTexts::bytes() const
{
    return m_units.capacity() * sizeof(char16_t) + m_offsets.capacity() * sizeof(qsizetype);
}
