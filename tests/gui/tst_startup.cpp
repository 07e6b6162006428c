#include "app/Application.h"
#include "ui/about/TForm2.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QResource>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray embeddedBank()
{
    const QResource resource(":/SlgFILE/questionslg");
    return resource.uncompressedData();
}

} // namespace

// The program's life from creation to exit, against a temporary program folder.
class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void freshStartUnpacksAndExitCleansUp();
    void storedOptionsRestored_data();
    void storedOptionsRestored();
    void presentBankSkipsUnpackAndRestore();
    void folderNamedLikeBankIsNotPresent();
    void readOnlySettingsFileReportsAndSkipsRest();
    void terminationSignalRunsTheNormalExit_data();
    void terminationSignalRunsTheNormalExit();

private:
    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_errors;
};

void TestStartup::init()
{
    m_errors.clear();
    ErrorGuard::setReporter([this](const QString &text) { m_errors << text; });
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestStartup::cleanup()
{
    m_dir.reset();
    ErrorGuard::setReporter({});
}

void TestStartup::freshStartUnpacksAndExitCleansUp()
{
    Application app(m_dir->path());
    app.start();
    QVERIFY(app.Form1->AppPath.endsWith(u'/'));
    QCOMPARE(app.Form1->ConfigPath, path("Config.ini"));
    QVERIFY(!embeddedBank().isEmpty());
    QCOMPARE(readAll(path("question.slg")), embeddedBank());
    QVERIFY(app.Form1->isVisible());
    QVERIFY(app.Form1->isTopmost());
    QVERIFY(!app.Form2->isVisible());

    QElapsedTimer exit;
    exit.start();
    app.shutdown();
    QVERIFY(exit.elapsed() >= 500);
    QVERIFY(!QFile::exists(path("question.slg")));
    QCOMPARE(readAll(path("Config.ini")),
             QByteArray("[Config]\r\nSetHomePage=1\r\nSetTop=1\r\nWatchClipboard=0\r\n"));
}

void TestStartup::storedOptionsRestored_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("homePage");
    QTest::addColumn<bool>("top");
    QTest::newRow("both off") << QByteArray("[Config]\r\nSetHomePage=0\r\nSetTop=0\r\n") << false
                              << false;
    QTest::newRow("only SetTop off") << QByteArray("[Config]\r\nSetTop=0\r\n") << true << false;
    QTest::newRow("not numbers read as on")
        << QByteArray("[Config]\r\nSetHomePage=no\r\nSetTop=\r\n") << true << true;
}

void TestStartup::storedOptionsRestored()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, homePage);
    QFETCH(bool, top);
    writeAll(path("Config.ini"), stored);
    TForm1 form(m_dir->path());
    form.setExitWait(0);
    QCOMPARE(form.CheckBox3->isChecked(), homePage);
    QCOMPARE(form.CheckBox1->isChecked(), top);
    QCOMPARE(form.isTopmost(), top);
}

void TestStartup::presentBankSkipsUnpackAndRestore()
{
    writeAll(path("Config.ini"), "[Config]\r\nSetHomePage=0\r\nSetTop=0\r\n");
    writeAll(path("question.slg"), "left over from an earlier run");
    {
        TForm1 form(m_dir->path());
        form.setExitWait(0);
        QCOMPARE(readAll(path("question.slg")), QByteArray("left over from an earlier run"));
        QVERIFY(form.CheckBox1->isChecked());
        QVERIFY(form.CheckBox3->isChecked());
        QVERIFY(form.isTopmost());
    }
    // The layout states are written back, replacing the stored "0"s.
    QCOMPARE(readAll(path("Config.ini")),
             QByteArray("[Config]\r\nSetHomePage=1\r\nSetTop=1\r\nWatchClipboard=0\r\n"));
    QVERIFY(!QFile::exists(path("question.slg")));
}

void TestStartup::folderNamedLikeBankIsNotPresent()
{
    QVERIFY(QDir(m_dir->path()).mkdir("question.slg"));
    writeAll(path("Config.ini"), "[Config]\r\nSetTop=0\r\n");
    TForm1 form(m_dir->path());
    form.setExitWait(0);
    QCOMPARE(m_errors.size(), 1);
    QCOMPARE(m_errors[0],
             QString("Cannot create file \"%1\". Is a directory.").arg(path("question.slg")));
    // The failed unpacking skips the restore: the box keeps its layout state.
    QVERIFY(form.CheckBox1->isChecked());
}

void TestStartup::readOnlySettingsFileReportsAndSkipsRest()
{
    const QByteArray stored("[Config]\r\nSetHomePage=1\r\nSetTop=1\r\n");
    writeAll(path("Config.ini"), stored);
    QVERIFY(QFile::setPermissions(path("Config.ini"), QFileDevice::ReadOwner));
    QElapsedTimer exit;
    {
        TForm1 form(m_dir->path());
        form.CheckBox1->setChecked(false);
        exit.start();
    }
    QVERIFY(exit.elapsed() < 400); // the half-second wait is skipped with the rest
    QCOMPARE(m_errors, QStringList{QString("Unable to write to %1.").arg(path("Config.ini"))});
    QCOMPARE(readAll(path("Config.ini")), stored);
    QVERIFY(!QFile::exists(path("question.slg")));
}

void TestStartup::terminationSignalRunsTheNormalExit_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("dialogOpen");
    QTest::newRow("SIGTERM") << SIGTERM << false;
    QTest::newRow("SIGHUP") << SIGHUP << false;
    QTest::newRow("SIGINT") << SIGINT << false;
    QTest::newRow("SIGTERM while the contact dialog is open") << SIGTERM << true;
}

void TestStartup::terminationSignalRunsTheNormalExit()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, dialogOpen);
    Application app(m_dir->path());
    bool dialogWasOpen = false;
    // Runs inside the program's event loop: an option changed during the run, then the signal.
    QTimer::singleShot(0, [&] {
        app.Form1->CheckBox1->setChecked(false);
        app.Form1->CheckBox3->setChecked(false);
        if (dialogOpen) {
            QTimer::singleShot(0, [&] {
                dialogWasOpen = app.Form2->isVisible();
                std::raise(signalNumber);
            });
            app.Form1->Button5->click(); // waits in the dialog's own loop
        } else {
            std::raise(signalNumber);
        }
    });
    QCOMPARE(app.run(), 0);
    QCOMPARE(dialogWasOpen, dialogOpen);
    QVERIFY(app.Form1 == nullptr);
    QVERIFY(!QFile::exists(path("question.slg")));
    QCOMPARE(readAll(path("Config.ini")),
             QByteArray("[Config]\r\nSetHomePage=0\r\nSetTop=0\r\nWatchClipboard=0\r\n"));
    QVERIFY(m_errors.isEmpty());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
