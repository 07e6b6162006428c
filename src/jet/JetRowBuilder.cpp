#include "jet/JetRowBuilder.h"

#include "jet/JetFormat.h"

using namespace JetFormat;

JetRowBuilder::JetRowBuilder(int columnCount, int varSlots, int fixedSize)
    : m_columnCount(columnCount), m_fixed(fixedSize, '\0'), m_slots(varSlots),
      m_mask((columnCount + 7) / 8, '\0')
{
}

void JetRowBuilder::setFixed(int column, int offset, const QByteArray &bytes)
{
    m_fixed.replace(offset, bytes.size(), bytes);
    m_mask[column / 8] = char(m_mask[column / 8] | (1 << (column % 8)));
}

void JetRowBuilder::setVar(int column, int slot, const QByteArray &bytes)
{
    m_slots[slot] = bytes;
    m_mask[column / 8] = char(m_mask[column / 8] | (1 << (column % 8)));
}

QByteArray JetRowBuilder::build() const
{
    QByteArray row;
    append16(row, quint16(m_columnCount));
    row.append(m_fixed);
    QVector<quint16> offsets;
    offsets.reserve(m_slots.size() + 1);
    for (const QByteArray &value : m_slots) {
        offsets.append(quint16(row.size()));
        row.append(value);
    }
    append16(row, quint16(row.size())); // end of the variable data
    for (qsizetype i = offsets.size() - 1; i >= 0; --i)
        append16(row, offsets[i]);
    append16(row, quint16(m_slots.size()));
    row.append(m_mask);
    return row;
}
