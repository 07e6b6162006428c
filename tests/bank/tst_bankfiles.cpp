// Banks written by qinglan-bank, read back by three independent readers: the program's own
// reading code (qinglan-bank dump), mdbtools' mdb-export and the npm package mdb-reader.
#include "BankCsvReader.h"
#include "BankReaders.h"
#include "SyntheticBank.h"
#include "jet/BankFileStats.h"
#include "jet/JetFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <mdbtools.h>

#include <cstring>

using namespace BankReaders;

namespace {

Row expectedRow(const BankRecord &r)
{
    return {{QStringLiteral("科目"), r.subject},
            {QStringLiteral("题目内容"), r.text},
            {QStringLiteral("选项"), r.options},
            {QStringLiteral("标准答案"), r.answer},
            {QStringLiteral("编号"), QString::number(r.number)}};
}

QString show(const Row &row)
{
    QStringList parts;
    for (auto it = row.begin(); it != row.end(); ++it)
        parts.append(it.key() + u'=' + (it.value() ? u'"' + *it.value() + u'"' : u"NULL"_qs));
    return parts.join(QStringLiteral(", "));
}

// Compares row for row and cell for cell; names the first difference.
void compareRows(const QVector<Row> &actual, const QVector<Row> &expected, const char *reader)
{
    QVERIFY2(actual.size() == expected.size(), qPrintable(QStringLiteral("%1: %2 rows, expected %3")
                                                              .arg(QLatin1String(reader))
                                                              .arg(actual.size())
                                                              .arg(expected.size())));
    for (qsizetype i = 0; i < expected.size(); ++i)
        QVERIFY2(actual[i] == expected[i],
                 qPrintable(QStringLiteral("%1, row %2:\n got      %3\n expected %4")
                                .arg(QLatin1String(reader))
                                .arg(i + 1)
                                .arg(show(actual[i]), show(expected[i]))));
}

QByteArray encodingsCsv()
{
    const QString ascii3000 = u"abcdefghij"_qs.repeated(300);
    const QString chinese3000 = u"中文题目内容测试选项"_qs.repeated(300);
    QString csv = QStringLiteral("科目,题目内容,选项,标准答案,编号\n");
    const auto line = [&](const QString &fields) { csv += fields + u'\n'; };
    // Inline memo, plain (Chinese) and compressed (ASCII).
    line(u"\"网络安全\",\"短的题目\",\"ABCD options, all ASCII\",\"A\",1"_qs);
    // A memo with 一 (U+4E00) must stay plain although it is mostly ASCII.
    line(u"\"网络安全\",\"一 is the first, and this text is mostly ASCII\",\"一;二\",\"B\",2"_qs);
    // One long-value row: compressed ASCII and plain Chinese.
    line(u"\"科目\",\""_qs + u"x"_qs.repeated(300) + u"\",\""_qs + u"选项"_qs.repeated(400) +
         u"\",\"C\",3"_qs);
    // Chains: plain Chinese over two pages, ASCII too long to compress, Chinese over three.
    line(u"\"科目\",\""_qs + chinese3000 + u"\",\""_qs + ascii3000 + u"\",\"D\",7"_qs);
    line(u"\"科目\",\""_qs + chinese3000 + u"A\",\""_qs + chinese3000 + chinese3000 +
         u"\",\"E\",8"_qs);
    // NULL and empty, in texts and memos.
    line(u",\"NULL subject\",,,9"_qs);
    line(u"\"\",\"empty subject\",\"\",\"\",10"_qs);
    // Quotes, commas, line breaks, Latin-1 and characters outside the BMP (𠀀 U+20000, 😀).
    line(u"\"引号\"\"测试\"\"\",\"含有, 逗号和\n换行的题目 𠀀\",\"café; naïve; 😀\",\"√\",11"_qs);
    // No 编号: the next after the highest.
    line(u"\"自动编号\",\"没有编号的题目\",\"正确，错误\",\"正确\","_qs);
    return csv.toUtf8();
}

// The first byte of the table's owned-pages map: 0 inline, 1 reference.
int ownedMapKind(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = f.readAll();
    const char *tdef = bytes.constData() + 5 * JetFormat::kPageSize;
    const quint32 map = JetFormat::get32(tdef + 55);
    const char *page = bytes.constData() + qint64(map >> 8) * JetFormat::kPageSize;
    const int start = JetFormat::get16(page + 14 + 2 * int(map & 0xFF));
    return quint8(page[start]);
}

// A bank whose 科目 column is turned into another type: its entry in the table definition gets
// the type, precision and scale, and its value in the one row the given bytes (at most 18, the
// room its nine characters took). Both readers then read the same bytes as that type.
bool writeRetypedBank(const QString &source, const QString &bank, quint8 type, quint8 precision,
                      quint8 scale, const QByteArray &value)
{
    QFile csv(source);
    if (!csv.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    csv.write("科目,题目内容,选项,标准答案,编号\n\"RETYPED01\",\"题\",\"A;B\",\"A\",1\n");
    csv.close();
    if (BankReaders::tool({QStringLiteral("build"), source, QStringLiteral("-o"), bank}).exitCode !=
        0)
        return false;
    QFile file(bank);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    // The table definition of 问题 is page 5; 科目 is its first column entry, after the header
    // and one index row count.
    const qsizetype entry = 5 * JetFormat::kPageSize + 63 + 12;
    if (quint8(bytes[entry]) != MDB_TEXT)
        return false;
    bytes[entry] = char(type);
    bytes[entry + 11] = char(precision);
    bytes[entry + 12] = char(scale);
    QByteArray utf16;
    for (const char c : QByteArray("RETYPED01"))
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    const qsizetype at = bytes.indexOf(utf16);
    if (at < 0 || bytes.indexOf(utf16, at + 1) >= 0 || value.size() > utf16.size())
        return false;
    bytes.replace(at, utf16.size(), value + QByteArray(utf16.size() - value.size(), '\0'));
    return file.seek(0) && file.write(bytes) == bytes.size();
}

} // namespace

class TestBankFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void threeReaders_data();
    void threeReaders();
    void schemaAsLibmdbSeesIt();
    void deterministicAndRoundTrip();
    void accessFixtures_data();
    void accessFixtures();
    void decimalColumn_data();
    void decimalColumn();
    void numbersAndDatesIgnoreTheLocale_data();
    void numbersAndDatesIgnoreTheLocale();
    void damagedFiles_data();
    void damagedFiles();

private:
    QTemporaryDir m_dir;
    QString m_encodings;
};

void TestBankFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_encodings = m_dir.filePath(QStringLiteral("encodings.csv"));
    QFile f(m_encodings);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(encodingsCsv());
}

void TestBankFiles::threeReaders_data()
{
    QTest::addColumn<QString>("source"); // CSV, or "synth:ROWS:LONG_EVERY"
    QTest::addColumn<bool>("referenceMap");
    QTest::newRow("demo bank") << qEnvironmentVariable("QINGLAN_SOURCE_DIR") +
                                      QStringLiteral("/resources/bank/questions.csv")
                               << false;
    QTest::newRow("each encoding") << m_encodings << false;
    QTest::newRow("synthetic, chains and a reference map")
        << QStringLiteral("synth:14000:350") << true;
}

void TestBankFiles::threeReaders()
{
    QFETCH(QString, source);
    QFETCH(bool, referenceMap);
    const QString bank = m_dir.filePath(
        QStringLiteral("bank-%1.slg").arg(QTest::currentDataTag()).replace(u' ', u'_'));
    QVector<BankRecord> records;
    if (source.startsWith(QLatin1String("synth:"))) {
        const QStringList parts = source.split(u':');
        const int rows = parts[1].toInt();
        const Run r = tool({QStringLiteral("synth"), parts[1], QStringLiteral("-o"), bank,
                            QStringLiteral("--long-every"), parts[2]});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        SyntheticBank synthetic(1, parts[2].toInt());
        for (int i = 0; i < rows; ++i)
            records.append(synthetic.row(i));
    } else {
        QVERIFY2(QFile::exists(source), qPrintable(source));
        const Run r = tool({QStringLiteral("build"), source, QStringLiteral("-o"), bank});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        records = BankCsvReader::readFile(source);
    }
    QVector<Row> expected, libmdbExpected, dumpExpected;
    for (const BankRecord &r : records) {
        expected.append(expectedRow(r));
        Row seen, dumped;
        const Row row = expectedRow(r);
        for (auto it = row.begin(); it != row.end(); ++it) {
            seen.insert(it.key(), asLibmdbSees(it.value()));
            // The dump prints as mdb-export does: an empty value like NULL, all else intact.
            dumped.insert(it.key(),
                          it.value() && it.value()->isEmpty() ? std::nullopt : it.value());
        }
        libmdbExpected.append(seen);
        dumpExpected.append(dumped);
    }

    compareRows(viaDump(bank), dumpExpected, "qinglan-bank dump");
    compareRows(viaMdbExport(bank), libmdbExpected, "mdb-export");
    const MdbReaderResult independent = viaMdbReader(bank);
    QCOMPARE(independent.password, QStringLiteral("kpwq"));
    QCOMPARE(independent.tables, QStringList{QStringLiteral("问题")});
    compareRows(independent.rows, expected, "mdb-reader");

    // The file holds what its name promises.
    const BankFileStats stats = BankFileStats::scan(bank);
    QCOMPARE(stats.rows, qint64(records.size()));
    QCOMPARE(ownedMapKind(bank), referenceMap ? 1 : 0);
    const auto &text = stats.columns[1];
    const auto &options = stats.columns[2];
    QVERIFY(text.inlined > 0 && options.inlined > 0);
    QVERIFY(text.singleRow + options.singleRow > 0);
    QVERIFY(text.compressed + options.compressed > 0);
    if (QByteArray(QTest::currentDataTag()) != "demo bank") {
        QVERIFY(text.chained + options.chained > 0);
    }
    if (QByteArray(QTest::currentDataTag()) == "each encoding") {
        QCOMPARE(stats.columns[0].nulls, 1); // 科目 NULL once ...
        QCOMPARE(stats.columns[0].empty, 1); // ... and empty once
        QCOMPARE(options.nulls, 1);
        QCOMPARE(options.empty, 1);
        QCOMPARE(text.chained, 2);
        QCOMPARE(options.chained, 2);
        // Compressed where shorter: the ASCII questions of lines 4, 7 and 8 and the ASCII
        // options of line 2; never a value with 一, or over 1024 characters, or mostly CJK.
        QCOMPARE(text.compressed, 3);
        QCOMPARE(options.compressed, 1);
        QCOMPARE(viaDump(bank).last().value(QStringLiteral("编号")), u"12"_qs);
    }
}

void TestBankFiles::schemaAsLibmdbSeesIt()
{
    const QString bank = m_dir.filePath(QStringLiteral("schema.slg"));
    const Run r = tool({QStringLiteral("build"), m_encodings, QStringLiteral("-o"), bank});
    QVERIFY2(r.exitCode == 0, r.err.constData());
    MdbHandle *mdb = mdb_open(bank.toUtf8().constData(), MDB_NOFLAGS);
    QVERIFY(mdb);
    QCOMPARE(int(mdb->f->jet_version), MDB_VER_JET4);
    QCOMPARE(int(mdb->f->lang_id), 2052);
    QCOMPARE(int(mdb->fmt->pg_size), 4096);
    QVERIFY(mdb_read_catalog(mdb, MDB_TABLE));
    MdbTableDef *table = mdb_read_table_by_name(mdb, const_cast<char *>("问题"), MDB_TABLE);
    QVERIFY(table);
    mdb_read_columns(table);
    mdb_read_indices(table);
    QCOMPARE(int(table->num_cols), 5);
    QCOMPARE(int(table->num_rows), 9);
    struct Expected {
        const char *name;
        int type, number, slot;
    };
    const Expected expected[] = {{"科目", MDB_TEXT, 0, 0},
                                 {"题目内容", MDB_MEMO, 5, 4},
                                 {"选项", MDB_MEMO, 6, 5},
                                 {"标准答案", MDB_TEXT, 3, 3},
                                 {"编号", MDB_LONGINT, 4, -1}};
    for (const Expected &e : expected) {
        MdbColumn *col = nullptr;
        for (guint i = 0; i < table->num_cols; ++i) {
            auto *c = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
            if (QByteArray(c->name) == e.name)
                col = c;
        }
        QVERIFY2(col, e.name);
        QCOMPARE(col->col_type, e.type);
        QCOMPARE(col->col_num, e.number);
        if (e.slot >= 0) {
            QVERIFY(!col->is_fixed);
            QCOMPARE(col->var_col_num, e.slot);
        } else {
            QVERIFY(col->is_fixed);
            QVERIFY(col->is_long_auto);
        }
    }
    QCOMPARE(int(table->num_idxs), 1);
    auto *index = static_cast<MdbIndex *>(g_ptr_array_index(table->indices, 0));
    QCOMPARE(QByteArray(index->name), QByteArray("PrimaryKey"));
    QCOMPARE(int(index->index_type), 1);
    QCOMPARE(int(index->num_keys), 1);
    // libmdb turns the key's column number into a 1-based position in its own column order.
    const int key = index->key_col_num[0] - 1;
    QVERIFY(key >= 0 && key < int(table->num_cols));
    QCOMPARE(QByteArray(static_cast<MdbColumn *>(g_ptr_array_index(table->columns, key))->name),
             QByteArray("题目内容"));
    QVERIFY(index->flags & MDB_IDX_UNIQUE);
    mdb_free_tabledef(table);
    mdb_close(mdb);
}

void TestBankFiles::deterministicAndRoundTrip()
{
    const QString a = m_dir.filePath(QStringLiteral("a.slg"));
    const QString b = m_dir.filePath(QStringLiteral("b.slg"));
    QCOMPARE(tool({QStringLiteral("build"), m_encodings, QStringLiteral("-o"), a}).exitCode, 0);
    QCOMPARE(tool({QStringLiteral("build"), m_encodings, QStringLiteral("-o"), b}).exitCode, 0);
    QFile fa(a), fb(b);
    QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
    const QByteArray bytes = fa.readAll();
    QVERIFY(bytes == fb.readAll());
    QCOMPARE(bytes.size() % 4096, 0);

    // mdb-export's CSV builds a bank that exports the same CSV again (columns in its order).
    const Run exported = run(QStringLiteral("mdb-export"), {a, QStringLiteral("问题")});
    QCOMPARE(exported.exitCode, 0);
    const QString csv = m_dir.filePath(QStringLiteral("exported.csv"));
    QFile out(csv);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(exported.out);
    out.close();
    const QString rebuilt = m_dir.filePath(QStringLiteral("rebuilt.slg"));
    const Run build = tool({QStringLiteral("build"), csv, QStringLiteral("-o"), rebuilt});
    QVERIFY2(build.exitCode == 0, build.err.constData());
    QCOMPARE(run(QStringLiteral("mdb-export"), {rebuilt, QStringLiteral("问题")}).out,
             exported.out);
}

void TestBankFiles::accessFixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    const QString dir = qEnvironmentVariable("QINGLAN_JET4_FIXTURES");
    QTest::newRow("with password") << dir + u"/V2000_with-password.mdb"_qs << u"Table1"_qs;
    QTest::newRow("no password") << dir + u"/V2000_no-password.mdb"_qs << u"Table1"_qs;
    QTest::newRow("removed columns") << dir + u"/delColTestV2000.mdb"_qs << u"Table1"_qs;
    QTest::newRow("overflow rows") << dir + u"/overflowTestV2000.mdb"_qs << u"Table1"_qs;
    QTest::newRow("compressed unicode") << dir + u"/testUnicodeCompV2003.mdb"_qs << u"Table"_qs;
}

void TestBankFiles::accessFixtures()
{
    QFETCH(QString, file);
    QFETCH(QString, table);
    if (!QFile::exists(file))
        QSKIP("the Access-made sample files are not on this machine");
    const Run dump = tool({QStringLiteral("dump"), file, table});
    QVERIFY2(dump.exitCode == 0, dump.err.constData());
    const Run exported = run(QStringLiteral("mdb-export"), {file, table});
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(QString::fromUtf8(dump.out), QString::fromUtf8(exported.out));
}

// A Decimal (numeric) column: sign, then the magnitude as four 32-bit words, the most
// significant first, each least significant byte first. The dump must print it as mdb-export
// does, not as NULL.
void TestBankFiles::decimalColumn_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<QList<quint32>>("words"); // most significant first
    QTest::addColumn<QString>("printed");
    QTest::newRow("whole number") << 0 << false << QList<quint32>{0, 0, 0, 4} << "4";
    QTest::newRow("two decimals") << 2 << false << QList<quint32>{0, 0, 0, 1234} << "12.34";
    QTest::newRow("negative fraction") << 2 << true << QList<quint32>{0, 0, 0, 5} << "-0.05";
    QTest::newRow("zero") << 0 << false << QList<quint32>{0, 0, 0, 0} << "0";
    QTest::newRow("past 64 bits") << 0 << false << QList<quint32>{0, 1, 0, 0}
                                  << "18446744073709551616";
    QTest::newRow("28 digits, 10 decimals")
        << 10 << false << QList<quint32>{0, 0x204FCE5E, 0x3E250261, 0x0FFFFFFF}
        << "999999999999999999.9999999999"; // 10^28 - 1
}

void TestBankFiles::decimalColumn()
{
    QFETCH(int, scale);
    QFETCH(bool, negative);
    QFETCH(QList<quint32>, words);
    QFETCH(QString, printed);
    QByteArray decimal(1, negative ? char(0x80) : char(0));
    for (const quint32 word : words) {
        for (int shift = 0; shift < 32; shift += 8)
            decimal += char((word >> shift) & 0xFF);
    }
    const QString bank = m_dir.filePath(QStringLiteral("decimal.slg"));
    QVERIFY(writeRetypedBank(m_dir.filePath(QStringLiteral("decimal.csv")), bank, MDB_NUMERIC, 28,
                             quint8(scale), decimal));

    const Run dump = tool({QStringLiteral("dump"), bank});
    QVERIFY2(dump.exitCode == 0, dump.err.constData());
    const Run exported = run(QStringLiteral("mdb-export"), {bank, QStringLiteral("问题")});
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(QString::fromUtf8(dump.out), QString::fromUtf8(exported.out));
    QCOMPARE(parseCsv(dump.out).value(0).value(QStringLiteral("科目")).value_or(QString()),
             printed);
}

// Numbers and dates print the same whatever the user's locale: a decimal comma would split the
// field, and mdb-export formats both in the C locale. A German locale is made for the test.
void TestBankFiles::numbersAndDatesIgnoreTheLocale_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("printed");
    QTest::newRow("Double") << int(MDB_DOUBLE) << 444.555 << "444.555";
    QTest::newRow("Date/Time") << int(MDB_DATETIME) << 27293.5 << "09/21/74 12:00:00";
}

void TestBankFiles::numbersAndDatesIgnoreTheLocale()
{
    QFETCH(int, type);
    QFETCH(double, stored);
    QFETCH(QString, printed);
    const QString locales = m_dir.filePath(QStringLiteral("locales"));
    QDir().mkpath(locales);
    const Run made = run(QStringLiteral("localedef"),
                         {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                          QStringLiteral("UTF-8"), locales + QStringLiteral("/de_DE.UTF-8")});
    if (made.exitCode != 0 || !QFileInfo::exists(locales + QStringLiteral("/de_DE.UTF-8")))
        QSKIP("localedef cannot make a German locale here");
    QByteArray value(sizeof stored, '\0');
    std::memcpy(value.data(), &stored, sizeof stored);
    const QString bank = m_dir.filePath(QStringLiteral("number.slg"));
    QVERIFY(writeRetypedBank(m_dir.filePath(QStringLiteral("number.csv")), bank, quint8(type), 0, 0,
                             value));

    qputenv("LOCPATH", QFile::encodeName(locales));
    qputenv("LC_ALL", "de_DE.UTF-8");
    const Run dump = tool({QStringLiteral("dump"), bank});
    const Run exported = run(QStringLiteral("mdb-export"), {bank, QStringLiteral("问题")});
    qunsetenv("LC_ALL");
    qunsetenv("LOCPATH");
    QVERIFY2(dump.exitCode == 0, dump.err.constData());
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(QString::fromUtf8(dump.out), QString::fromUtf8(exported.out));
    QCOMPARE(parseCsv(dump.out).value(0).value(QStringLiteral("科目")).value_or(QString()),
             printed);
}

void TestBankFiles::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString demo = m_dir.filePath(QStringLiteral("damage-source.slg"));
    QCOMPARE(tool({QStringLiteral("build"), m_encodings, QStringLiteral("-o"), demo}).exitCode, 0);
    QFile f(demo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    const auto overwrite = [&good](int page, char fill) {
        QByteArray b = good;
        b.replace(page * 4096 + 1, 4095, QByteArray(4095, fill));
        return b;
    };
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text file") << QByteArray("科目,题目内容\n\"a\",\"b\"\n");
    QTest::newRow("header only") << good.left(4096);
    QTest::newRow("cut inside the catalogue") << good.left(2 * 4096 + 100);
    QTest::newRow("cut after the definitions") << good.left(8 * 4096);
    QTest::newRow("cut mid-page") << good.left(good.size() - 1000);
    QTest::newRow("catalogue definition garbage") << overwrite(2, '\xFF');
    QTest::newRow("catalogue rows garbage") << overwrite(4, '\x7F');
    QTest::newRow("table definition garbage") << overwrite(5, '\xFF');
    QTest::newRow("usage maps garbage") << overwrite(6, '\x01');
    QTest::newRow("first data page garbage") << overwrite(8, '\xFE');
    // The first long-value page damaged: the memos pointing there are lost.
    for (qsizetype page = 8; page < good.size() / 4096; ++page) {
        if (good.mid(page * 4096 + 4, 4) == "LVAL") {
            const qsizetype at = page * 4096;
            QByteArray b = good;
            b.replace(at + 12, 4096 - 12, QByteArray(4096 - 12, '\xFF'));
            QTest::newRow("long values garbage") << b;
            b = good;
            b.replace(at, 4096, QByteArray(4096, '\0'));
            QTest::newRow("long values zeroed") << b;
            // The first row's start moved on by 8 bytes: that value is cut short.
            b = good;
            const int start = quint8(b[at + 14]) | quint8(b[at + 15]) << 8;
            b[at + 14] = char((start + 8) & 0xFF);
            b[at + 15] = char((start + 8) >> 8);
            QTest::newRow("long value cut short") << b;
            b = good;
            b[at + 12] = 0; // no rows left on the page
            b[at + 13] = 0;
            QTest::newRow("long-value rows gone") << b;
            break;
        }
    }
    QByteArray wrongVersion = good;
    wrongVersion[0x14] = 0x09;
    QTest::newRow("unknown version") << wrongVersion;
}

void TestBankFiles::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    const QString file = m_dir.filePath(QStringLiteral("damaged.slg"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    for (const QString &command : {QStringLiteral("dump"), QStringLiteral("check")}) {
        const Run r = tool({command, file});
        QVERIFY2(!r.crashed, qPrintable(command + QStringLiteral(" crashed")));
        // A damaged page may still leave a readable table; what it must never do is crash,
        // hang or report success with nothing said about the damage it could not read.
        if (r.exitCode != 0) {
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains(file.toUtf8()), r.err.constData());
        }
    }
    // These are refused outright; check also notices memos whose long values are gone.
    const QByteArray tag = QTest::currentDataTag();
    if (tag == "empty file" || tag == "text file" || tag == "header only" ||
        tag == "unknown version" || tag.startsWith("cut") || tag.contains("definition") ||
        tag == "catalogue rows garbage") {
        QCOMPARE(tool({QStringLiteral("dump"), file}).exitCode, 1);
        QCOMPARE(tool({QStringLiteral("check"), file}).exitCode, 1);
    }
    // A memo whose long value is lost must not come out as an empty or partial text.
    if (tag.startsWith("long value")) {
        const Run dump = tool({QStringLiteral("dump"), file});
        QCOMPARE(dump.exitCode, 1);
        QVERIFY2(dump.err.contains("is damaged") && dump.err.contains("missing or cut short"),
                 dump.err.constData());
        const Run r = tool({QStringLiteral("check"), file});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("cut short"), r.err.constData());
    }
}

QTEST_GUILESS_MAIN(TestBankFiles)
#include "tst_bankfiles.moc"
