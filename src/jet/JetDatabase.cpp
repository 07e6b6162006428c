#include "jet/JetDatabase.h"

#include "base/AppError.h"
#include "jet/JetCatalog.h"
#include "jet/JetFormat.h"
#include "jet/JetHeader.h"
#include "jet/JetText.h"
#include "jet/LongValueClaims.h"
#include "platform/MappedFilePages.h"

#include <mdbtools.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

using JetFormat::kDataPageHeader;
using JetFormat::kMemoHeader;
using JetFormat::kMemoInline;
using JetFormat::kMemoLengthMask;
using JetFormat::kMemoSingleRow;
using JetFormat::kPageSize;
using JetFormat::kRowCountOffset;
using JetFormat::kRowDeleted;
using JetFormat::kRowOffsetMask;

constexpr int kNumericSize = 17;

// The checked bytes of the whole file, which long values are read from.
struct FileBytes {
    const char *data;
    qint64 size;
};

MdbHandle *handle(void *mdb)
{
    return static_cast<MdbHandle *>(mdb);
}

quint32 readU32(const unsigned char *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

AppError damaged(const QString &name, const QString &why)
{
    return AppError(QStringLiteral("The database file \"%1\" is damaged: %2").arg(name, why));
}

struct TableDefDeleter {
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};
using TableDef = std::unique_ptr<MdbTableDef, TableDefDeleter>;

// The bytes of one row of a long-value page, located from the file itself rather than through
// libmdb: mdb_find_pg_row ignores its own row check and hands back the whole page for a row that
// is not there, so a zeroed or overwritten page would read as data.
std::optional<QByteArrayView> longValueRow(const FileBytes &file, quint32 pointer)
{
    const qint64 page = qint64(pointer >> 8);
    const int row = int(pointer & 0xFF);
    if (page <= 0 || (page + 1) * kPageSize > file.size)
        return std::nullopt;
    const auto *p = reinterpret_cast<const unsigned char *>(file.data) + page * kPageSize;
    if (p[0] != JetFormat::kPageTypeData || memcmp(p + 4, "LVAL", 4) != 0)
        return std::nullopt;
    const int count = int(p[kRowCountOffset]) | int(p[kRowCountOffset + 1]) << 8;
    const int offsetsEnd = kDataPageHeader + 2 * count;
    if (row >= count || offsetsEnd > kPageSize)
        return std::nullopt;
    const auto offset = [p](int i) {
        return int(p[kDataPageHeader + 2 * i]) | int(p[kDataPageHeader + 1 + 2 * i]) << 8;
    };
    const int entry = offset(row);
    if (entry & kRowDeleted)
        return std::nullopt;
    const int start = entry & kRowOffsetMask;
    const int end = row == 0 ? kPageSize : offset(row - 1) & kRowOffsetMask;
    if (start < offsetsEnd || start > end || end > kPageSize)
        return std::nullopt;
    return QByteArrayView(reinterpret_cast<const char *>(p + start), end - start);
}

// Reads one memo value: inline, in one long-value row, or in a chain of them. Nothing when the
// value's bytes are not all there (a long-value row missing, deleted or shorter than the length
// the value declares): the memo is lost, and an empty or partial text would pass for it.
// `used` holds the long-value rows that earlier values of the table have taken. In a sound file
// each row belongs to one value, so a chain that comes back to a row, or a row claimed twice, is
// damage; with that, and a declared length no longer than the file, reading the whole table
// never takes more bytes than the file holds, however its pointers are bent.
std::optional<QByteArray> readMemoBytes(const FileBytes &file, const unsigned char *value, int size,
                                        LongValueClaims &used)
{
    if (size < kMemoHeader)
        return QByteArray();
    const quint32 word = readU32(value);
    const quint32 declared = word & kMemoLengthMask;
    if (word & kMemoInline) {
        const qsizetype available = size - kMemoHeader;
        if (declared > quint32(available))
            return std::nullopt;
        return QByteArray(reinterpret_cast<const char *>(value + kMemoHeader),
                          declared ? declared : available);
    }
    if (qint64(declared) > file.size)
        return std::nullopt;
    const quint32 firstRow = readU32(value + 4);
    if (word & kMemoSingleRow) {
        const auto row = longValueRow(file, firstRow);
        if (!row || quint32(row->size()) < declared || !used.claim(firstRow))
            return std::nullopt;
        return row->first(declared).toByteArray();
    }
    if ((word & 0xFF000000u) != 0)
        return std::nullopt; // an unknown kind of long value
    QByteArray bytes;
    quint32 next = firstRow;
    // Real chain links carry kilobytes each; a damaged chain of tiny links must not keep the
    // reader busy for millions of page reads.
    quint32 linksLeft = 1 + declared / 32;
    while (quint32(bytes.size()) < declared) {
        if (next == 0 || linksLeft-- == 0 || !used.claim(next))
            return std::nullopt;
        const auto row = longValueRow(file, next);
        if (!row || row->size() < 4)
            return std::nullopt;
        const auto *link = reinterpret_cast<const unsigned char *>(row->data());
        const qsizetype chunk = qMin<qsizetype>(row->size() - 4, declared - bytes.size());
        bytes.append(row->data() + 4, chunk);
        next = readU32(link);
    }
    // The last link ends the chain; one that goes on belongs to a value longer than declared.
    if (next != 0)
        return std::nullopt;
    return bytes;
}

enum class CellFault {
    None,
    LongValueLost,    // a memo whose long-value data is missing, cut short or taken twice
    LongerThanColumn, // a text value that its column could never have held
};

// Decodes one value into `cell`.
CellFault decodeCell(MdbHandle *mdb, const FileBytes &file, MdbColumn *col, const MdbField &field,
                     int rowStart, int rowEnd, LongValueClaims &usedLongValues, JetCell &cell)
{
    cell = JetCell();
    if (col->col_type == MDB_BOOL) {
        cell.isNull = false;
        cell.text = field.is_null ? QStringLiteral("0") : QStringLiteral("1");
        return CellFault::None;
    }
    if (field.is_null)
        return CellFault::None;
    // libmdb's own bounds check lets a negative length through; a value must lie in its row.
    if (field.siz < 0 || field.start < rowStart || field.start + field.siz > rowEnd)
        return CellFault::None;
    cell.isNull = false;
    const auto *value = mdb->pg_buf + field.start;
    switch (col->col_type) {
    case MDB_TEXT:
        // Jet keeps a text within its declared size (in bytes); a longer value is bytes of
        // another kind, such as a memo's header read through a column retyped to Text.
        if (field.siz > col->col_size)
            return CellFault::LongerThanColumn;
        cell.text = decodeJetText(value, field.siz);
        break;
    case MDB_MEMO: {
        const std::optional<QByteArray> bytes =
            readMemoBytes(file, value, field.siz, usedLongValues);
        if (!bytes)
            return CellFault::LongValueLost;
        cell.text = decodeJetText(reinterpret_cast<const unsigned char *>(bytes->constData()),
                                  bytes->size());
        break;
    }
    case MDB_OLE: {
        // Stored like a memo: in the row, in one long-value row or in a chain of them.
        const std::optional<QByteArray> bytes =
            readMemoBytes(file, value, field.siz, usedLongValues);
        if (!bytes)
            return CellFault::LongValueLost;
        cell.bytes = *bytes;
        break;
    }
    case MDB_BINARY: {
        // libmdb hands binary values out as C strings, so its readers see them up to the
        // first NUL byte; reading them the same way keeps the dump comparable with theirs.
        const QByteArray stored(reinterpret_cast<const char *>(value), field.siz);
        const qsizetype nul = stored.indexOf('\0');
        cell.bytes = nul < 0 ? stored : stored.left(nul);
        break;
    }
    case MDB_NUMERIC:
        // 17 bytes: sign, then a 128-bit magnitude; libmdb scales it by the column's scale.
        if (field.siz < kNumericSize)
            break;
        if (char *s = mdb_numeric_to_string(mdb, field.start, col->col_scale, col->col_prec)) {
            cell.text = QString::fromUtf8(s);
            g_free(s);
        }
        break;
    case MDB_COMPLEX:
        break; // attachment and multi-value links of later formats: nothing to show
    default:
        if (field.siz == 0)
            break;
        if (field.siz < mdb_col_fixed_size(col) && col->is_fixed)
            break;
        // libmdb's date conversion turns the stored double into a day count with a cast that
        // is undefined for NaN and infinities (its range check lets NaN through); such a value
        // is no date and stays empty.
        if (col->col_type == MDB_DATETIME && field.siz >= 8 &&
            !std::isfinite(mdb_get_double(mdb->pg_buf, field.start)))
            break;
        if (char *s = mdb_col_to_string(mdb, mdb->pg_buf, field.start, col->col_type, field.siz)) {
            cell.text = QString::fromUtf8(s);
            g_free(s);
        }
        break;
    }
    return CellFault::None;
}

} // namespace

// Often enough that a walk keeps a few megabytes of the file resident at most, seldom enough
// that the pages being read now are fetched again only now and then.
constexpr quint64 kRowsBetweenReleases = 8192;

struct JetDatabase::CatalogTable {
    MdbCatalogEntry *entry = nullptr;
};

std::unique_ptr<JetDatabase> JetDatabase::open(const QString &path)
{
    std::unique_ptr<JetDatabase> db(new JetDatabase);
    db->m_file.setFileName(path);
    if (!db->m_file.exists())
        throw AppError(QStringLiteral("Could not find file \"%1\"").arg(path));
    if (!db->m_file.open(QIODevice::ReadOnly))
        throw AppError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, db->m_file.errorString()));
    const qint64 size = db->m_file.size();
    const char *data = nullptr;
    if (size > 0) {
        data = reinterpret_cast<const char *>(db->m_file.map(0, size));
        if (!data)
            throw AppError(
                QStringLiteral("Cannot read file \"%1\". %2").arg(path, db->m_file.errorString()));
    }
    db->m_mapped = data != nullptr;
    db->attach(data, size, path);
    return db;
}

std::unique_ptr<JetDatabase> JetDatabase::openBytes(const char *data, qint64 size,
                                                    const QString &name)
{
    std::unique_ptr<JetDatabase> db(new JetDatabase);
    db->attach(data, size, name);
    return db;
}

void JetDatabase::attach(const char *data, qint64 size, const QString &name)
{
    m_name = name;
    QString why;
    switch (JetHeader::inspect(data, size, &why)) {
    case JetHeader::Verdict::NotJet:
        throw AppError(QStringLiteral("\"%1\" is not a Jet 4 database").arg(name));
    case JetHeader::Verdict::Damaged:
        throw damaged(name, why);
    case JetHeader::Verdict::Jet4:
        break;
    }
    m_data = data;
    m_size = size;
    m_password = JetHeader::password(data);

    // libmdb reads through a FILE on the checked bytes; it only ever reads ("r").
    MdbHandle *mdb = mdb_open_buffer(const_cast<char *>(data), size_t(size), MDB_NOFLAGS);
    if (!mdb)
        throw damaged(name, QStringLiteral("the header cannot be read"));
    m_mdb = mdb;
    // Not mdb_read_catalog: its property parser loops for ever on a damaged property blob.
    if (!readCatalogWithoutProperties(mdb, MDB_TABLE))
        throw damaged(name, QStringLiteral("the system catalogue cannot be read"));
    // libmdb stops quietly at a page it cannot read, so a catalogue cut short would simply
    // lack tables. Walking it once more counts its rows against its definition.
    if (!hasTable(QStringLiteral("MSysObjects")))
        throw damaged(name, QStringLiteral("the system catalogue is incomplete"));
    forEachRow(QStringLiteral("MSysObjects"), [](const JetRow &) {});
}

JetDatabase::~JetDatabase()
{
    if (m_mdb)
        mdb_close(handle(m_mdb));
}

QString JetDatabase::databasePassword() const
{
    return m_password;
}

QStringList JetDatabase::tableNames() const
{
    QStringList names;
    MdbHandle *mdb = handle(m_mdb);
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
            names.append(QString::fromUtf8(entry->object_name));
    }
    return names;
}

JetDatabase::CatalogTable JetDatabase::findTable(const QString &table) const
{
    MdbHandle *mdb = handle(m_mdb);
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE)
            continue;
        // Jet matches object names without regard to case.
        if (QString::fromUtf8(entry->object_name).compare(table, Qt::CaseInsensitive) == 0)
            return {entry};
    }
    return {};
}

bool JetDatabase::hasTable(const QString &table) const
{
    return findTable(table).entry != nullptr;
}

namespace {

TableDef readTableDef(MdbCatalogEntry *entry, const char *data, qint64 size, const QString &name,
                      const QString &table)
{
    const qint64 page = qint64(entry->table_pg);
    if (page <= 0 || (page + 1) * kPageSize > size ||
        data[page * kPageSize] != JetFormat::kPageTypeTableDefinition)
        throw damaged(name, QStringLiteral("the definition of table \"%1\" is missing").arg(table));
    TableDef def(mdb_read_table(entry));
    if (!def || !usageMapReadable(def.get()) || !mdb_read_columns(def.get()))
        throw damaged(name,
                      QStringLiteral("the definition of table \"%1\" cannot be read").arg(table));
    return def;
}

} // namespace

QVector<JetColumn> JetDatabase::columns(const QString &table) const
{
    const CatalogTable found = findTable(table);
    if (!found.entry)
        throw AppError(QStringLiteral("Cannot find the table \"%1\" in \"%2\"").arg(table, m_name));
    const TableDef def = readTableDef(found.entry, m_data, m_size, m_name, table);
    QVector<JetColumn> result;
    for (guint i = 0; i < def->num_cols; ++i) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(def->columns, i));
        result.append({QString::fromUtf8(col->name), col->col_type, col->col_size});
    }
    return result;
}

void JetDatabase::forEachRow(const QString &table,
                             const std::function<void(const JetRow &)> &visit) const
{
    const CatalogTable found = findTable(table);
    if (!found.entry)
        throw AppError(QStringLiteral("Cannot find the table \"%1\" in \"%2\"").arg(table, m_name));
    MdbHandle *mdb = handle(m_mdb);
    const TableDef def = readTableDef(found.entry, m_data, m_size, m_name, table);
    MdbTableDef *t = def.get();
    const guint columnCount = t->num_cols;
    std::vector<MdbField> fields(columnCount);
    JetRow row(columnCount);
    const FileBytes file{m_data, m_size};
    LongValueClaims usedLongValues(m_size);

    // No column is bound: libmdb walks the pages and finds the rows, the values are decoded
    // here from the page buffer it leaves behind.
    mdb_rewind_table(t);
    quint64 visited = 0;
    while (mdb_fetch_row(t)) {
        int start = 0;
        size_t length = 0;
        if (mdb_find_row(mdb, int(t->cur_row) - 1, &start, &length) != 0)
            continue;
        start &= kRowOffsetMask;
        if (columnCount == 0 || mdb_crack_row(t, start, length, fields.data()) < 0)
            continue;
        for (guint i = 0; i < columnCount; ++i) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(t->columns, i));
            const CellFault fault = decodeCell(mdb, file, col, fields[i], start,
                                               start + int(length), usedLongValues, row[i]);
            if (fault == CellFault::None)
                continue;
            const QString where = QStringLiteral("column \"%1\" in row %2 of table \"%3\"")
                                      .arg(QString::fromUtf8(col->name))
                                      .arg(visited + 1)
                                      .arg(table);
            throw damaged(m_name, fault == CellFault::LongValueLost
                                      ? QStringLiteral("the long value of %1 is missing or cut "
                                                       "short")
                                            .arg(where)
                                      : QStringLiteral("the value of %1 is longer than the "
                                                       "column allows")
                                            .arg(where));
        }
        visit(row);
        ++visited;
        // The rows read so far live in the caller's memory now; without this, a bank of a
        // million questions would keep its whole file resident beside them until the end.
        if (m_mapped && visited % kRowsBetweenReleases == 0)
            releaseMappedFilePages(m_data, m_size);
    }
    // libmdb ends the walk quietly at a page it cannot read; the definition knows how many
    // rows there should be.
    if (visited < t->num_rows)
        throw damaged(m_name, QStringLiteral("rows of table \"%1\" are missing").arg(table));
}

QVector<JetRow> JetDatabase::readRows(const QString &table) const
{
    QVector<JetRow> rows;
    forEachRow(table, [&rows](const JetRow &row) { rows.append(row); });
    return rows;
}
