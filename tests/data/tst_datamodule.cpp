// The data module's connection: what a failed connect reports, that every lookup tries again,
// what a lookup reports for a file without the bank's table or columns, and how long the file
// is held open.
#include "DamagedBank.h"
#include "JetFixtures.h"
#include "WrittenBank.h"

#include "base/AppError.h"
#include "data/BankConnection.h"
#include "data/BankQuery.h"
#include "data/BankSchema.h"
#include "data/TDataModule1.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const AppError &e) {
        return e.message();
    }
    return QString();
}

// Whether this process has the file open (Linux: the links in /proc/self/fd).
bool heldOpen(const QString &file)
{
    const QString target = QFileInfo(file).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System)) {
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target)
            return true;
    }
    return false;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

#define REQUIRE_SAMPLE(copied)                                                                     \
    if (!(copied))                                                                                 \
    QSKIP("the Access sample files are not available (QINGLAN_JET4_FIXTURES)")

class TestDataModule : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_appPath = m_dir->path() + QLatin1Char('/');
        m_bank = m_appPath + QStringLiteral("question.slg");
    }

    void failedConnectIsRetriedByEveryLookup_data()
    {
        QTest::addColumn<QString>("fixture"); // empty: no file; "text": not a database
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << ""
                                      << "Could not find file";
        QTest::newRow("not a Jet file") << "text"
                                        << "is not a Jet 4 database";
        QTest::newRow("damaged file") << "cut"
                                      << "is damaged";
        QTest::newRow("memo's long value lost") << "lost memo"
                                                << "is missing or cut short";
        QTest::newRow("memo chain loops on itself") << "self loop"
                                                    << "is missing or cut short";
        QTest::newRow("memo chains ping-pong") << "ping-pong"
                                               << "is missing or cut short";
        QTest::newRow("other password") << "V2000_with-password.mdb"
                                        << "Not a valid password";
        QTest::newRow("no password") << "V2000_no-password.mdb"
                                     << "Not a valid password";
    }
    void failedConnectIsRetriedByEveryLookup()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, message);
        if (fixture == "text") {
            writeFile(m_bank, "科目,题目内容\n");
        } else if (fixture == "cut") {
            QVERIFY(WrittenBank::write(m_bank, {WrittenBank::row("科目", "题目", "选项", "A")}));
            QVERIFY(QFile::resize(m_bank, 5 * 4096 + 17));
        } else if (fixture == "lost memo") {
            // The options' long-value page zeroed after writing.
            QVERIFY(WrittenBank::write(
                m_bank, {WrittenBank::row("科目", "题目", QString(300, u'选'), "A")}));
            QFile f(m_bank);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const QByteArray bytes = f.readAll();
            qsizetype page = 4096;
            while (page + 4096 <= bytes.size() && bytes.mid(page + 4, 4) != "LVAL")
                page += 4096;
            QVERIFY(page + 4096 <= bytes.size());
            QVERIFY(f.seek(page));
            QCOMPARE(f.write(QByteArray(4096, '\0')), qint64(4096));
        } else if (fixture == "self loop" || fixture == "ping-pong") {
            // Every question in a chain of two links that loops, each claiming 0xFFFFFF bytes.
            QVector<BankRecord> rows;
            for (int i = 0; i < 60; ++i)
                rows << WrittenBank::row("科目", QString(3000, u'题') + QString::number(i), "甲;乙",
                                         "A");
            QVERIFY(WrittenBank::write(m_bank, rows));
            QFile f(m_bank);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray good = f.readAll();
            f.close();
            writeFile(m_bank,
                      DamagedBank::loopChains(good,
                                              fixture == "self loop" ? DamagedBank::Loop::Self
                                                                     : DamagedBank::Loop::PingPong,
                                              0xFFFFFF));
        } else if (!fixture.isEmpty()) {
            REQUIRE_SAMPLE(JetFixtures::copyTo(fixture, m_bank));
        }

        TDataModule1 module(m_appPath);
        const QString first = failureOf([&] { module.DataModuleCreate(); });
        QVERIFY2(first.contains(message), qPrintable(first));
        QVERIFY2(first.contains(m_bank), qPrintable(first));
        QVERIFY(!module.ADOConnection1->Connected());
        QVERIFY(!heldOpen(m_bank) || fixture.isEmpty());
        for (int lookup = 0; lookup < 2; ++lookup) {
            QCOMPARE(failureOf([&] { module.ADOQuery1->findLast("网络"); }), first);
            QVERIFY(!module.ADOConnection1->Connected());
        }
    }

    void lookupConnectsOnceTheFileIsThere()
    {
        TDataModule1 module(m_appPath);
        QVERIFY(failureOf([&] { module.DataModuleCreate(); }).contains("Could not find file"));
        // A Jet 4 file with the right password but without the bank's table: the connect
        // succeeds, the lookup reports the table.
        REQUIRE_SAMPLE(JetFixtures::copyTo("V2000_no-password.mdb", m_bank));
        JetFixtures::setDatabasePassword(m_bank, "kpwq");
        const QString missingTable = failureOf([&] { module.ADOQuery1->findLast("网络"); });
        QVERIFY(module.ADOConnection1->Connected());
        QCOMPARE(missingTable,
                 QStringLiteral("Cannot find the table \"问题\" in \"%1\"").arg(m_bank));
        // Even an empty fragment reports it: the file is not the bank.
        QCOMPARE(failureOf([&] { module.ADOQuery1->findLast(""); }), missingTable);
    }

    void fileIsHeldUntilTheModuleGoes()
    {
        QVERIFY(WrittenBank::write(m_bank, {WrittenBank::row("科目", "题目", "选项", "A")}));
        {
            TDataModule1 module(m_appPath);
            QVERIFY(!heldOpen(m_bank));
            module.DataModuleCreate();
            QVERIFY(module.ADOConnection1->Connected());
            QVERIFY(heldOpen(m_bank));
        }
        QVERIFY(!heldOpen(m_bank));
    }

    void connectsAndLooksUp()
    {
        BankRecord noOptions =
            WrittenBank::row("网络安全", "关于网络安全的说法正确的是（）", "", "");
        noOptions.options.reset();
        noOptions.answer.reset();
        QVERIFY(WrittenBank::write(
            m_bank, {WrittenBank::row("网络安全", "网络安全", "正确;错误", "错误"), noOptions,
                     WrittenBank::row("数学", "增长率为50%，则（）\U0001F600", "甲;乙", "A"),
                     WrittenBank::row("数学", "下一题", "甲;乙", "B")}));
        TDataModule1 module(m_appPath);
        module.DataModuleCreate();
        QVERIFY(module.ADOConnection1->Connected());

        const auto later = module.ADOQuery1->findLast("、网络安全 \r\n");
        QVERIFY(later.has_value());
        QCOMPARE(later->text, QStringLiteral("关于网络安全的说法正确的是（）"));
        QVERIFY(later->options.isEmpty()); // NULL reads as empty text
        QVERIFY(later->answer.isEmpty());

        const auto percent = module.ADOQuery1->findLast("５０%，则");
        QVERIFY(percent.has_value());
        QCOMPARE(percent->subject, QStringLiteral("数学"));
        QCOMPARE(percent->text, QStringLiteral("增长率为50%，则（）\U0001F600"));
        QCOMPARE(percent->answer, QStringLiteral("A"));
        QVERIFY(module.ADOQuery1->findLast("\U0001F600").has_value());

        // Nothing for an empty fragment or a lone apostrophe, and no error either. (Inner line
        // breaks keep the literal pass from matching, tst_lookup; the tolerant passes behind it
        // may still join a wrapped line, so that is not asserted here.)
        QVERIFY(!module.ADOQuery1->findLast("").has_value());
        QVERIFY(!module.ADOQuery1->findLast("、 \r\n").has_value());
        QVERIFY(!module.ADOQuery1->findLast("'").has_value());
    }

    void missingColumnIsNamed_data()
    {
        QTest::addColumn<int>("missing");
        QTest::addColumn<QString>("message");
        QTest::newRow("科目") << 0 << "ADOQuery1: Field '科目' not found";
        QTest::newRow("题目内容") << 1 << "ADOQuery1: Field '题目内容' not found";
        QTest::newRow("选项") << 2 << "ADOQuery1: Field '选项' not found";
        QTest::newRow("标准答案") << 3 << "ADOQuery1: Field '标准答案' not found";
    }
    void missingColumnIsNamed()
    {
        QFETCH(int, missing);
        QFETCH(QString, message);
        // The bank's design: 科目, 标准答案, 编号, 题目内容, 选项 by column number.
        QVector<JetColumn> columns = {{"科目", 10, 510},
                                      {"标准答案", 10, 510},
                                      {"编号", 4, 4},
                                      {"题目内容", 12, 0},
                                      {"选项", 12, 0}};
        const std::array<int, 4> found = BankSchema::locateColumns(columns);
        QCOMPARE(found, (std::array<int, 4>{0, 3, 4, 1}));
        columns.removeIf([&](const JetColumn &c) {
            return c.name == BankSchema::columnNames()[std::size_t(missing)];
        });
        QCOMPARE(failureOf([&] { BankSchema::locateColumns(columns); }), message);
    }

    // A question column that cannot be searched fails the connect with a message naming its
    // type, instead of every lookup finding nothing; a memo column retyped to Text fails as
    // damage instead of showing the memo's header bytes as the question.
    void unsearchableQuestionColumnFailsConnect_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("length"); // -1: the declared length stays
        QTest::addColumn<QString>("message");
        const QString wrongType = "The table \"问题\" in \"%1\" cannot be searched: column "
                                  "\"题目内容\" is of type %2, not Memo";
        QTest::newRow("Long") << 4 << -1 << wrongType.arg("%1", "Long");
        QTest::newRow("Decimal") << 16 << -1 << wrongType.arg("%1", "Decimal");
        QTest::newRow("OLE Object") << 11 << -1 << wrongType.arg("%1", "OLE Object");
        QTest::newRow("Yes/No") << 1 << -1 << wrongType.arg("%1", "Yes/No");
        QTest::newRow("unknown type") << 0x33 << -1 << wrongType.arg("%1", "unknown (51)");
        QTest::newRow("Text, memo length") << 10 << -1
                                           << "The database file \"%1\" is damaged: the value of "
                                              "column \"题目内容\" in row 1 of table \"问题\" is "
                                              "longer than the column allows";
        QTest::newRow("Text(255)") << 10 << 510
                                   << "The database file \"%1\" is damaged: the value of column "
                                      "\"题目内容\" in row 1 of table \"问题\" is not text";
    }
    void unsearchableQuestionColumnFailsConnect()
    {
        QFETCH(int, type);
        QFETCH(int, length);
        QFETCH(QString, message);
        // Inline, in one long-value row and in a chain: each shows the memo header when
        // read as text.
        QVERIFY(
            WrittenBank::write(m_bank, {WrittenBank::row("科目", "题目", "选项", "A"),
                                        WrittenBank::row("科目", QString(300, u'长'), "", "B"),
                                        WrittenBank::row("科目", QString(3000, u'链'), "", "C")}));
        QFile f(m_bank);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray good = f.readAll();
        f.close();
        writeFile(m_bank, DamagedBank::retypeColumn(good, 5, type, length));

        TDataModule1 module(m_appPath);
        QCOMPARE(failureOf([&] { module.DataModuleCreate(); }), message.arg(m_bank));
        QVERIFY(!module.ADOConnection1->Connected());
        QCOMPARE(failureOf([&] { module.ADOQuery1->findLast("题目"); }), message.arg(m_bank));
    }

    // Rows are built into the table on a second thread while the file is still being read; a
    // damaged row far into a large bank, with many rows in flight, still fails the connect with
    // its own message, and nothing is left connected.
    void damageFarIntoALargeBankFailsConnect_data()
    {
        QTest::addColumn<int>("damagedRow");
        QTest::newRow("first row") << 1;
        QTest::newRow("between batches") << 2049;
        QTest::newRow("last row") << 6000;
    }
    void damageFarIntoALargeBankFailsConnect()
    {
        QFETCH(int, damagedRow);
        QVector<BankRecord> rows;
        for (int i = 1; i <= 6000; ++i) {
            const QString subject = i == damagedRow ? QStringLiteral("科") + QChar(0) : u"科目"_qs;
            rows.append(
                WrittenBank::row(subject, QStringLiteral("第%1题的内容").arg(i), "甲;乙", "A"));
        }
        QVERIFY(WrittenBank::write(m_bank, rows));
        TDataModule1 module(m_appPath);
        QCOMPARE(failureOf([&] { module.DataModuleCreate(); }),
                 QStringLiteral("The database file \"%1\" is damaged: the value of column "
                                "\"科目\" in row %2 of table \"问题\" is not text")
                     .arg(m_bank)
                     .arg(damagedRow));
        QVERIFY(!module.ADOConnection1->Connected());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_appPath;
    QString m_bank;
};

QTEST_GUILESS_MAIN(TestDataModule)
#include "tst_datamodule.moc"
