#include "jet/JetTableDefinition.h"

#include "jet/BankInputError.h"
#include "jet/JetFormat.h"
#include "jet/JetTextEncoding.h"

using namespace JetFormat;

namespace {

constexpr quint32 kIndexMagic = 1923;
constexpr int kIndexColumnSlots = 10;

void appendName(QByteArray &b, const QString &name)
{
    const QByteArray bytes = JetTextEncoding::plain(name);
    append16(b, quint16(bytes.size()));
    b.append(bytes);
}

} // namespace

QByteArray JetTableDefinition::page() const
{
    QByteArray b(63, '\0');
    b[0] = 0x02;
    b[1] = 0x01;
    put32(b, 12, kColumnMagic);
    put32(b, 16, rows);
    put32(b, 20, lastAutoNumber);
    b[24] = lastAutoNumber ? 1 : 0;
    b[40] = char(tableType);
    put16(b, 41, maxColumns);
    put16(b, 43, varSlots);
    put16(b, 45, quint16(columns.size()));
    put32(b, 47, quint32(indexes.size()));
    put32(b, 51, quint32(indexes.size()));
    put32(b, 55, ownedMap);
    put32(b, 59, freeMap);

    for (const Index &index : indexes) {
        append32(b, 0);
        append32(b, index.entries);
        append32(b, 0);
    }
    for (const Column &c : columns) {
        QByteArray e(25, '\0');
        e[0] = char(c.type);
        put32(e, 1, kColumnMagic);
        put16(e, 5, c.number);
        put16(e, 7, c.slot);
        put16(e, 9, c.number);
        put16(e, 11, kSortOrderChinesePrc);
        e[15] = char(c.flags);
        e[16] = char(c.extraFlags);
        put16(e, 21, c.fixedOffset);
        put16(e, 23, c.length);
        b.append(e);
    }
    for (const Column &c : columns)
        appendName(b, c.name);
    for (const Index &index : indexes) {
        QByteArray e(52, '\0');
        put32(e, 0, kIndexMagic);
        for (int k = 0; k < kIndexColumnSlots; ++k) {
            put16(e, 4 + 3 * k, k == 0 ? index.column : 0xFFFF);
            e[6 + 3 * k] = k == 0 ? 1 : 0; // ascending
        }
        put32(e, 34, index.usageMap);
        put32(e, 38, index.rootPage);
        e[46] = char(index.flags);
        b.append(e);
    }
    for (int i = 0; i < indexes.size(); ++i) {
        QByteArray e(28, '\0');
        put32(e, 0, kColumnMagic);
        put32(e, 4, quint32(i));
        put32(e, 8, quint32(i));
        put32(e, 13, 0xFFFFFFFFu); // not a foreign key
        e[23] = char(indexes[i].kind);
        b.append(e);
    }
    for (const Index &index : indexes)
        appendName(b, index.name);
    for (const LongValueMaps &m : longValueMaps) {
        append16(b, m.column);
        append32(b, m.owned);
        append32(b, m.free);
    }
    append16(b, 0xFFFF);

    if (b.size() + 8 > kPageSize)
        throw BankInputError(
            QStringLiteral("a table definition of %1 bytes does not fit a page").arg(b.size()));
    put32(b, 8, quint32(b.size()));
    put16(b, 2, quint16(kPageSize - b.size() - 8));
    b.append(QByteArray(kPageSize - b.size(), '\0'));
    return b;
}
