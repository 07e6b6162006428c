#include "jet/BankFileStats.h"

#include "jet/BankInputError.h"
#include "jet/JetFormat.h"

#include <QFile>

using namespace JetFormat;

namespace {

struct DefinedColumn {
    quint8 type;
    int number;
    int slot;
    bool fixed;
    QString name;
};

class PageFile {
public:
    explicit PageFile(const QString &path) : m_file(path)
    {
        if (!m_file.open(QIODevice::ReadOnly))
            throw BankInputError(QStringLiteral("%1: %2").arg(path, m_file.errorString()));
        m_size = m_file.size();
        m_data = reinterpret_cast<const char *>(m_file.map(0, m_size));
        if (!m_data || m_size < 3 * kPageSize)
            throw BankInputError(QStringLiteral("%1: the file is too short").arg(path));
    }
    qint64 pages() const { return m_size / kPageSize; }
    const char *page(qint64 n) const { return m_data + n * kPageSize; }
    // The bytes of row `row` of page `pageNumber`, or an empty view when there is none.
    QByteArrayView row(quint32 pageNumber, int row) const
    {
        if (pageNumber >= pages())
            return {};
        const char *p = page(pageNumber);
        const int count = get16(p + kRowCountOffset);
        if (row >= count)
            return {};
        const int start = get16(p + kDataPageHeader + 2 * row) & kRowOffsetMask;
        const int end =
            row == 0 ? kPageSize : (get16(p + kDataPageHeader + 2 * (row - 1)) & kRowOffsetMask);
        if (start >= end || end > kPageSize)
            return {};
        return QByteArrayView(p + start, end - start);
    }

private:
    QFile m_file;
    const char *m_data = nullptr;
    qint64 m_size = 0;
};

// Columns of the TDEF on `page`, or none when it is not a single-page user table definition.
QVector<DefinedColumn> readColumns(const PageFile &file, qint64 page)
{
    const char *p = file.page(page);
    if (p[0] != 0x02 || quint8(p[40]) != 0x4E || get32(p + 4) != 0)
        return {};
    const int count = get16(p + 45);
    const int realIndexes = int(get32(p + 51));
    qint64 at = 63 + 12 * qint64(realIndexes);
    if (count <= 0 || at + 25 * qint64(count) > kPageSize)
        return {};
    QVector<DefinedColumn> columns;
    for (int c = 0; c < count; ++c, at += 25)
        columns.append({quint8(p[at]), quint8(p[at + 5]), get16(p + at + 7),
                        (quint8(p[at + 15]) & 0x01) != 0, QString()});
    for (DefinedColumn &c : columns) {
        if (at + 2 > kPageSize)
            return {};
        const int length = get16(p + at);
        if (at + 2 + length > kPageSize)
            return {};
        c.name = QString::fromUtf16(reinterpret_cast<const char16_t *>(p + at + 2), length / 2);
        at += 2 + length;
    }
    return columns;
}

bool isLongValuePage(const PageFile &file, quint32 pointer)
{
    const quint32 page = pointer >> 8;
    return page > 0 && page < file.pages() && file.page(page)[0] == 0x01 &&
           get32(file.page(page) + 4) == get32("LVAL");
}

// Follows a chain of long-value rows; true when the rows hold exactly `length` bytes.
bool chainAddsUp(const PageFile &file, quint32 pointer, quint32 length)
{
    quint64 total = 0;
    for (quint32 links = 0; pointer != 0; ++links) {
        if (!isLongValuePage(file, pointer) || links > length / 16 + 1)
            return false;
        const QByteArrayView row = file.row(pointer >> 8, int(pointer & 0xFF));
        if (row.size() < 4)
            return false;
        total += quint64(row.size() - 4);
        pointer = get32(row.data());
    }
    return total == length;
}

bool startsCompressed(QByteArrayView bytes)
{
    return bytes.size() >= 2 && quint8(bytes[0]) == 0xFF && quint8(bytes[1]) == 0xFE;
}

} // namespace

BankFileStats BankFileStats::scan(const QString &path)
{
    PageFile file(path);
    const QString names[5] = {QStringLiteral("科目"), QStringLiteral("题目内容"),
                              QStringLiteral("选项"), QStringLiteral("标准答案"),
                              QStringLiteral("编号")};
    BankFileStats stats;
    QVector<DefinedColumn> columns;
    int at[5] = {-1, -1, -1, -1, -1};
    for (qint64 page = 1; page < file.pages() && stats.definitionPage == 0; ++page) {
        columns = readColumns(file, page);
        std::fill(std::begin(at), std::end(at), -1);
        for (int c = 0; c < columns.size(); ++c)
            for (int k = 0; k < 5; ++k)
                if (columns[c].name == names[k])
                    at[k] = c;
        if (std::all_of(std::begin(at), std::end(at), [](int i) { return i >= 0; }))
            stats.definitionPage = int(page);
    }
    if (stats.definitionPage == 0)
        throw BankInputError(QStringLiteral("%1: no definition of the table 问题").arg(path));
    for (int k = 0; k < 5; ++k) {
        stats.columns[k].name = names[k];
        stats.columns[k].number = columns[at[k]].number;
        stats.columns[k].memo = columns[at[k]].type == kTypeMemo;
    }

    for (qint64 page = 1; page < file.pages(); ++page) {
        const char *p = file.page(page);
        if (p[0] != kPageTypeData || get32(p + 4) != quint32(stats.definitionPage))
            continue;
        const int count = get16(p + kRowCountOffset);
        for (int r = 0; r < count && kDataPageHeader + 2 * r < kPageSize; ++r) {
            if (get16(p + kDataPageHeader + 2 * r) & (kRowDeleted | kRowLookup))
                continue; // deleted, or moved to another page
            const QByteArrayView row = file.row(quint32(page), r);
            if (row.size() < 4)
                continue;
            ++stats.rows;
            const int columnCount = get16(row.data());
            const int maskSize = (columnCount + 7) / 8;
            const qsizetype last = row.size() - 1;
            if (last - maskSize - 1 < 0)
                continue;
            const int slotCount = get16(row.data() + last - maskSize - 1);
            for (int k = 0; k < 5; ++k) {
                DefinedColumn &c = columns[at[k]];
                BankFileStats::Column &s = stats.columns[k];
                const int bit = c.number;
                const bool present =
                    bit < columnCount &&
                    (quint8(row[row.size() - maskSize + bit / 8]) >> (bit % 8)) & 1;
                if (!present) {
                    ++s.nulls;
                    continue;
                }
                if (c.fixed || c.slot >= slotCount)
                    continue;
                const qsizetype offsetAt = last - maskSize - 3 - 2 * c.slot;
                const qsizetype nextAt = offsetAt - 2;
                if (nextAt < 2)
                    continue;
                const int start = get16(row.data() + offsetAt);
                const int end = get16(row.data() + nextAt);
                if (start > end || end > row.size())
                    continue;
                const QByteArrayView value = row.sliced(start, end - start);
                if (!s.memo) {
                    if (value.isEmpty())
                        ++s.empty;
                    if (startsCompressed(value))
                        ++s.compressed;
                    continue;
                }
                if (value.size() < kMemoHeader)
                    continue;
                const quint32 word = get32(value.data());
                if ((word & kMemoLengthMask) == 0)
                    ++s.empty;
                QByteArrayView stored;
                const quint32 length = word & kMemoLengthMask;
                bool intact = true;
                if (word & kMemoInline) {
                    ++s.inlined;
                    stored = value.sliced(kMemoHeader);
                    intact = stored.size() == qsizetype(length);
                } else {
                    const quint32 pointer = get32(value.data() + 4);
                    const QByteArrayView first = isLongValuePage(file, pointer)
                                                     ? file.row(pointer >> 8, int(pointer & 0xFF))
                                                     : QByteArrayView();
                    if (word & kMemoSingleRow) {
                        ++s.singleRow;
                        stored = first;
                        intact = first.size() == qsizetype(length);
                    } else {
                        ++s.chained;
                        stored = first.size() > 4 ? first.sliced(4) : QByteArrayView();
                        intact = chainAddsUp(file, pointer, length);
                    }
                }
                if (!intact) {
                    ++s.broken;
                    if (stats.firstBroken.isEmpty())
                        stats.firstBroken =
                            QStringLiteral("%1 of row %2 on page %3").arg(s.name).arg(r).arg(page);
                }
                if (startsCompressed(stored))
                    ++s.compressed;
            }
        }
    }
    return stats;
}
