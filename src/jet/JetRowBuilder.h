#pragma once

#include <QByteArray>
#include <QVector>

// Assembles one Jet 4 row: column count, fixed area, variable values in slot order, the
// end-of-data offset, the slot offsets in reverse, the slot count and the null mask. Counts are
// the table's maxima (removed columns included) so that readers find the slots from the end.
class JetRowBuilder {
public:
    JetRowBuilder(int columnCount, int varSlots, int fixedSize);

    void setFixed(int column, int offset, const QByteArray &bytes);
    // A present value, possibly empty (an empty text keeps its null bit set).
    void setVar(int column, int slot, const QByteArray &bytes);
    QByteArray build() const;

private:
    int m_columnCount;
    QByteArray m_fixed;
    QVector<QByteArray> m_slots;
    QByteArray m_mask;
};
