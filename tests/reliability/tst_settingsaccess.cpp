// The settings file when the folder or the file refuses part of what a write needs: a folder that
// takes no new file (the write goes in place), a file that cannot be read (it is not rebuilt from
// nothing), and a disk too full for the file to grow in place. As root, permissions stop nothing,
// so the writes run with the file-system identity of an ordinary user (setfsuid).
#include "ScratchMount.h"

#include "base/AppError.h"
#include "base/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

// For the life of the object, file access of this thread is checked as for an ordinary user.
// Without root the process is one already and nothing changes.
class OrdinaryUserFileAccess {
public:
    OrdinaryUserFileAccess()
    {
        if (geteuid() != 0)
            return;
        setfsuid(kNobody);
        m_active = setfsuid(kNobody) == int(kNobody);
    }
    ~OrdinaryUserFileAccess()
    {
        if (m_active)
            setfsuid(0);
    }
    OrdinaryUserFileAccess(const OrdinaryUserFileAccess &) = delete;
    OrdinaryUserFileAccess &operator=(const OrdinaryUserFileAccess &) = delete;
    bool ok() const { return m_active || geteuid() != 0; }

private:
    bool m_active = false;
};

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

ino_t inode(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Writes the two flags as the exit does; the error's text, or an empty string.
QString writeFlags(const QString &path, bool homePage, bool top)
{
    try {
        const IniFile ini(path);
        ini.WriteBool("Config", "SetHomePage", homePage);
        ini.WriteBool("Config", "SetTop", top);
    } catch (const AppError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestSettingsAccess : public QObject {
    Q_OBJECT
private slots:
    void writeWhereAccessIsLimited_data();
    void writeWhereAccessIsLimited();
    void fullDiskLeavesTheFileAsItWas();
};

void TestSettingsAccess::writeWhereAccessIsLimited_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("readsStored"); // whether the start-up read sees SetTop=0
    // Writable folder and file: replaced through a new file, as always.
    QTest::newRow("both writable") << 0777 << 0666 << true << true;
    // The folder takes no new file, the file can be changed: written where it stands.
    QTest::newRow("folder refuses new files") << 0555 << 0666 << true << true;
    // Nothing may change the file.
    QTest::newRow("folder and file read-only") << 0555 << 0444 << false << true;
    QTest::newRow("file read-only") << 0777 << 0444 << false << true;
    // The file can be written but not read: rewriting it would drop the other sections.
    QTest::newRow("file unreadable") << 0777 << 0222 << false << false;
    QTest::newRow("file unreadable, folder refuses") << 0555 << 0222 << false << false;
}

void TestSettingsAccess::writeWhereAccessIsLimited()
{
    QFETCH(int, folderMode);
    QFETCH(int, fileMode);
    QFETCH(bool, written);
    QFETCH(bool, readsStored);
    QTemporaryDir top;
    QVERIFY(QFile::setPermissions(top.path(), QFileDevice::Permissions(0x7755)));
    const QString folder = top.filePath("program");
    QVERIFY(QDir().mkdir(folder));
    const QString config = QDir(folder).filePath("Config.ini");
    const QByteArray before(
        "; kept\r\n[Window]\nLeft=10\n[Config]\r\nSetHomePage=1\r\nSetTop=0\r\n");
    QVERIFY(writeAll(config, before));
    QVERIFY(::chmod(QFile::encodeName(config).constData(), mode_t(fileMode)) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)) == 0);
    const ino_t inodeBefore = inode(config);

    QString failure;
    bool topOnAtStart = true;
    {
        OrdinaryUserFileAccess user;
        QVERIFY2(user.ok(), "cannot take an ordinary user's file access");
        topOnAtStart = IniFile(config).ReadBool("Config", "SetTop", true);
        failure = writeFlags(config, false, true);
    }
    QCOMPARE(topOnAtStart, !readsStored);
    if (written) {
        QCOMPARE(failure, QString());
        QCOMPARE(
            readAll(config),
            QByteArray("; kept\r\n[Window]\nLeft=10\n[Config]\r\nSetHomePage=0\r\nSetTop=1\r\n"));
    } else {
        QCOMPARE(failure, QStringLiteral("Unable to write to %1").arg(config));
        QCOMPARE(readAll(config), before);
    }
    // In place means the same file; no temporary file is left in either case.
    if (folderMode == 0555)
        QCOMPARE(inode(config), inodeBefore);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{"Config.ini"});
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
}

// Written in place, a file that must grow on a full disk keeps its old content rather than
// being overwritten at its start and cut off at its end.
void TestSettingsAccess::fullDiskLeavesTheFileAsItWas()
{
    ScratchMount folder(QStringLiteral("size=4k,mode=0555"));
    if (!folder.ok())
        QSKIP(qPrintable(QStringLiteral("small file system not available: ") + folder.why()));
    const QString config = QDir(folder.path()).filePath("Config.ini");
    // One page of the file system's one page, nearly all of it the user's own notes.
    const QByteArray before =
        "[Notes]\r\n; " + QByteArray(4040, 'n') + "\r\n[Config]\r\nSetHomePage=1\r\nSetTop=0\r\n";
    QVERIFY(before.size() < 4096);
    QVERIFY(writeAll(config, before));
    QVERIFY(QFile::setPermissions(config, QFileDevice::Permissions(0x6666)));

    OrdinaryUserFileAccess user;
    QVERIFY2(user.ok(), "cannot take an ordinary user's file access");
    // The same length: fits where it stands.
    QCOMPARE(writeFlags(config, true, true), QString());
    QByteArray expected = before;
    expected.replace("SetTop=0", "SetTop=1");
    QCOMPARE(readAll(config), expected);
    // A new key makes the file longer than the disk holds.
    try {
        IniFile(config).WriteBool("Config", "WatchClipboard", true);
        QFAIL("a write the disk cannot hold must fail");
    } catch (const AppError &e) {
        QCOMPARE(e.message(), QStringLiteral("Unable to write to %1").arg(config));
    }
    QCOMPARE(readAll(config), expected);
}

QTEST_GUILESS_MAIN(TestSettingsAccess)
#include "tst_settingsaccess.moc"
