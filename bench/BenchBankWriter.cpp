#include "BenchBankWriter.h"

#include <QFile>

#include <array>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kPage = 4096;
constexpr quint32 kCatalogPage = 2;
constexpr quint32 kCatalogMapPage = 3;
constexpr quint32 kCatalogDataPage = 4;
constexpr quint32 kTablePage = 5;
constexpr quint32 kTableMapPage = 6;
constexpr quint32 kFirstDataPage = 7;
constexpr int kBitsPerMapPage = (kPage - 4) * 8;

using Page = std::array<unsigned char, kPage>;

void put16(unsigned char *p, quint32 v)
{
    p[0] = v & 0xFF;
    p[1] = (v >> 8) & 0xFF;
}
void put32(unsigned char *p, quint32 v)
{
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

QByteArray utf16(const QString &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

// A data page that is filled with rows from its end downwards.
struct DataPage {
    Page bytes{};
    int rows = 0;
    int low = kPage;

    explicit DataPage(quint32 owner)
    {
        bytes[0] = 0x01;
        bytes[1] = 0x01;
        put32(&bytes[4], owner);
        update();
    }
    bool fits(int length) const { return rows < 255 && low - length >= 14 + 2 * (rows + 1); }
    void add(const QByteArray &row)
    {
        low -= int(row.size());
        std::memcpy(&bytes[low], row.constData(), std::size_t(row.size()));
        put16(&bytes[14 + 2 * rows], quint32(low));
        ++rows;
        update();
    }
    void update()
    {
        put16(&bytes[12], quint32(rows));
        put16(&bytes[2], quint32(low - (14 + 2 * rows)));
    }
};

struct Column {
    QString name;
    int type;
    int number;
    int slot; // variable slot, -1 for fixed
    int fixedOffset;
    int length;
};

// TDEF page: header, column entries, names, terminator.
Page tableDefinition(bool system, int maxColumns, int varSlots, const std::vector<Column> &columns,
                     quint32 rows, quint32 lastAuto, quint32 mapPage)
{
    Page p{};
    p[0] = 0x02;
    p[1] = 0x01;
    put32(&p[12], 1625);
    put32(&p[16], rows);
    put32(&p[20], lastAuto);
    p[24] = 1;
    p[40] = system ? 0x53 : 0x4E;
    put16(&p[41], quint32(maxColumns));
    put16(&p[43], quint32(varSlots));
    put16(&p[45], quint32(columns.size()));
    put32(&p[47], 0);
    put32(&p[51], 0);
    put32(&p[55], mapPage << 8 | 0);
    put32(&p[59], mapPage << 8 | 1);
    int at = 63;
    for (const Column &c : columns) {
        unsigned char *e = &p[at];
        e[0] = static_cast<unsigned char>(c.type);
        put32(e + 1, 1625);
        put16(e + 5, quint32(c.number));
        put16(e + 7, quint32(c.slot < 0 ? 0 : c.slot));
        put16(e + 9, quint32(c.number));
        put16(e + 11, system ? 1033 : 2052);
        e[15] = c.slot < 0 ? 0x03 : 0x02;
        e[16] = (c.type == 10 || c.type == 12) && !system ? 0x01 : 0x00;
        put16(e + 21, quint32(c.slot < 0 ? c.fixedOffset : 0));
        put16(e + 23, quint32(c.length));
        at += 25;
    }
    for (const Column &c : columns) {
        const QByteArray name = utf16(c.name);
        put16(&p[at], quint32(name.size()));
        std::memcpy(&p[at + 2], name.constData(), std::size_t(name.size()));
        at += 2 + int(name.size());
    }
    p[at] = 0xFF;
    p[at + 1] = 0xFF;
    at += 2;
    put32(&p[8], quint32(at));
    put16(&p[2], quint32(kPage - at - 8));
    return p;
}

// Row: column count, fixed area, variable values by slot, EOD, offsets reversed, slot count,
// null mask (bit set = value present).
QByteArray row(int maxColumns, const QByteArray &fixed, const std::vector<QByteArray> &values,
               quint32 presentMask)
{
    QByteArray r;
    r.append(char(maxColumns & 0xFF)).append(char(maxColumns >> 8));
    r.append(fixed);
    std::vector<int> offsets;
    for (const QByteArray &s : values) {
        offsets.push_back(int(r.size()));
        r.append(s);
    }
    const int eod = int(r.size());
    auto append16 = [&r](int v) { r.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    append16(eod);
    for (auto it = offsets.rbegin(); it != offsets.rend(); ++it)
        append16(*it);
    append16(int(values.size()));
    for (int i = 0; i < (maxColumns + 7) / 8; ++i)
        r.append(char((presentMask >> (8 * i)) & 0xFF));
    return r;
}

QByteArray inlineMemo(const QString &text)
{
    QByteArray m(12, '\0');
    const QByteArray data = utf16(text);
    put32(reinterpret_cast<unsigned char *>(m.data()), quint32(data.size()) | 0x80000000u);
    return m + data;
}

QByteArray usageMapInline(quint32 startPage, const std::vector<quint32> &pages)
{
    QByteArray m(69, '\0');
    auto *b = reinterpret_cast<unsigned char *>(m.data());
    put32(b + 1, startPage);
    for (quint32 pg : pages)
        b[5 + (pg - startPage) / 8] |= static_cast<unsigned char>(1 << ((pg - startPage) % 8));
    return m;
}

Page header()
{
    Page p{};
    const char start[] = "\x00\x01\x00\x00Standard Jet DB";
    std::memcpy(p.data(), start, sizeof start);
    p[0x14] = 1;
    static const unsigned char constant[24] = {0, 1, 0, 0, 1, 1, 0, 0, 2, 0, 0, 0,
                                               3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0};
    std::memcpy(&p[0x18], constant, sizeof constant);
    put16(&p[0x3C], 1252);
    put32(&p[0x6A], 0x11A6);
    put16(&p[0x6E], 2052);
    const double created = 45352.4375;
    std::memcpy(&p[0x72], &created, sizeof created);
    const quint32 day = quint32(qint32(created));
    const QString password = QStringLiteral("kpwq");
    for (int i = 0; i < 40; ++i) {
        const char16_t unit = i / 2 < password.size() ? password[i / 2].unicode() : 0;
        const unsigned char plain = static_cast<unsigned char>(i % 2 ? unit >> 8 : unit & 0xFF);
        p[0x42 + i] = plain ^ static_cast<unsigned char>(day >> (8 * (i % 4)));
    }
    static const unsigned char tail[8] = {0x54, 0x06, 0, 0, 0x34, 0x2E, 0x30, 0};
    std::memcpy(&p[0x98], tail, sizeof tail);
    // The header block 0x18..0x97 is RC4 with a fixed key.
    const unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < 128; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        p[0x18 + n] ^= s[(s[i] + s[j]) & 0xFF];
    }
    return p;
}

} // namespace

void BenchBankWriter::write(const QString &path, const RowSource &source)
{
    // User table pages first (their count decides where the map pages go).
    // Pages from kFirstDataPage on, in file order: table data pages, and long-value (LVAL)
    // pages for memos too long to stand in their row. A data page's place is reserved when it
    // is started, so that LVAL pages written meanwhile follow it.
    std::vector<Page> body;
    std::vector<quint32> dataPageNumbers;
    DataPage current(kTablePage);
    std::size_t currentAt = 0;
    auto startDataPage = [&] {
        current = DataPage(kTablePage);
        currentAt = body.size();
        body.emplace_back();
        dataPageNumbers.push_back(kFirstDataPage + quint32(currentAt));
    };
    startDataPage();
    // A long memo goes to a chain of LVAL rows, one page each, written last link first so that
    // every link knows its successor.
    auto memo = [&](const QString &text) {
        const QByteArray data = utf16(text);
        if (data.size() <= 1024)
            return inlineMemo(text);
        constexpr int kChunk = 4072;
        quint32 next = 0;
        for (qsizetype end = data.size(); end > 0;) {
            const qsizetype begin = (end - 1) / kChunk * kChunk;
            QByteArray link(4, '\0');
            put32(reinterpret_cast<unsigned char *>(link.data()), next);
            link += data.mid(begin, end - begin);
            DataPage lval(0x4C41564C); // "LVAL"
            lval.add(link);
            next = (kFirstDataPage + quint32(body.size())) << 8;
            body.push_back(lval.bytes);
            end = begin;
        }
        QByteArray header(12, '\0');
        put32(reinterpret_cast<unsigned char *>(header.data()), quint32(data.size()));
        put32(reinterpret_cast<unsigned char *>(header.data()) + 4, next);
        return header;
    };
    quint32 rowCount = 0;
    source([&](const Question &q) {
        const quint32 number = rowCount + 1;
        QByteArray fixed(4, '\0');
        put32(reinterpret_cast<unsigned char *>(fixed.data()), number);
        quint32 present = 1u << 4 | 1u << 5; // 编号, 题目内容
        std::vector<QByteArray> values(6);
        values[0] = utf16(q.subject);
        present |= 1u << 0;
        values[3] = utf16(q.answer);
        present |= 1u << 3;
        values[4] = memo(q.text);
        if (!q.options.isEmpty()) { // empty options stand for NULL, as in the shipped bank
            values[5] = memo(q.options);
            present |= 1u << 6;
        }
        const QByteArray r = row(7, fixed, values, present);
        if (r.size() > 4060)
            throw std::runtime_error("row does not fit a page");
        if (!current.fits(int(r.size()))) {
            body[currentAt] = current.bytes;
            startDataPage();
        }
        current.add(r);
        ++rowCount;
    });
    body[currentAt] = current.bytes;

    const quint32 lastPage = kFirstDataPage + quint32(body.size()) - 1;
    const int mapPages = int(lastPage / kBitsPerMapPage) + 1;
    if (mapPages > 17)
        throw std::runtime_error("bank too large for one reference map");
    const quint32 firstMapPage = lastPage + 1;

    std::vector<Page> pages(std::size_t(firstMapPage) + std::size_t(mapPages));
    pages[0] = header();
    pages[1] = DataPage(1).bytes;

    const std::vector<Column> catalogColumns = {{"Id", 4, 0, -1, 0, 4},
                                                {"Name", 10, 1, 0, 0, 510},
                                                {"Type", 3, 2, -1, 4, 2},
                                                {"Flags", 4, 3, -1, 6, 4},
                                                {"LvProp", 11, 4, 1, 0, 0}};
    pages[kCatalogPage] = tableDefinition(true, 5, 2, catalogColumns, 2, 0, kCatalogMapPage);
    DataPage catalogMap(0);
    catalogMap.add(usageMapInline(0, {kCatalogDataPage}));
    catalogMap.add(usageMapInline(0, {}));
    pages[kCatalogMapPage] = catalogMap.bytes;
    DataPage catalog(kCatalogPage);
    auto catalogRow = [](quint32 id, const QString &name, quint32 flags) {
        QByteArray fixed(10, '\0');
        auto *f = reinterpret_cast<unsigned char *>(fixed.data());
        put32(f, id);
        put16(f + 4, 1); // a table
        put32(f + 6, flags);
        return row(5, fixed, {utf16(name), QByteArray()}, 0x0F);
    };
    catalog.add(catalogRow(kCatalogPage, QStringLiteral("MSysObjects"), 0x80000002u));
    catalog.add(catalogRow(kTablePage, QStringLiteral("问题"), 0));
    pages[kCatalogDataPage] = catalog.bytes;

    const std::vector<Column> bankColumns = {{"科目", 10, 0, 0, 0, 510},
                                             {"题目内容", 12, 5, 4, 0, 0},
                                             {"选项", 12, 6, 5, 0, 0},
                                             {"标准答案", 10, 3, 3, 0, 510},
                                             {"编号", 4, 4, -1, 0, 4}};
    pages[kTablePage] =
        tableDefinition(false, 7, 6, bankColumns, rowCount, rowCount, kTableMapPage);

    DataPage tableMap(0);
    QByteArray reference(69, '\0');
    reference[0] = 0x01;
    for (int j = 0; j < mapPages; ++j)
        put32(reinterpret_cast<unsigned char *>(reference.data()) + 1 + 4 * j,
              firstMapPage + quint32(j));
    tableMap.add(reference);
    tableMap.add(usageMapInline(0, {}));
    pages[kTableMapPage] = tableMap.bytes;

    for (std::size_t i = 0; i < body.size(); ++i)
        pages[kFirstDataPage + i] = body[i];
    for (int j = 0; j < mapPages; ++j) {
        Page &m = pages[firstMapPage + quint32(j)];
        m[0] = 0x05;
        m[1] = 0x01;
    }
    // The table's map lists its data pages only, never the LVAL pages.
    for (quint32 pg : dataPageNumbers) {
        const int bit = int(pg % kBitsPerMapPage);
        pages[firstMapPage + pg / kBitsPerMapPage][4 + bit / 8] |=
            static_cast<unsigned char>(1 << (bit % 8));
    }

    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot create the bank file");
    for (const Page &p : pages)
        out.write(reinterpret_cast<const char *>(p.data()), kPage);
}
