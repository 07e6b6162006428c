#include "jet/JetBankWriter.h"

#include "jet/BankInputError.h"
#include "jet/JetFormat.h"
#include "jet/JetHeaderPage.h"
#include "jet/JetRowBuilder.h"
#include "jet/JetTableDefinition.h"
#include "jet/JetTextEncoding.h"
#include "jet/JetUsageMap.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

using namespace JetFormat;

namespace {

// Fixed page plan. MSysObjects' definition must sit on page 2: readers look for it there.
constexpr quint32 kGlobalMapPage = 1;
constexpr quint32 kCatalogDefinitionPage = kSystemObjectsPage;
constexpr quint32 kCatalogMapPage = 3;
constexpr quint32 kCatalogDataPage = 4;
constexpr quint32 kTableDefinitionPage = 5;
constexpr quint32 kTableMapPage = 6;
constexpr quint32 kIndexRootPage = 7;
constexpr quint32 kFirstFreePage = 8;

// Column types and flags of Jet 4.
constexpr quint8 kLong = kTypeLong, kInt16 = kTypeInt16, kDateTime = kTypeDateTime,
                 kBinary = kTypeBinary, kText = kTypeText, kOle = kTypeOle, kMemo = kTypeMemo;
constexpr quint8 kFixed = 0x01, kUpdatable = 0x02, kAutoLong = 0x04, kSystem = 0x10;

// The table 问题: columns 1 and 2 and variable slots 1 and 2 were removed long ago and stay
// gaps, so the row layout keeps 7 columns and 6 slots.
constexpr int kMaxColumns = 7;
constexpr int kVarSlots = 6;
constexpr int kSubjectColumn = 0, kSubjectSlot = 0;
constexpr int kAnswerColumn = 3, kAnswerSlot = 3;
constexpr int kNumberColumn = 4;
constexpr int kTextColumn = 5, kTextSlot = 4;
constexpr int kOptionsColumn = 6, kOptionsSlot = 5;
constexpr int kMemoColumns[2] = {kTextColumn, kOptionsColumn};

// Memo forms: inline up to this many stored bytes, else one long-value row up to the next
// limit, else a chain of rows on pages of their own.
constexpr qsizetype kInlineMemoBytes = 64;
constexpr qsizetype kSingleLongValueBytes = 4076;
constexpr qsizetype kChainChunkBytes = 4072;
constexpr quint32 kMemoSingle = kMemoSingleRow;

// The owner bytes Access stores with its objects.
const char kOwner[] = "\x91\xAE";

QByteArray memoHeader(quint32 lengthAndKind, quint32 pointer)
{
    QByteArray h(kMemoHeader, '\0');
    put32(h, 0, lengthAndKind);
    put32(h, 4, pointer);
    return h;
}

QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    put32(b, 0, quint32(v));
    return b;
}

QByteArray leDouble(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    QByteArray b(8, '\0');
    qToLittleEndian(bits, b.data());
    return b;
}

QString rowName(const BankRecord &r)
{
    return r.line > 0 ? QStringLiteral("line %1").arg(r.line)
                      : QStringLiteral("row with 编号 %1").arg(r.number);
}

} // namespace

JetBankWriter::JetBankWriter(QIODevice *out) : m_out(out), m_nextPage(kFirstFreePage) {}

void JetBankWriter::writePage(quint32 number, const QByteArray &bytes)
{
    Q_ASSERT(bytes.size() == kPageSize);
    if (!m_out->seek(qint64(number) * kPageSize) || m_out->write(bytes) != kPageSize)
        throw BankInputError(
            QStringLiteral("cannot write page %1: %2").arg(number).arg(m_out->errorString()));
}

quint32 JetBankWriter::putLongValueRow(int memo, const QByteArray &row)
{
    LongValueColumn &lv = m_memos[memo];
    if (!lv.current || !lv.current->fits(row.size())) {
        if (lv.current)
            writePage(lv.currentNumber, lv.current->bytes());
        lv.current = JetDataPage::longValuePage();
        lv.currentNumber = allocatePage();
        lv.pages.push_back(lv.currentNumber);
    }
    return pgRow(lv.currentNumber, lv.current->add(row));
}

QByteArray JetBankWriter::memoValue(int memo, const QString &text)
{
    const QByteArray stored = JetTextEncoding::shortest(text);
    const quint32 length = quint32(stored.size());
    if (length > 0x00FFFFFFu)
        throw BankInputError(QStringLiteral("a memo of %1 bytes is too long").arg(length));
    if (stored.size() <= kInlineMemoBytes)
        return memoHeader(length | kMemoInline, 0) + stored;
    if (stored.size() <= kSingleLongValueBytes)
        return memoHeader(length | kMemoSingle, putLongValueRow(memo, stored));

    // A chain: every full chunk on a page of its own, the tail shares the column's current
    // long-value page. Written from the end so that each row knows the next one.
    const qsizetype chunks = (stored.size() + kChainChunkBytes - 1) / kChainChunkBytes;
    qsizetype tailStart = (chunks - 1) * kChainChunkBytes;
    QByteArray tail(4, '\0');
    tail.append(stored.mid(tailStart));
    quint32 next = putLongValueRow(memo, tail);
    for (qsizetype c = chunks - 2; c >= 0; --c) {
        QByteArray row(4, '\0');
        put32(row, 0, next);
        row.append(stored.mid(c * kChainChunkBytes, kChainChunkBytes));
        JetDataPage page = JetDataPage::longValuePage();
        const quint32 number = allocatePage();
        next = pgRow(number, page.add(row));
        writePage(number, page.bytes());
        m_memos[memo].pages.push_back(number);
    }
    return memoHeader(length, next);
}

void JetBankWriter::putTableRow(const QByteArray &row)
{
    if (!m_dataPage || !m_dataPage->fits(row.size())) {
        if (m_dataPage)
            writePage(m_dataPageNumber, m_dataPage->bytes());
        m_dataPage.emplace(kTableDefinitionPage);
        m_dataPageNumber = allocatePage();
        m_dataPages.push_back(m_dataPageNumber);
    }
    m_dataPage->add(row);
}

void JetBankWriter::add(const BankRecord &r)
{
    if (r.number <= 0)
        throw BankInputError(QStringLiteral("%1: 编号 must be positive").arg(rowName(r)));
    if (r.text.isEmpty())
        throw BankInputError(QStringLiteral("%1: 题目内容 is empty").arg(rowName(r)));
    for (const auto *text : {&r.subject, &r.answer})
        if (*text && (*text)->size() > 255)
            throw BankInputError(
                QStringLiteral("%1: a Text value longer than 255 characters").arg(rowName(r)));

    // Stored as plain UTF-16, a value that begins with U+FEFF begins with the bytes FF FE, which
    // every Jet reader takes for the mark of the compressed form: it would read back as other
    // text. Such a value (a byte order mark left inside a field) is refused, not stored wrongly.
    for (const QString *value :
         {r.subject ? &*r.subject : nullptr, &r.text, r.options ? &*r.options : nullptr,
          r.answer ? &*r.answer : nullptr})
        if (value && value->startsWith(QChar(0xFEFF)))
            throw BankInputError(
                QStringLiteral("%1: a value begins with U+FEFF (byte order mark)").arg(rowName(r)));

    JetRowBuilder row(kMaxColumns, kVarSlots, 4);
    row.setFixed(kNumberColumn, 0, le32(r.number));
    // Text values stay plain UTF-16: the columns' Unicode compression is off.
    if (r.subject)
        row.setVar(kSubjectColumn, kSubjectSlot, JetTextEncoding::plain(*r.subject));
    if (r.answer)
        row.setVar(kAnswerColumn, kAnswerSlot, JetTextEncoding::plain(*r.answer));
    row.setVar(kTextColumn, kTextSlot, memoValue(0, r.text));
    if (r.options)
        row.setVar(kOptionsColumn, kOptionsSlot, memoValue(1, *r.options));
    const QByteArray bytes = row.build();
    if (bytes.size() > kMaxRowSize)
        throw BankInputError(QStringLiteral("%1: the row is %2 bytes, more than a page takes")
                                 .arg(rowName(r))
                                 .arg(bytes.size()));
    putTableRow(bytes);
    ++m_rows;
    m_lastNumber = qMax(m_lastNumber, r.number);
}

void JetBankWriter::flushOpenPages()
{
    if (m_dataPage)
        writePage(m_dataPageNumber, m_dataPage->bytes());
    m_dataPage.reset();
    for (LongValueColumn &lv : m_memos) {
        if (lv.current)
            writePage(lv.currentNumber, lv.current->bytes());
        lv.current.reset();
    }
}

void JetBankWriter::writeUserTable()
{
    std::vector<JetUsageMap::BitmapPage> bitmaps;
    const auto allocate = [this] { return allocatePage(); };
    JetDataPage maps(0);
    std::vector<quint32> dataPages = m_dataPages;
    std::sort(dataPages.begin(), dataPages.end());
    // The free-space map lists the same pages: every page may still take a row.
    const int owned = maps.add(JetUsageMap::build(dataPages, allocate, &bitmaps));
    const int free = maps.add(JetUsageMap::build(dataPages, allocate, &bitmaps));
    const int indexMap = maps.add(JetUsageMap::build({kIndexRootPage}, allocate, &bitmaps));

    JetTableDefinition def;
    def.tableType = 0x4E;
    def.maxColumns = kMaxColumns;
    def.varSlots = kVarSlots;
    def.rows = m_rows;
    def.lastAutoNumber = quint32(m_lastNumber);
    def.ownedMap = pgRow(kTableMapPage, owned);
    def.freeMap = pgRow(kTableMapPage, free);
    for (int memo = 0; memo < 2; ++memo) {
        std::vector<quint32> pages = m_memos[memo].pages;
        std::sort(pages.begin(), pages.end());
        const int lvOwned = maps.add(JetUsageMap::build(pages, allocate, &bitmaps));
        const int lvFree = maps.add(JetUsageMap::build(pages, allocate, &bitmaps));
        def.longValueMaps.append({quint16(kMemoColumns[memo]), pgRow(kTableMapPage, lvOwned),
                                  pgRow(kTableMapPage, lvFree)});
    }
    // Design order; readers list them by column number.
    def.columns = {
        {kText, kSubjectColumn, kSubjectSlot, kUpdatable, 0, 0, 510, QStringLiteral("科目")},
        {kMemo, kTextColumn, kTextSlot, kUpdatable, 0, 0, 0, QStringLiteral("题目内容")},
        {kMemo, kOptionsColumn, kOptionsSlot, kUpdatable, 0, 0, 0, QStringLiteral("选项")},
        {kText, kAnswerColumn, kAnswerSlot, kUpdatable, 0, 0, 510, QStringLiteral("标准答案")},
        {kLong, kNumberColumn, 0, kFixed | kUpdatable | kAutoLong, 0, 0, 4, QStringLiteral("编号")},
    };
    // Primary key: unique, nulls not allowed. Its B-tree is an empty leaf; readers find rows
    // through the usage maps, and no public key encoding exists for sort order 2052.
    def.indexes = {{kTextColumn, pgRow(kTableMapPage, indexMap), kIndexRootPage, 0x89, 1, m_rows,
                    QStringLiteral("PrimaryKey")}};

    writePage(kTableMapPage, maps.bytes());
    writePage(kTableDefinitionPage, def.page());
    QByteArray root(kPageSize, '\0');
    root[0] = 0x04;
    root[1] = 0x01;
    put16(root, 2, 3616);
    put32(root, 4, kTableDefinitionPage);
    writePage(kIndexRootPage, root);
    for (const JetUsageMap::BitmapPage &page : bitmaps)
        writePage(page.number, page.bytes);
}

void JetBankWriter::writeCatalog()
{
    // MSysObjects with the columns Access gives it; libmdb binds Id, Name, Type, Flags and
    // LvProp by name and gives up on the whole catalogue when one is missing.
    JetTableDefinition def;
    def.tableType = 0x53;
    def.maxColumns = 17;
    def.varSlots = 11;
    const quint8 fixed = kFixed | kUpdatable | kSystem, var = kUpdatable | kSystem;
    def.columns = {
        {kLong, 0, 0, fixed, 0, 0, 4, QStringLiteral("Id")},
        {kLong, 1, 0, fixed, 0, 4, 4, QStringLiteral("ParentId")},
        {kText, 2, 0, var, 0, 0, 510, QStringLiteral("Name")},
        {kInt16, 3, 0, fixed, 0, 8, 2, QStringLiteral("Type")},
        {kDateTime, 4, 0, fixed, 0, 10, 8, QStringLiteral("DateCreate")},
        {kDateTime, 5, 0, fixed, 0, 18, 8, QStringLiteral("DateUpdate")},
        {kBinary, 6, 1, 0x32, 0, 0, 510, QStringLiteral("Owner")},
        {kLong, 7, 0, fixed, 0, 26, 4, QStringLiteral("Flags")},
        {kMemo, 8, 2, var, 0, 0, 0, QStringLiteral("Database")},
        {kMemo, 9, 3, var, 0, 0, 0, QStringLiteral("Connect")},
        {kText, 10, 4, var, 0, 0, 510, QStringLiteral("ForeignName")},
        {kBinary, 11, 5, var, 0, 0, 510, QStringLiteral("RmtInfoShort")},
        {kOle, 12, 6, var, 0, 0, 0, QStringLiteral("RmtInfoLong")},
        {kOle, 13, 7, var, 0, 0, 0, QStringLiteral("Lv")},
        {kOle, 14, 8, var, 0, 0, 0, QStringLiteral("LvProp")},
        {kOle, 15, 9, var, 0, 0, 0, QStringLiteral("LvModule")},
        {kOle, 16, 10, var, 0, 0, 0, QStringLiteral("LvExtra")},
    };

    JetDataPage maps(0);
    std::vector<JetUsageMap::BitmapPage> none;
    const auto noAllocation = [] { return quint32(0); };
    def.ownedMap = pgRow(kCatalogMapPage,
                         maps.add(JetUsageMap::build({kCatalogDataPage}, noAllocation, &none)));
    def.freeMap = pgRow(kCatalogMapPage,
                        maps.add(JetUsageMap::build({kCatalogDataPage}, noAllocation, &none)));
    for (const quint16 column : {8, 9, 12, 13, 14, 15, 16}) {
        const int owned = maps.add(JetUsageMap::build({}, noAllocation, &none));
        const int free = maps.add(JetUsageMap::build({}, noAllocation, &none));
        def.longValueMaps.append(
            {column, pgRow(kCatalogMapPage, owned), pgRow(kCatalogMapPage, free)});
    }

    struct Object {
        quint32 id, parent;
        const char16_t *name;
        qint16 type;
        quint32 flags;
    };
    const Object objects[] = {
        {0x0F000001, 0x0F000000, u"Tables", 3, 0x80000000u},
        {0x0F000002, 0x0F000000, u"Databases", 3, 0x80000000u},
        {0x0F000003, 0x0F000000, u"Relationships", 3, 0x80000000u},
        {0x10000000, 0x0F000002, u"MSysDb", 2, 0x80000000u},
        {kCatalogDefinitionPage, 0x0F000001, u"MSysObjects", 1, 0x80000000u},
        {kTableDefinitionPage, 0x0F000001, u"问题", 1, 0},
    };
    JetDataPage data(kCatalogDefinitionPage);
    for (const Object &o : objects) {
        JetRowBuilder row(17, 11, 30);
        row.setFixed(0, 0, le32(qint32(o.id)));
        row.setFixed(1, 4, le32(qint32(o.parent)));
        QByteArray type(2, '\0');
        put16(type, 0, quint16(o.type));
        row.setFixed(3, 8, type);
        row.setFixed(4, 10, leDouble(kCreationDate));
        row.setFixed(5, 18, leDouble(kCreationDate));
        row.setFixed(7, 26, le32(qint32(o.flags)));
        row.setVar(2, 0, JetTextEncoding::plain(QString::fromUtf16(o.name)));
        row.setVar(6, 1, QByteArray(kOwner, 2));
        data.add(row.build());
    }
    def.rows = quint32(std::size(objects));

    writePage(kCatalogDefinitionPage, def.page());
    writePage(kCatalogMapPage, maps.bytes());
    writePage(kCatalogDataPage, data.bytes());
}

void JetBankWriter::finish()
{
    flushOpenPages();
    writeUserTable();
    writeCatalog();

    // Page 1: the global map of free pages, written last since it needs the final page count.
    std::vector<JetUsageMap::BitmapPage> bitmaps;
    const quint32 pagesBefore = m_nextPage;
    JetDataPage global(1);
    global.add(JetUsageMap::freePages(
        pagesBefore, [this] { return allocatePage(); }, &bitmaps));
    global.add(QByteArray(JetUsageMap::kRowSize, '\0'));
    writePage(kGlobalMapPage, global.bytes());
    for (const JetUsageMap::BitmapPage &page : bitmaps)
        writePage(page.number, page.bytes);

    writePage(0, JetHeaderPage::build(kCreationDate, QString::fromUtf16(kPassword),
                                      kSortOrderChinesePrc));
    if (!m_out->seek(qint64(m_nextPage) * kPageSize))
        throw BankInputError(QStringLiteral("cannot write: %1").arg(m_out->errorString()));
}
