#include "base/AppError.h"
#include "base/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void readFlag_data();
    void readFlag();
    void missingFileSectionOrKeyGiveDefault();
    void namesMatchWithoutCase();
    void newFileGetsKeysInWriteOrder();
    void writeKeepsForeignContent();
    void writeAddsSectionToFileWithoutIt();
    void readOnlyFileFailsAndStaysUnchanged();
    void missingFolderFails();
    void replacementKeepsPermissions();
    void lineEndsStayAsTheyAre_data();
    void lineEndsStayAsTheyAre();
    void utf16FileStaysUtf16_data();
    void utf16FileStaysUtf16();

private:
    QTemporaryDir m_dir;
};

void TestIniFile::readFlag_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("withDefaultOn");
    QTest::addColumn<bool>("withDefaultOff");
    // Numbers decide; anything that is not a number gives the default.
    QTest::newRow("0") << QByteArray("0") << false << false;
    QTest::newRow("1") << QByteArray("1") << true << true;
    QTest::newRow("2") << QByteArray("2") << true << true;
    QTest::newRow("-1") << QByteArray("-1") << true << true;
    QTest::newRow("+0") << QByteArray("+0") << false << false;
    QTest::newRow("leading blanks") << QByteArray("   0") << false << false;
    QTest::newRow("0x10") << QByteArray("0x10") << true << true;
    QTest::newRow("0x0") << QByteArray("0x0") << false << false;
    QTest::newRow("0X0 upper") << QByteArray("0X0") << false << false;
    QTest::newRow("$0") << QByteArray("$0") << false << false;
    QTest::newRow("$1F") << QByteArray("$1F") << true << true;
    QTest::newRow("$FFFFFFFF is -1") << QByteArray("$FFFFFFFF") << true << true;
    QTest::newRow("int32 min") << QByteArray("-2147483648") << true << true;
    QTest::newRow("int32 overflow") << QByteArray("2147483648") << true << false;
    QTest::newRow("hex overflow") << QByteArray("$100000000") << true << false;
    QTest::newRow("0x alone") << QByteArray("0x") << true << false;
    QTest::newRow("$ alone") << QByteArray("$") << true << false;
    QTest::newRow("0xg") << QByteArray("0xg") << true << false;
    QTest::newRow("true") << QByteArray("true") << true << false;
    QTest::newRow("false") << QByteArray("false") << true << false;
    QTest::newRow("yes") << QByteArray("yes") << true << false;
    QTest::newRow("empty") << QByteArray("") << true << false;
    QTest::newRow("0 with trailing text") << QByteArray("0abc") << true << false;
    QTest::newRow("blank inside") << QByteArray("1 0") << true << false;
    QTest::newRow("trailing blanks trimmed") << QByteArray("0   ") << false << false;
    QTest::newRow("quoted") << QByteArray("\"0\"") << false << false;
    QTest::newRow("full-width digit") << QByteArray("\xef\xbc\x90") << true << false;
}

void TestIniFile::readFlag()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, withDefaultOn);
    QFETCH(bool, withDefaultOff);
    const QString path = m_dir.filePath("read.ini");
    writeAll(path, "[Config]\r\nSetTop=" + value + "\r\n");
    const IniFile ini(path);
    QCOMPARE(ini.ReadBool("Config", "SetTop", true), withDefaultOn);
    QCOMPARE(ini.ReadBool("Config", "SetTop", false), withDefaultOff);
}

void TestIniFile::missingFileSectionOrKeyGiveDefault()
{
    const IniFile missing(m_dir.filePath("none.ini"));
    QCOMPARE(missing.ReadBool("Config", "SetTop", true), true);
    QCOMPARE(missing.ReadBool("Config", "SetTop", false), false);

    const QString path = m_dir.filePath("other.ini");
    writeAll(path, "[Other]\r\nSetTop=0\r\n[Config]\r\nSetHomePage=0\r\n");
    const IniFile ini(path);
    QCOMPARE(ini.ReadBool("Config", "SetTop", true), true);
    QCOMPARE(ini.ReadBool("Config", "SetHomePage", true), false);
}

void TestIniFile::namesMatchWithoutCase()
{
    const QString path = m_dir.filePath("case.ini");
    writeAll(path, "[CONFIG]\nsettop = 0\n");
    const IniFile ini(path);
    QCOMPARE(ini.ReadBool("Config", "SetTop", true), false);
    ini.WriteBool("Config", "SetTop", true);
    QCOMPARE(readAll(path), QByteArray("[CONFIG]\nsettop=1\n"));
}

void TestIniFile::newFileGetsKeysInWriteOrder()
{
    const QString path = m_dir.filePath("new.ini");
    const IniFile ini(path);
    ini.WriteBool("Config", "SetHomePage", true);
    ini.WriteBool("Config", "SetTop", false);
    QCOMPARE(readAll(path), QByteArray("[Config]\r\nSetHomePage=1\r\nSetTop=0\r\n"));
}

void TestIniFile::writeKeepsForeignContent()
{
    const QString path = m_dir.filePath("foreign.ini");
    writeAll(path, "; kept comment\r\n[Window]\r\nLeft=10\r\n\r\n[Config]\r\nTheme=dark\r\n"
                   "SetTop=0\r\n\r\n[Last]\r\nx=y\r\n");
    const IniFile ini(path);
    ini.WriteBool("Config", "SetHomePage", false);
    ini.WriteBool("Config", "SetTop", true);
    QCOMPARE(readAll(path), QByteArray("; kept comment\r\n[Window]\r\nLeft=10\r\n\r\n[Config]\r\n"
                                       "Theme=dark\r\nSetTop=1\r\nSetHomePage=0\r\n\r\n"
                                       "[Last]\r\nx=y\r\n"));
}

void TestIniFile::writeAddsSectionToFileWithoutIt()
{
    const QString path = m_dir.filePath("nosection.ini");
    writeAll(path, "[Other]\r\nk=v");
    IniFile(path).WriteBool("Config", "SetTop", false);
    QCOMPARE(readAll(path), QByteArray("[Other]\r\nk=v\r\n[Config]\r\nSetTop=0"));
    QCOMPARE(IniFile(path).ReadBool("Config", "SetTop", true), false);
}

void TestIniFile::readOnlyFileFailsAndStaysUnchanged()
{
    const QString path = m_dir.filePath("readonly.ini");
    const QByteArray before("[Config]\r\nSetHomePage=0\r\nSetTop=0\r\n");
    writeAll(path, before);
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    try {
        IniFile(path).WriteBool("Config", "SetHomePage", true);
        QFAIL("writing a read-only settings file must fail");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), QString("Unable to write to ") + path);
    }
    QCOMPARE(readAll(path), before);
}

void TestIniFile::missingFolderFails()
{
    const QString path = m_dir.filePath("no/such/folder/Config.ini");
    QVERIFY_THROWS_EXCEPTION(AppError, IniFile(path).WriteBool("Config", "SetTop", true));
}

void TestIniFile::replacementKeepsPermissions()
{
    const QString path = m_dir.filePath("perms.ini");
    writeAll(path, "[Config]\r\nSetTop=0\r\n");
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, perms));
    IniFile(path).WriteBool("Config", "SetTop", true);
    const auto ownerGroupOther = QFileDevice::Permissions(0x7077);
    QCOMPARE(QFile::permissions(path) & ownerGroupOther, perms);
}

// Each line keeps its own line end, whatever the other lines use; only the line written changes.
void TestIniFile::lineEndsStayAsTheyAre_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("LF lines in another section")
        << QByteArray("; note\n[Window]\nLeft=10\n\r\n[Config]\r\nSetTop=0\r\n") << "SetTop"
        << QByteArray("; note\n[Window]\nLeft=10\n\r\n[Config]\r\nSetTop=1\r\n");
    QTest::newRow("the line written keeps its LF")
        << QByteArray("[Config]\r\nSetTop=0\nTheme=dark\r\n") << "SetTop"
        << QByteArray("[Config]\r\nSetTop=1\nTheme=dark\r\n");
    QTest::newRow("new key after a LF line, CRLF file")
        << QByteArray("[A]\nk=v\n[Config]\r\nTheme=dark\n\n[B]\r\n") << "SetTop"
        << QByteArray("[A]\nk=v\n[Config]\r\nTheme=dark\nSetTop=1\r\n\n[B]\r\n");
    QTest::newRow("LF-only file, new section")
        << QByteArray("[A]\nk=v\n") << "SetTop" << QByteArray("[A]\nk=v\n[Config]\nSetTop=1\n");
    QTest::newRow("CR alone is text, not a line end")
        << QByteArray("[Config]\r\nNote=a\rb\r\r\nSetTop=0\r\n") << "SetTop"
        << QByteArray("[Config]\r\nNote=a\rb\r\r\nSetTop=1\r\n");
    QTest::newRow("no line end at the end")
        << QByteArray("[Config]\nTheme=dark\r\nSetTop=0") << "SetTop"
        << QByteArray("[Config]\nTheme=dark\r\nSetTop=1");
}

void TestIniFile::lineEndsStayAsTheyAre()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    const QString path = m_dir.filePath("lineends.ini");
    writeAll(path, before);
    IniFile(path).WriteBool("Config", key, true);
    QCOMPARE(readAll(path), after);
}

namespace {

QByteArray utf16File(const QString &text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

} // namespace

// A file saved as UTF-16 (little-endian, with its mark) is read as text, not as bytes with a
// NUL after each letter, and written back whole in UTF-16, other text and characters kept.
void TestIniFile::utf16FileStaysUtf16_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("storedTop"); // what SetTop reads before the write (default on)
    QTest::addColumn<QString>("after");  // after SetTop=1 and SetHomePage=0
    QTest::newRow("keys present")
        << "; 设置 \U0001F600\r\n[Config]\r\nSetHomePage=1\r\nSetTop=0\r\n"
        << false << "; 设置 \U0001F600\r\n[Config]\r\nSetHomePage=0\r\nSetTop=1\r\n";
    QTest::newRow("keys missing") << "[Config]\r\nTheme=深色\r\n"
                                  << true
                                  << "[Config]\r\nTheme=深色\r\nSetTop=1\r\nSetHomePage=0\r\n";
    QTest::newRow("no such section, LF")
        << "[其他]\nk=v\n"
        << true << "[其他]\nk=v\n[Config]\nSetTop=1\nSetHomePage=0\n";
    QTest::newRow("only the mark") << "" << true << "[Config]\r\nSetTop=1\r\nSetHomePage=0\r\n";
}

void TestIniFile::utf16FileStaysUtf16()
{
    QFETCH(QString, before);
    QFETCH(bool, storedTop);
    QFETCH(QString, after);
    const QString path = m_dir.filePath("utf16.ini");
    writeAll(path, utf16File(before));
    const IniFile ini(path);
    QCOMPARE(ini.ReadBool("Config", "SetTop", true), storedTop);
    ini.WriteBool("Config", "SetTop", true);
    ini.WriteBool("Config", "SetHomePage", false);
    QCOMPARE(readAll(path), utf16File(after));
    QCOMPARE(ini.ReadBool("Config", "SetTop", false), true);
    QCOMPARE(ini.ReadBool("Config", "SetHomePage", true), false);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
