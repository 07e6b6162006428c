#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sizes and little helpers shared by the parts of the Jet 4 writer.
namespace JetFormat {

inline constexpr int kPageSize = 4096;
inline constexpr int kDataPageHeader = 14;
inline constexpr int kMaxRowsPerPage = 255;
inline constexpr int kMaxRowSize = 4060;
inline constexpr quint16 kSortOrderChinesePrc = 2052;
inline constexpr quint32 kColumnMagic = 1625;

inline quint32 pgRow(quint32 page, int row)
{
    return page << 8 | quint32(row);
}

inline void put16(QByteArray &b, qsizetype at, quint16 v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

inline void put32(QByteArray &b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i));
}

inline void append16(QByteArray &b, quint16 v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

inline void append32(QByteArray &b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char(v >> (8 * i)));
}

inline quint16 get16(const char *p)
{
    return quint16(quint8(p[0]) | quint8(p[1]) << 8);
}

inline quint32 get32(const char *p)
{
    return quint32(quint8(p[0])) | quint32(quint8(p[1])) << 8 | quint32(quint8(p[2])) << 16 |
           quint32(quint8(p[3])) << 24;
}

} // namespace JetFormat
