#include "base/AppError.h"
#include "base/IniFile.h"
#include "base/SiteConfig.h"
#include "platform/XdgStartPageStore.h"
#include "ui/main/HomePageStep.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// The Linux start-page file under the XDG configuration folder, through the exit step.
class TestXdgStartPageStore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void locationFollowsXdgConfigHome_data();
    void locationFollowsXdgConfigHome();
    void createdOnFirstExitThenNeverRewritten();
    void differingValueIsReplacedOthersKept();
    void unwritableFolderReportsSetFailure();
    void storedValueIsComparedExactly_data();
    void storedValueIsComparedExactly();

private:
    QString filePath() const;
    std::unique_ptr<QTemporaryDir> m_config;
    QByteArray m_savedXdg;
    bool m_hadXdg = false;
};

void TestXdgStartPageStore::init()
{
    m_hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    m_savedXdg = qgetenv("XDG_CONFIG_HOME");
    m_config = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
}

void TestXdgStartPageStore::cleanup()
{
    if (m_hadXdg)
        qputenv("XDG_CONFIG_HOME", m_savedXdg);
    else
        qunsetenv("XDG_CONFIG_HOME");
    m_config.reset();
}

QString TestXdgStartPageStore::filePath() const
{
    return m_config->filePath("qinglan/start-page.ini");
}

void TestXdgStartPageStore::locationFollowsXdgConfigHome_data()
{
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("expected");
    QTest::newRow("set") << "/srv/cfg"
                         << "/srv/cfg/qinglan/start-page.ini";
    QTest::newRow("unset") << QString() << QDir::homePath() + "/.config/qinglan/start-page.ini";
    QTest::newRow("relative is ignored")
        << "rel/cfg" << QDir::homePath() + "/.config/qinglan/start-page.ini";
}

void TestXdgStartPageStore::locationFollowsXdgConfigHome()
{
    QFETCH(QString, xdg);
    QFETCH(QString, expected);
    if (xdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg));
    QCOMPARE(XdgStartPageStore::defaultFilePath(), expected);
}

void TestXdgStartPageStore::createdOnFirstExitThenNeverRewritten()
{
    QVERIFY(!QFileInfo::exists(m_config->filePath("qinglan")));
    runHomePageStep(nullptr);
    QVERIFY(QFileInfo(filePath()).isFile());
    QCOMPARE(IniFile(filePath()).readString("Main", "Start Page"),
             QString::fromUtf8(site::kDirectoryPage));
    QFile file(filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    file.close();
    QVERIFY(written.contains("[Main]"));
    QVERIFY(written.contains("Start Page=" + QByteArray(site::kDirectoryPage)));

    // An equal value is left alone: neither the bytes nor the modification time change.
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    file.close();
    runHomePageStep(nullptr);
    QCOMPARE(QFileInfo(filePath()).lastModified().toUTC().toSecsSinceEpoch(),
             old.toSecsSinceEpoch());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), written);
}

void TestXdgStartPageStore::differingValueIsReplacedOthersKept()
{
    QVERIFY(QDir().mkpath(m_config->filePath("qinglan")));
    QFile file(filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    // The key as another spelling: names do not depend on case.
    file.write("; kept\n[Main]\nstart page=" + QByteArray(site::kDirectoryPage) + "/\nOther=1\n");
    file.close();
    runHomePageStep(nullptr);
    const IniFile ini(filePath());
    QCOMPARE(ini.readString("Main", "Start Page"), QString::fromUtf8(site::kDirectoryPage));
    QCOMPARE(ini.readString("Main", "Other"), QString("1"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("; kept\n"));
}

void TestXdgStartPageStore::unwritableFolderReportsSetFailure()
{
    // A file where the folder should be: the folder cannot be made, so the write fails even
    // for root.
    QFile blocker(m_config->filePath("qinglan"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        runHomePageStep(nullptr);
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), QString("Failed to set data for 'Start Page'"));
    }
}

// The registry compares the stored text as it is: blanks and quotation marks around the address
// make it another value, which the exit step replaces.
void TestXdgStartPageStore::storedValueIsComparedExactly_data()
{
    const QByteArray address(site::kDirectoryPage);
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("the address") << address << false;
    QTest::newRow("double quotes") << '"' + address + '"' << true;
    QTest::newRow("single quotes") << '\'' + address + '\'' << true;
    QTest::newRow("blanks after") << address + "  " << true;
    QTest::newRow("blank before") << ' ' + address << true;
    QTest::newRow("quoted and padded") << '"' + address + "\"  " << true;
    QTest::newRow("blank before, CRLF line ends") << ' ' + address << true;
}

void TestXdgStartPageStore::storedValueIsComparedExactly()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, rewritten);
    const QByteArray eol = QByteArray(QTest::currentDataTag()).contains("CRLF") ? "\r\n" : "\n";
    QVERIFY(QDir().mkpath(m_config->filePath("qinglan")));
    QFile file(filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray before = "[Main]" + eol + "Start Page=" + stored + eol;
    file.write(before);
    file.close();
    runHomePageStep(nullptr);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    if (rewritten)
        QCOMPARE(after, "[Main]" + eol + "Start Page=" + QByteArray(site::kDirectoryPage) + eol);
    else
        QCOMPARE(after, before);
}

QTEST_GUILESS_MAIN(TestXdgStartPageStore)
#include "tst_xdgstartpagestore.moc"
