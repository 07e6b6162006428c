// The Jet 4 reader against files that Microsoft Access wrote, and against files it must refuse.
#include "DamagedBank.h"
#include "JetFixtures.h"
#include "WrittenBank.h"

#include "base/AppError.h"
#include "jet/JetDatabase.h"
#include "jet/JetText.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

namespace {

// mdb-export's CSV: first line the column names, "" inside quotes, line breaks inside values.
QList<QStringList> parseCsv(const QString &csv)
{
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar c = csv[i];
        if (quoted) {
            if (c == u'"' && i + 1 < csv.size() && csv[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << cell;
            cell.clear();
        } else if (c == u'\n') {
            row << cell;
            rows << row;
            row.clear();
            cell.clear();
        } else {
            cell += c;
        }
    }
    return rows;
}

QString openFailure(const QString &file)
{
    try {
        auto db = JetDatabase::open(file);
        for (const QString &table : db->tableNames())
            db->readRows(table);
    } catch (const AppError &e) {
        return e.message();
    }
    return QString();
}

QByteArray fixtureBytes(const QString &name)
{
    QFile f(JetFixtures::path(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// A one-row bank written here, for the cases that need no Access-made file.
QByteArray writtenBankBytes()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("bank.slg");
    if (!WrittenBank::write(file, {WrittenBank::row("科目", "题目", "选项", "A")}))
        return {};
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The most memory this process has held so far; -1 where the system does not say.
qint64 peakResidentBytes()
{
#ifdef Q_OS_LINUX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024; // Linux reports kilobytes
#else
    return -1;
#endif
}

QString readFailure(const QByteArray &bytes)
{
    try {
        JetDatabase::openBytes(bytes.constData(), bytes.size(), "damaged.slg")->readRows("问题");
    } catch (const AppError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

#define REQUIRE_SAMPLES()                                                                          \
    if (JetFixtures::path("V2000_no-password.mdb").isEmpty())                                      \
    QSKIP("the Access sample files are not available (QINGLAN_JET4_FIXTURES)")

class TestJetDatabase : public QObject {
    Q_OBJECT

private slots:
    void matchesMdbExport_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::newRow("password") << "V2000_with-password.mdb"
                                  << "Table1";
        QTest::newRow("no password") << "V2000_no-password.mdb"
                                     << "Table1";
        QTest::newRow("removed columns") << "delColTestV2000.mdb"
                                         << "Table1";
        QTest::newRow("overflow rows") << "overflowTestV2000.mdb"
                                       << "Table1";
        QTest::newRow("compressed unicode") << "testUnicodeCompV2003.mdb"
                                            << "Table";
    }
    void matchesMdbExport()
    {
        REQUIRE_SAMPLES();
        QFETCH(QString, file);
        QFETCH(QString, table);
        const QString mdbExport = QStandardPaths::findExecutable("mdb-export");
        if (mdbExport.isEmpty())
            QSKIP("mdb-export is not installed");
        QProcess process;
        process.start(mdbExport, {JetFixtures::path(file), table});
        QVERIFY(process.waitForFinished());
        const QList<QStringList> expected =
            parseCsv(QString::fromUtf8(process.readAllStandardOutput()));
        QVERIFY(expected.size() > 1);

        const auto db = JetDatabase::open(JetFixtures::path(file));
        QCOMPARE(db->tableNames(), QStringList{table});
        QStringList names;
        for (const JetColumn &c : db->columns(table))
            names << c.name;
        QCOMPARE(names, expected.first());
        const QVector<JetRow> rows = db->readRows(table);
        QCOMPARE(rows.size(), expected.size() - 1);
        for (int r = 0; r < rows.size(); ++r) {
            QStringList cells;
            for (const JetCell &cell : rows[r])
                cells << cell.text;
            QCOMPARE(cells, expected[r + 1]);
        }
    }

    void databasePassword()
    {
        REQUIRE_SAMPLES();
        QCOMPARE(
            JetDatabase::open(JetFixtures::path("V2000_with-password.mdb"))->databasePassword(),
            QStringLiteral("password"));
        QCOMPARE(JetDatabase::open(JetFixtures::path("V2000_no-password.mdb"))->databasePassword(),
                 QString());

        QTemporaryDir dir;
        const QString copy = dir.filePath("kpwq.mdb");
        QVERIFY(JetFixtures::copyTo("V2000_no-password.mdb", copy));
        JetFixtures::setDatabasePassword(copy, "kpwq");
        QCOMPARE(JetDatabase::open(copy)->databasePassword(), QStringLiteral("kpwq"));
        JetFixtures::setDatabasePassword(copy, QString(20, u'密')); // the longest there is
        QCOMPARE(JetDatabase::open(copy)->databasePassword(), QString(20, u'密'));
    }

    void columnsAndNulls()
    {
        REQUIRE_SAMPLES();
        const auto db = JetDatabase::open(JetFixtures::path("overflowTestV2000.mdb"));
        const QVector<JetColumn> columns = db->columns("Table1");
        QCOMPARE(columns.size(), 9);
        QCOMPARE(columns[0].name, QStringLiteral("data1"));
        QCOMPARE(columns[0].type, 10); // text
        const QVector<JetRow> rows = db->readRows("Table1");
        QCOMPARE(rows.size(), 7);
        QVERIFY(!rows[0][0].isNull);
        QCOMPARE(rows[0][0].text, QStringLiteral("row1col1"));
        QVERIFY(rows[0][1].isNull);
        QVERIFY(rows[0][1].text.isEmpty());

        QVERIFY_THROWS_EXCEPTION(AppError, db->columns("问题"));
        QVERIFY_THROWS_EXCEPTION(AppError, db->readRows("NoSuchTable"));
        QVERIFY(db->hasTable("table1")); // Jet names ignore case
    }

    void bytesAndFileReadAlike()
    {
        REQUIRE_SAMPLES();
        const QByteArray bytes = fixtureBytes("testUnicodeCompV2003.mdb");
        const auto fromBytes = JetDatabase::openBytes(bytes.constData(), bytes.size());
        const auto fromFile = JetDatabase::open(JetFixtures::path("testUnicodeCompV2003.mdb"));
        const QVector<JetRow> a = fromBytes->readRows("Table");
        const QVector<JetRow> b = fromFile->readRows("Table");
        QCOMPARE(a.size(), 8);
        QCOMPARE(a.size(), b.size());
        for (int r = 0; r < a.size(); ++r)
            QCOMPARE(a[r][1].text, b[r][1].text);
        QCOMPARE(a[4][1].text, QStringLiteral("漢字仮名交じり文"));
    }

    // libmdb's own text path cuts memos at its bind size (16 KB by default) and turns each half
    // of a surrogate pair into '?'; the reader decodes values itself.
    void longMemosAndAstralCharactersSurvive()
    {
        QString longText;
        for (int i = 0; longText.size() < 30000; ++i)
            longText += QStringLiteral("第%1段\U0001F600\U00020000文字").arg(i);
        QTemporaryDir dir;
        const QString file = dir.filePath("bank.slg");
        BankRecord shortRow = WrittenBank::row("科目", "短题目\U0001F600", "", "A");
        shortRow.options.reset();
        // 2,500 characters outside Latin-1 are 5,000 bytes: a chain of two long-value rows.
        const QString options(2500, u'选');
        QVERIFY(
            WrittenBank::write(file, {shortRow, WrittenBank::row("科目", longText, options, "")}));
        const auto db = JetDatabase::open(file);
        QCOMPARE(db->databasePassword(), QStringLiteral("kpwq"));
        const QVector<JetRow> rows = db->readRows("问题");
        QCOMPARE(rows.size(), 2);
        // Columns by number: 科目, 标准答案, 编号, 题目内容, 选项.
        QCOMPARE(rows[0][3].text, QStringLiteral("短题目\U0001F600"));
        QVERIFY(rows[0][4].isNull);
        QCOMPARE(rows[1][3].text.size(), longText.size());
        QCOMPARE(rows[1][3].text, longText);
        QCOMPARE(rows[1][4].text, options);
        QVERIFY(!rows[1][1].isNull);
        QVERIFY(rows[1][1].text.isEmpty());
    }

    // A memo whose long-value rows are gone must fail the read, naming what is lost, rather
    // than come back empty or partial: every long-value page of a bank is damaged in turn.
    void lostLongValuesAreDamage_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("page zeroed") << "zeroed";
        QTest::newRow("rows removed from the page") << "no rows";
        QTest::newRow("first row cut short") << "cut";
        QTest::newRow("first row deleted") << "deleted";
    }
    void lostLongValuesAreDamage()
    {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        const QString file = dir.filePath("bank.slg");
        // Options in one long-value row, a question in a chain of two, and an inline row.
        QVERIFY(
            WrittenBank::write(file, {WrittenBank::row("科目", "短题", "甲;乙", "A"),
                                      WrittenBank::row("科目", "题目一", QString(300, u'选'), "B"),
                                      WrittenBank::row("科目", QString(3000, u'题'), "丙", "C")}));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray good = f.readAll();
        QCOMPARE(JetDatabase::openBytes(good.constData(), good.size())->readRows("问题").size(), 3);

        int damagedPages = 0;
        for (qsizetype at = 4096; at + 4096 <= good.size(); at += 4096) {
            if (good.mid(at + 4, 4) != "LVAL")
                continue;
            QByteArray bytes = good;
            const int start = quint8(bytes[at + 14]) | quint8(bytes[at + 15]) << 8;
            if (damage == "zeroed") {
                bytes.replace(at, 4096, QByteArray(4096, '\0'));
            } else if (damage == "no rows") {
                bytes[at + 12] = 0;
                bytes[at + 13] = 0;
            } else if (damage == "cut") {
                bytes[at + 14] = char((start + 8) & 0xFF);
                bytes[at + 15] = char((start + 8) >> 8);
            } else {
                bytes[at + 15] = char(quint8(bytes[at + 15]) | 0x40);
            }
            ++damagedPages;
            const auto db = JetDatabase::openBytes(bytes.constData(), bytes.size(), "damaged.slg");
            QString failure;
            try {
                db->readRows("问题");
            } catch (const AppError &e) {
                failure = e.message();
            }
            QVERIFY2(failure.startsWith("The database file \"damaged.slg\" is damaged: the long "
                                        "value of column \""),
                     qPrintable(QStringLiteral("page %1: %2").arg(at / 4096).arg(failure)));
            QVERIFY2(failure.endsWith("of table \"问题\" is missing or cut short"),
                     qPrintable(failure));
        }
        QCOMPARE(damagedPages, 3); // one per memo column, one for the chain's full link
    }

    // Long-value chains bent into loops, or claimed by two values, are damage like a lost row.
    // Sixty rows each point into a loop and declare the longest length a memo can have: the
    // reader must stop at the first without ever holding more than the file's own size.
    void loopingChainsAreDamage_data()
    {
        QTest::addColumn<int>("loop"); // -1: the second chain's memo claims the first chain
        QTest::addColumn<quint32>("declared");
        const int self = int(DamagedBank::Loop::Self);
        const int pingPong = int(DamagedBank::Loop::PingPong);
        // Links carry 4,072 bytes; each question below is 6,000 bytes in two links.
        QTest::newRow("self, longest length") << self << 0xFFFFFFu;
        QTest::newRow("self, within the file") << self << 5000u;
        QTest::newRow("ping-pong, longest length") << pingPong << 0xFFFFFFu;
        QTest::newRow("ping-pong, back to the first link") << pingPong << 6000u + 4072u;
        QTest::newRow("ping-pong, on past the length") << pingPong << 5000u;
        QTest::newRow("two values, one chain") << -1 << 0u;
    }
    void loopingChainsAreDamage()
    {
        QFETCH(int, loop);
        QFETCH(quint32, declared);
        QVector<BankRecord> rows;
        for (int i = 0; i < 60; ++i)
            rows << WrittenBank::row("科目", QStringLiteral("第%1题").arg(i) + QString(2997, u'题'),
                                     "甲;乙", "A");
        QTemporaryDir dir;
        const QString file = dir.filePath("bank.slg");
        QVERIFY(WrittenBank::write(file, rows));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray good = f.readAll();
        QCOMPARE(DamagedBank::chains(good).size(), 60);
        QCOMPARE(readFailure(good), QString());

        const QByteArray bytes =
            loop < 0 ? DamagedBank::shareFirstChain(good)
                     : DamagedBank::loopChains(good, DamagedBank::Loop(loop), declared);
        QVERIFY(bytes != good);
        const QString failure = readFailure(bytes);
        QVERIFY2(failure.startsWith("The database file \"damaged.slg\" is damaged: the long value "
                                    "of column \"题目内容\" in row "),
                 qPrintable(failure));
        QVERIFY2(failure.endsWith("of table \"问题\" is missing or cut short"),
                 qPrintable(failure));
        // Followed to their declared lengths the sixty loops would fill gigabytes.
        QVERIFY2(peakResidentBytes() < 100 * 1024 * 1024,
                 qPrintable(QString::number(peakResidentBytes())));
    }

    void decodeText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QByteArray::fromHex("41004200517f") << "AB网";
        QTest::newRow("compressed") << QByteArray::fromHex("fffe414243") << "ABC";
        QTest::newRow("compressed, Latin-1") << QByteArray::fromHex("fffee4e9") << "äé";
        QTest::newRow("compressed, mixed runs")
            << QByteArray::fromHex("fffe4100517f0042") << "A网B";
        QTest::newRow("compressed, starts two-byte") << QByteArray::fromHex("fffe00517f") << "网";
        QTest::newRow("compressed, odd tail dropped")
            << QByteArray::fromHex("fffe00517f41") << "网";
        QTest::newRow("plain surrogate pair") << QByteArray::fromHex("3dd800de") << "\U0001F600";
        QTest::newRow("compressed surrogate pair")
            << QByteArray::fromHex("fffe003dd803de") << "\U0001F603";
        QTest::newRow("CJK extension B") << QByteArray::fromHex("40d800dc") << "\U00020000";
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("only the marker") << QByteArray::fromHex("fffe") << "";
    }
    void decodeText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(
            decodeJetText(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size()),
            text);
    }

    void refusesWhatIsNoJet4File_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray good = writtenBankBytes();
        QVERIFY(good.size() > 6 * 4096);
        QByteArray jet3 = good;
        jet3[0x14] = 0;
        QByteArray ace = good;
        ace[0x14] = 2;
        QByteArray noSignature = good;
        noSignature[6] = 'X';
        QByteArray noCatalogue = good;
        noCatalogue[2 * 4096] = 0x01;
        QTest::newRow("empty file") << QByteArray() << "is not a Jet 4 database";
        QTest::newRow("text file") << QByteArray("question,answer\n") << "is not a Jet 4 database";
        QTest::newRow("Jet 3") << jet3 << "is not a Jet 4 database";
        QTest::newRow("Access 2007") << ace << "is not a Jet 4 database";
        QTest::newRow("engine name") << noSignature << "is not a Jet 4 database";
        QTest::newRow("cut inside a page") << good.left(4 * 4096 + 100) << "is damaged";
        QTest::newRow("header only") << good.left(4096) << "is damaged";
        QTest::newRow("no catalogue page") << noCatalogue << "is damaged";
        QTest::newRow("cut at a page boundary") << good.left(6 * 4096) << "is damaged";
    }
    void refusesWhatIsNoJet4File()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString file = dir.filePath("question.slg");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const QString failure = openFailure(file);
        QVERIFY2(failure.contains(message), qPrintable(failure));
        QVERIFY2(failure.contains(file), qPrintable(failure));
    }

    void missingFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("question.slg");
        QCOMPARE(openFailure(file), QStringLiteral("Could not find file \"%1\"").arg(file));
    }
};

QTEST_GUILESS_MAIN(TestJetDatabase)
#include "tst_jetdatabase.moc"
