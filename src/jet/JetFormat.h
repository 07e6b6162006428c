#pragma once

#include <QByteArray>
#include <QtGlobal>

// The layout of a Jet 4 file as both the reader and the writer of banks see it: one set of
// sizes, offsets and flags, so that a change to the format shows on both sides.
namespace JetFormat {

inline constexpr int kPageSize = 4096;

// Page 0, the header. Bytes kMaskedBlockStart.. are XOR-ed with a fixed keystream.
inline constexpr char kSignature[] = "\x00\x01\x00\x00Standard Jet DB"; // with its final zero
inline constexpr int kVersionOffset = 0x14;
inline constexpr char kVersionJet4 = 0x01; // 0 is Jet 3, 2 and up the Access 2007+ formats
inline constexpr int kMaskedBlockStart = 0x18;
inline constexpr int kMaskedBlockLength = 128;
inline constexpr int kDatabaseKeyOffset = 0x3E;
inline constexpr int kPasswordOffset = 0x42;
inline constexpr int kPasswordBytes = 40;
inline constexpr int kCreationDateOffset = 0x72;

// Page types (the first byte of a page) and fixed pages.
inline constexpr char kPageTypeData = 0x01;
inline constexpr char kPageTypeTableDefinition = 0x02;
// MSysObjects always has its definition on page 2; readers look for it there.
inline constexpr quint32 kSystemObjectsPage = 2;

// Data pages: a header, then the row offsets from the end of the page downwards.
inline constexpr int kDataPageHeader = 14;
inline constexpr int kRowCountOffset = 12;
inline constexpr int kMaxRowsPerPage = 255;
inline constexpr int kMaxRowSize = 4060;
inline constexpr int kRowDeleted = 0x4000;
inline constexpr int kRowLookup = 0x8000; // the row only points to where it moved
inline constexpr int kRowOffsetMask = 0x1FFF;

// Memo values: a 12-byte header whose first word holds the length and the kind of storage.
inline constexpr int kMemoHeader = 12;
inline constexpr quint32 kMemoInline = 0x80000000u;
inline constexpr quint32 kMemoSingleRow = 0x40000000u;
inline constexpr quint32 kMemoLengthMask = 0x00FFFFFFu;

// Column types.
inline constexpr quint8 kTypeInt16 = 0x03, kTypeLong = 0x04, kTypeDateTime = 0x08,
                        kTypeBinary = 0x09, kTypeText = 0x0A, kTypeOle = 0x0B, kTypeMemo = 0x0C;

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
