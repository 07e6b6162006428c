// Faults around the program's files: a folder it may not write to, a bank cut short, a disk that
// fills up while the bank is unpacked, a kill in the middle of the settings write and two copies
// sharing one folder. Each runs the real start-up and shutdown against a temporary folder.
#include "ScratchMount.h"

#include "app/Application.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/MemoBox.h"
#include "ui/main/TForm1.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QResource>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QThread>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray embeddedBank()
{
    return QResource(QStringLiteral(":/SlgFILE/questionslg")).uncompressedData();
}

QString inFolder(const QString &folder, const QString &name)
{
    return QDir(folder).filePath(name);
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void programFolderNotWritable();
    void truncatedBankReportedAtConnect();
    void diskFullWhileUnpacking();
    void killedWhileWritingSettings();
    void twoCopiesInOneFolder();
    void twoCopiesStartedTogether();

private:
    // Starts the program on the folder; the exit wait is dropped to keep the tests short.
    std::unique_ptr<Application> startIn(const QString &folder);
    // Runs one lookup as a paste into the input box would.
    static void lookUp(Application &app, const QString &text);
    QStringList takeErrors();
    // What a fresh start in an empty folder reports (nothing, with a working bank), for `folder`.
    QStringList freshStartErrors(const QString &folder) const;

    QStringList m_errors;
    QStringList m_freshStartErrors; // with the folder written as %1
    QString m_freshFolder;
};

std::unique_ptr<Application> TestFaults::startIn(const QString &folder)
{
    auto app = std::make_unique<Application>(folder);
    app->start();
    app->Form1->setExitWait(0);
    return app;
}

void TestFaults::lookUp(Application &app, const QString &text)
{
    app.Form1->Memo1->setPlainText(text);
}

QStringList TestFaults::takeErrors()
{
    return std::exchange(m_errors, {});
}

QStringList TestFaults::freshStartErrors(const QString &folder) const
{
    QStringList errors = m_freshStartErrors;
    for (QString &error : errors)
        error = error.arg(folder);
    return errors;
}

void TestFaults::initTestCase()
{
    QVERIFY2(!embeddedBank().isEmpty(), "the bank resource is linked in");
    ErrorGuard::setReporter([this](const QString &text) { m_errors << text; });
    QTemporaryDir fresh;
    startIn(fresh.path()).reset();
    m_freshStartErrors = takeErrors();
    for (QString &error : m_freshStartErrors)
        error.replace(fresh.path(), QStringLiteral("%1"));
}

void TestFaults::init()
{
    m_errors.clear();
    ErrorGuard::setReporter([this](const QString &text) { m_errors << text; });
}

void TestFaults::cleanup()
{
    ErrorGuard::setReporter({});
}

void TestFaults::programFolderNotWritable()
{
    ScratchMount folder(QStringLiteral("ro,size=64k"));
    if (!folder.ok())
        QSKIP(qPrintable(QStringLiteral("read-only folder not available: ") + folder.why()));
    const QString bank = inFolder(folder.path(), QStringLiteral("question.slg"));

    auto app = startIn(folder.path());
    const QStringList atStart = takeErrors();
    QCOMPARE(atStart.size(), 2);
    QVERIFY2(atStart[0].startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(bank)),
             qPrintable(atStart[0]));
    QVERIFY(!atStart[1].isEmpty());
    QVERIFY(app->Form1->isVisible());

    // Each lookup tries to connect again and fails the same way; the answer box stays as it was.
    for (const QString &text : {QStringLiteral("问题"), QStringLiteral("x"), QString()}) {
        lookUp(*app, text);
        QCOMPARE(takeErrors(), QStringList{atStart[1]});
        QVERIFY(app->Form1->RichEdit1->document()->isEmpty());
    }

    app->shutdown();
    QCOMPARE(takeErrors(),
             QStringList{QStringLiteral("Unable to write to %1.")
                             .arg(inFolder(folder.path(), QStringLiteral("Config.ini")))});
    QVERIFY(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void TestFaults::truncatedBankReportedAtConnect()
{
    QTemporaryDir folder;
    const QString bank = inFolder(folder.path(), QStringLiteral("question.slg"));
    // The first 100 KB of a bank, or its first half when the shipped bank is smaller than that.
    const QByteArray whole = embeddedBank();
    QVERIFY(writeAll(bank, whole.left(std::min<qsizetype>(100 * 1024, whole.size() / 2))));

    auto app = startIn(folder.path());
    const QStringList atStart = takeErrors();
    QCOMPARE(atStart.size(), 1);
    // The message names the file, so that the user knows which file to remove.
    QVERIFY2(atStart[0].contains(bank), qPrintable(atStart[0]));
    QVERIFY(app->Form1->isVisible());
    lookUp(*app, QStringLiteral("问题"));
    QCOMPARE(takeErrors(), atStart);
    app.reset();
    QVERIFY(!QFile::exists(bank));
    QVERIFY(takeErrors().isEmpty());

    // The next start finds no file, unpacks afresh and runs like any fresh start.
    app = startIn(folder.path());
    QCOMPARE(takeErrors(), freshStartErrors(folder.path()));
    QCOMPARE(readAll(bank), embeddedBank());
    app.reset();
    QVERIFY(!QFile::exists(bank));
}

void TestFaults::diskFullWhileUnpacking()
{
    const qsizetype bankSize = embeddedBank().size();
    // Room for the settings file and half the bank.
    const qsizetype room = (bankSize / 2 / 4096 + 1) * 4096;
    ScratchMount folder(QStringLiteral("size=%1").arg(room));
    if (!folder.ok())
        QSKIP(qPrintable(QStringLiteral("small file system not available: ") + folder.why()));
    const QString bank = inFolder(folder.path(), QStringLiteral("question.slg"));
    QVERIFY(writeAll(inFolder(folder.path(), QStringLiteral("Config.ini")),
                     "[Config]\r\nSetHomePage=0\r\nSetTop=0\r\n"));

    auto app = startIn(folder.path());
    const QStringList atStart = takeErrors();
    QVERIFY(atStart.size() >= 1);
    QCOMPARE(atStart[0], QStringLiteral("Stream write error."));
    // No part of a bank is left where a second copy would open it, and no temporary file
    // either; the connect then finds no bank. The options were not restored.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Config.ini")});
    QCOMPARE(atStart.size(), 2);
    QVERIFY2(atStart[1].startsWith(QStringLiteral("Could not find file \"%1\"").arg(bank)),
             qPrintable(atStart[1]));
    QVERIFY(app->Form1->CheckBox1->isChecked());
    QVERIFY(app->Form1->CheckBox3->isChecked());
    QVERIFY(app->Form1->isVisible());
    app.reset();
    QVERIFY(takeErrors().isEmpty());
    QVERIFY(!QFile::exists(bank));

    // With room again, the next start unpacks the whole bank afresh.
    QVERIFY(folder.remount(QStringLiteral("size=%1").arg(2 * bankSize + 65536)));
    app = startIn(folder.path());
    QCOMPARE(takeErrors(), freshStartErrors(folder.path()));
    QCOMPARE(readAll(bank), embeddedBank());
}

void TestFaults::killedWhileWritingSettings()
{
    const QString writer =
        QCoreApplication::applicationDirPath() + QStringLiteral("/ini_write_loop");
    QVERIFY(QFile::exists(writer));
    QTemporaryDir folder;
    const QString config = inFolder(folder.path(), QStringLiteral("Config.ini"));
    const QByteArray on("[Config]\r\nSetHomePage=1\r\nSetTop=1\r\n");
    const QByteArray off("[Config]\r\nSetHomePage=1\r\nSetTop=0\r\n");
    QVERIFY(writeAll(config, on));

    int sawOn = 0;
    int sawOff = 0;
    auto *random = QRandomGenerator::global();
    for (int round = 0; round < 1000; ++round) {
        QProcess process;
        process.start(writer, {config});
        QVERIFY(process.waitForStarted());
        QVERIFY2(process.waitForReadyRead(10000), "the writer started writing");
        // Somewhere within the next few writes.
        QThread::usleep(random->bounded(3000));
        process.kill();
        QVERIFY(process.waitForFinished());
        const QByteArray content = readAll(config);
        if (content == on)
            ++sawOn;
        else if (content == off)
            ++sawOff;
        else
            QFAIL(qPrintable(QStringLiteral("round %1 left: %2")
                                 .arg(round)
                                 .arg(QString::fromLatin1(content.toPercentEncoding()))));
    }
    // The kills landed at different points of the write cycle, not always at the same one.
    QVERIFY(sawOn > 0 && sawOff > 0);
    // A kill between creating and renaming the temporary file leaves that file behind; it never
    // replaces Config.ini, so it is counted here, not failed.
    const qsizetype strays = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size() - 1;
    qInfo("1000 kills: %d left SetTop=1, %d left SetTop=0, %lld stray temporary files", sawOn,
          sawOff, qlonglong(strays));
}

void TestFaults::twoCopiesInOneFolder()
{
    QTemporaryDir folder;
    const QString bank = inFolder(folder.path(), QStringLiteral("question.slg"));
    const QString config = inFolder(folder.path(), QStringLiteral("Config.ini"));
    QVERIFY(writeAll(config, "[Config]\r\nSetHomePage=0\r\nSetTop=0\r\n"));

    auto first = startIn(folder.path());
    QCOMPARE(takeErrors(), freshStartErrors(folder.path()));
    QVERIFY(!first->Form1->CheckBox1->isChecked());
    const QByteArray unpacked = readAll(bank);
    QCOMPARE(unpacked, embeddedBank());

    // The second copy finds the file present: it opens the first one's file as it is and does
    // not restore the options.
    auto second = startIn(folder.path());
    QCOMPARE(takeErrors(), freshStartErrors(folder.path()));
    QVERIFY(second->Form1->CheckBox1->isChecked());
    QVERIFY(second->Form1->CheckBox3->isChecked());

    // Both copies answer alike (with a working bank, without errors).
    const QStringList probes{QStringLiteral("的"), QStringLiteral("专业技术人员"), QString()};
    QStringList answers;
    QList<QStringList> errors;
    for (const QString &text : probes) {
        lookUp(*first, text);
        const QStringList firstErrors = takeErrors();
        lookUp(*second, text);
        QCOMPARE(takeErrors(), firstErrors);
        QCOMPARE(second->Form1->RichEdit1->toPlainText(), first->Form1->RichEdit1->toPlainText());
        answers << second->Form1->RichEdit1->toPlainText();
        errors << firstErrors;
    }

    // The first copy exits. On Linux its deletion succeeds even though the other copy holds the
    // file open: the second copy keeps its open file and its loaded rows and answers as before.
    // (A copy whose connect failed holds nothing open and would retry on a file that is gone,
    // as it would on Windows, where only an open file resists deletion.)
    first->Form1->CheckBox1->setChecked(true);
    first.reset();
    QVERIFY(takeErrors().isEmpty());
    const bool connected = m_freshStartErrors.isEmpty();
    if (!connected)
        qInfo("the linked bank does not open; lookups after the first exit not compared");
    for (qsizetype i = 0; connected && i < probes.size(); ++i) {
        lookUp(*second, probes[i]);
        QCOMPARE(takeErrors(), errors[i]);
        QCOMPARE(second->Form1->RichEdit1->toPlainText(), answers[i]);
    }

    // The last copy to exit decides the stored options; no bank file is left behind.
    second->Form1->CheckBox1->setChecked(false);
    second->Form1->CheckBox3->setChecked(true);
    second.reset();
    QVERIFY(takeErrors().isEmpty());
    QVERIFY(!QFile::exists(bank));
    QCOMPARE(readAll(config),
             QByteArray("[Config]\r\nSetHomePage=1\r\nSetTop=0\r\nWatchClipboard=0\r\n"));
}

// Two copies let go at the same moment in an empty folder: each either unpacks the bank or finds
// the other's, and a file it finds must be whole, or it opens half a bank and reports it as no
// database. Every round both connect as a single copy would.
void TestFaults::twoCopiesStartedTogether()
{
    const QString helper =
        QCoreApplication::applicationDirPath() + QStringLiteral("/unpack_and_connect");
    QVERIFY(QFile::exists(helper));
    const auto startCopy = [&](QProcess &copy, const QString &folder, int delayUs = 0) {
        copy.start(helper, {folder, QString::number(delayUs)});
        return copy.waitForStarted() && copy.waitForReadyRead(10000) &&
               copy.readLine() == "ready\n";
    };
    // One copy alone connects; what it unpacked is the bank every round must leave.
    QString alone;
    qint64 bankSize = 0;
    {
        QTemporaryDir folder;
        QProcess copy;
        QVERIFY(startCopy(copy, folder.path()));
        copy.write("go\n");
        QVERIFY(copy.waitForFinished(30000));
        alone = QString::fromUtf8(copy.readAllStandardOutput()).trimmed();
        QCOMPARE(alone, QStringLiteral("connected"));
        bankSize = QFileInfo(inFolder(folder.path(), QStringLiteral("question.slg"))).size();
    }
    for (int round = 0; round < 100; ++round) {
        QTemporaryDir folder;
        QProcess first;
        QProcess second;
        // The second copy lets go a little later in most rounds, so that some rounds find the
        // first one in the middle of its unpacking.
        QVERIFY(startCopy(first, folder.path()));
        QVERIFY(startCopy(second, folder.path(), round % 50 * 100));
        // QProcess sends only when asked to wait: let both go before waiting for either.
        first.write("go\n");
        second.write("go\n");
        QVERIFY(first.waitForBytesWritten() && second.waitForBytesWritten());
        QVERIFY(first.waitForFinished(30000));
        QVERIFY(second.waitForFinished(30000));
        for (QProcess *copy : {&first, &second}) {
            const QString outcome = QString::fromUtf8(copy->readAllStandardOutput()).trimmed();
            QVERIFY2(outcome == alone,
                     qPrintable(QStringLiteral("round %1: %2").arg(round).arg(outcome)));
        }
        // Only the whole bank stands in the folder; no temporary file is left.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("question.slg")});
        QCOMPARE(QFileInfo(inFolder(folder.path(), QStringLiteral("question.slg"))).size(),
                 bankSize);
    }
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
