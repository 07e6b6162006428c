// The bank tool's command line: bad sources refused with the line at fault and no output
// left behind, usage errors, help, and find answering as the program's answer box would, from
// typed text and from pictures of pages.
#include "BankReaders.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace BankReaders;

namespace {

const QByteArray kHeader = "科目,题目内容,选项,标准答案,编号\n";
const QByteArray kGoodRow = "\"网络安全\",\"第一题的内容\",\"A;B\",\"A\",1\n";

} // namespace

class TestBankInput : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void badSource_data();
    void badSource();
    void failureKeepsExistingOutput();
    void acceptedSource_data();
    void acceptedSource();
    void usage_data();
    void usage();
    void find_data();
    void find();
    void findJson();
    void findImage_data();
    void findImage();
    void findImageWithoutModel();
    void findUnreadableImage();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    QString demoBank();
    QTemporaryDir m_dir;
};

QString TestBankInput::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write(bytes);
    return path;
}

void TestBankInput::badSource_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");

    QTest::newRow("missing column")
        << QByteArray("科目,题目内容,选项,标准答案\n\"a\",\"b\",\"c\",\"d\"\n") << 1
        << u"lacks the column \"编号\""_qs;
    QTest::newRow("unknown column") << QByteArray("科目,题目内容,选项,标准答案,编号,备注\n") << 1
                                    << u"unknown column \"备注\""_qs;
    QTest::newRow("unterminated quote")
        << kHeader + kGoodRow + "\"网络安全\",\"题\",,\"A\",2\n\"科\",\"没有结束的引号\n,,\n"
        << 4 << u"unterminated quoted field"_qs;
    QTest::newRow("stray text after a quote")
        << kHeader + kGoodRow + "\"网络安全\"x,\"题\",,,2\n"
        << 3 << u"unexpected character after a closing quote"_qs;
    QTest::newRow("too few fields") << kHeader + kGoodRow + "\"网络安全\",\"题\",\"A\"\n"
                                    << 3 << u"3 fields where the header has 5"_qs;
    QTest::newRow("duplicate question")
        << kHeader + kGoodRow +
               "\"保密\",\"另一题\",,\"B\",2\n\"网络安全\",\"第一题的内容\",,\"C\",3\n"
        << 4 << u"repeats the question of line 2"_qs;
    QTest::newRow("empty question") << kHeader + kGoodRow + "\"网络安全\",\"\",\"A;B\",\"A\",2\n"
                                    << 3 << u"\"题目内容\" is empty"_qs;
    QTest::newRow("NULL question") << kHeader + "\"网络安全\",,\"A;B\",\"A\",2\n"
                                   << 2 << u"\"题目内容\" is empty"_qs;
    QTest::newRow("text over 255 characters")
        << kHeader + kGoodRow + "\"" + QByteArray(256, 'x') + "\",\"题\",,\"A\",2\n"
        << 3 << u"\"科目\" holds 256 characters"_qs;
    QTest::newRow("answer over 255 characters")
        << kHeader + "\"科\",\"题\",,\"" + QString(256, u'答').toUtf8() + "\",2\n"
        << 2 << u"\"标准答案\" holds 256 characters"_qs;
    QTest::newRow("non-numeric number") << kHeader + kGoodRow + "\"科\",\"题\",,\"A\",12a\n"
                                        << 3 << u"\"编号\" is \"12a\""_qs;
    QTest::newRow("zero number") << kHeader + "\"科\",\"题\",,\"A\",0\n"
                                 << 2 << u"\"编号\" is \"0\""_qs;
    QTest::newRow("repeated number") << kHeader + kGoodRow + "\"科\",\"题\",,\"A\",1\n"
                                     << 3 << u"\"编号\" 1 repeats the number of line 2"_qs;
    QTest::newRow("invalid UTF-8") << kHeader + kGoodRow + "\"科\",\"题\xE9\",,\"A\",2\n"
                                   << 3 << u"not valid UTF-8"_qs;
    QTest::newRow("UTF-16 surrogate in UTF-8") << kHeader + "\"科\",\"\xED\xA0\x80\",,\"A\",2\n"
                                               << 2 << u"not valid UTF-8"_qs;
    QTest::newRow("empty file") << QByteArray() << 1 << u"header row is missing"_qs;
    // A line break inside a quoted field counts: the error is on the line it happens on.
    QTest::newRow("after a multi-line field")
        << kHeader + "\"科\",\"两行\n的题目\",,\"A\",1\n\"科\",\"题\",,\"A\",x\n"
        << 4 << u"\"编号\" is \"x\""_qs;
}

void TestBankInput::badSource()
{
    QFETCH(QByteArray, csv);
    QFETCH(int, line);
    QFETCH(QString, message);
    const QString source = writeFile(QStringLiteral("bad.csv"), csv);
    const QString output = m_dir.filePath(QStringLiteral("bad.slg"));
    QFile::remove(output);
    const Run r = tool({QStringLiteral("build"), source, QStringLiteral("-o"), output});
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, 1);
    const QString err = QString::fromUtf8(r.err);
    QVERIFY2(err.contains(QStringLiteral("%1:%2: ").arg(source).arg(line)), qPrintable(err));
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(!QFile::exists(output));
    // Nothing half-written either: the folder holds only the source.
    QDir dir(m_dir.path());
    for (const QString &name : dir.entryList(QDir::Files))
        QVERIFY2(!name.startsWith(QLatin1String("bad.slg")), qPrintable(name));
}

void TestBankInput::failureKeepsExistingOutput()
{
    const QString output = writeFile(QStringLiteral("existing.slg"), "an older bank");
    const QString source = writeFile(QStringLiteral("dup.csv"), kHeader + kGoodRow + kGoodRow);
    const Run r = tool({QStringLiteral("build"), source, QStringLiteral("-o"), output});
    QCOMPARE(r.exitCode, 1);
    QFile f(output);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("an older bank"));
}

void TestBankInput::acceptedSource_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QByteArray>("dump"); // what dump prints for the bank built from csv
    const QByteArray dumpHeader = "科目,标准答案,编号,题目内容,选项\n";
    QTest::newRow("mdb-export column order")
        << QByteArray("科目,标准答案,编号,题目内容,选项\n\"科\",\"A\",5,\"题\",\"A;B\"\n")
        << dumpHeader + "\"科\",\"A\",5,\"题\",\"A;B\"\n";
    QTest::newRow("CR LF, byte order mark, no final line end")
        << "\xEF\xBB\xBF" + kHeader.chopped(1) + "\r\n\"科\",\"题\",,\"A\",1\r\n\"科\",\"题二\",,,2"
        << dumpHeader + "\"科\",\"A\",1,\"题\",\n\"科\",,2,\"题二\",\n";
    QTest::newRow("quotes, commas and line breaks inside values")
        << kHeader + "\"a \"\"b\"\"\",\"x,\r\ny\",\"\"\"q\"\"\",\"\",3\n"
        << dumpHeader + "\"a \"\"b\"\"\",,3,\"x,\r\ny\",\"\"\"q\"\"\"\n";
    QTest::newRow("numbers filled in after the highest")
        << kHeader + "\"科\",\"一\",,,\n\"科\",\"二\",,,40\n\"科\",\"三\",,,\n"
        << dumpHeader + "\"科\",,41,\"一\",\n\"科\",,40,\"二\",\n\"科\",,42,\"三\",\n";
}

void TestBankInput::acceptedSource()
{
    QFETCH(QByteArray, csv);
    QFETCH(QByteArray, dump);
    const QString source = writeFile(QStringLiteral("good.csv"), csv);
    const QString bank = m_dir.filePath(QStringLiteral("good.slg"));
    const Run build = tool({QStringLiteral("build"), source, QStringLiteral("-o"), bank});
    QVERIFY2(build.exitCode == 0, build.err.constData());
    QCOMPARE(tool({QStringLiteral("dump"), bank}).out, dump);
}

void TestBankInput::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("no command") << QStringList{} << 2;
    QTest::newRow("unknown command") << QStringList{u"convert"_qs} << 2;
    QTest::newRow("build without -o") << QStringList{u"build"_qs, u"a.csv"_qs} << 2;
    QTest::newRow("build with two sources")
        << QStringList{u"build"_qs, u"a.csv"_qs, u"b.csv"_qs, u"-o"_qs, u"x"_qs} << 2;
    QTest::newRow("-o without value") << QStringList{u"build"_qs, u"a.csv"_qs, u"-o"_qs} << 2;
    QTest::newRow("unknown option") << QStringList{u"dump"_qs, u"--all"_qs, u"x.slg"_qs} << 2;
    QTest::newRow("synth count") << QStringList{u"synth"_qs, u"many"_qs, u"-o"_qs, u"x"_qs} << 2;
    QTest::newRow("find without fragment") << QStringList{u"find"_qs, u"x.slg"_qs} << 2;
    QTest::newRow("find, picture without bank")
        << QStringList{u"find"_qs, u"--image"_qs, u"p.png"_qs} << 2;
    QTest::newRow("find, fragment and picture")
        << QStringList{u"find"_qs, u"x.slg"_qs, u"题"_qs, u"--image"_qs, u"p.png"_qs} << 2;
    QTest::newRow("find, --image without picture")
        << QStringList{u"find"_qs, u"x.slg"_qs, u"--image"_qs} << 2;
    QTest::newRow("missing source")
        << QStringList{u"build"_qs, u"/nonexistent/a.csv"_qs, u"-o"_qs, u"x.slg"_qs} << 1;
    QTest::newRow("missing bank") << QStringList{u"dump"_qs, u"/nonexistent/x.slg"_qs} << 1;
    for (const char *command : {"", "build", "dump", "check", "synth", "find"}) {
        QStringList args;
        if (*command)
            args << QString::fromLatin1(command);
        args << u"--help"_qs;
        QTest::addRow("%s --help", command) << args << 0;
    }
}

void TestBankInput::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    const Run r = tool(args);
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, exitCode);
    if (exitCode == 0)
        QVERIFY(r.out.startsWith("Usage: qinglan-bank"));
    else
        QVERIFY(!r.err.isEmpty());
}

void TestBankInput::find_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QStringList>("lines");
    const QStringList guidance = {
        u"未找到答案，请确认软件为最新版本，请到官网www.qinglan.example下载!"_qs,
        u"请确认复制的只是问题，问题前后不包括其他字符"_qs, u"如果还未找到答案，请联系我们！"_qs};
    QTest::newRow("found") << u"第一题"_qs
                           << QStringList{u"科目：网络安全"_qs, u"题目内容:第一题的内容"_qs,
                                          u"选项:A;B"_qs, u"标准答案:A"_qs};
    QTest::newRow("last of several wins")
        << u"题的内容"_qs
        << QStringList{u"科目：保密"_qs, u"题目内容:第二题的内容"_qs, u"选项:"_qs,
                       u"标准答案:正确"_qs,
                       u"注：共有2道题含有这段文字，这是第1道，答案未必是你要的这道题，"
                       u"请多复制一些题目内容。Ctrl+↓ 下一道，Ctrl+↑ 上一道"_qs};
    QTest::newRow("nothing matches") << u"没有这样的题"_qs << guidance;
    QTest::newRow("empty subject shows guidance") << u"无科目"_qs << guidance;
}

void TestBankInput::find()
{
    QFETCH(QString, fragment);
    QFETCH(QStringList, lines);
    const QString source =
        writeFile(QStringLiteral("find.csv"),
                  kHeader + kGoodRow +
                      "\"保密\",\"第二题的内容\",,\"正确\",2\n\"\",\"无科目的题\",,\"A\",3\n");
    const QString bank = m_dir.filePath(QStringLiteral("find.slg"));
    QCOMPARE(tool({QStringLiteral("build"), source, QStringLiteral("-o"), bank}).exitCode, 0);
    const Run r = tool({QStringLiteral("find"), bank, fragment});
    QVERIFY2(r.exitCode == 0, r.err.constData());
    // Not a terminal: no colour codes.
    QVERIFY(!r.out.contains('\x1b'));
    QCOMPARE(QString::fromUtf8(r.out), lines.join(u'\n') + u'\n');
}

void TestBankInput::findJson()
{
    const QString bank = m_dir.filePath(QStringLiteral("find.slg"));
    QVERIFY(QFile::exists(bank));
    const Run r = tool({QStringLiteral("find"), bank, u"二题"_qs, QStringLiteral("--json")});
    QCOMPARE(r.exitCode, 0);
    const QJsonObject row = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(row.value(u"科目"_qs).toString(), u"保密"_qs);
    QCOMPARE(row.value(u"题目内容"_qs).toString(), u"第二题的内容"_qs);
    QCOMPARE(row.value(u"选项"_qs).toString(), QString());
    QCOMPARE(row.value(u"标准答案"_qs).toString(), u"正确"_qs);
    QCOMPARE(tool({QStringLiteral("find"), bank, u"不存在"_qs, QStringLiteral("--json")}).out,
             QByteArray("null\n"));
}

QString TestBankInput::demoBank()
{
    // The demo bank, built from the source the pictures were drawn from.
    const QString bank = m_dir.filePath(QStringLiteral("demo.slg"));
    if (!QFile::exists(bank)) {
        const QString source = qEnvironmentVariable("QINGLAN_SOURCE_DIR") +
                               QStringLiteral("/resources/bank/questions.csv");
        const Run r = tool({QStringLiteral("build"), source, QStringLiteral("-o"), bank});
        if (r.exitCode != 0)
            qWarning("%s", r.err.constData());
    }
    return bank;
}

void TestBankInput::findImage_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("question"); // empty: not in the bank
    QTest::newRow("block with options, WenQuanYi 14 px")
        << u"in-bank-wqy-options.png"_qs << u"国家秘密的密级分为(  )三级。"_qs;
    QTest::newRow("stem with number, label and score, Noto Sans 16 px")
        << u"in-bank-noto-stem.png"_qs
        << u"涉密计算机可以在确保安全的情况下临时接入互联网查阅资料。"_qs;
    QTest::newRow("AR PL UMing 17 px at 150%")
        << u"in-bank-uming-150.png"_qs << u"使用普通手机在涉密场所拍照属于违反保密规定的行为。"_qs;
    QTest::newRow("a question the bank lacks") << u"not-in-bank.png"_qs << QString();
    // Read "闭作权…" the usual way, which finds nothing; read again with larger lines.
    QTest::newRow("AR PL UMing 15 px, found by a second reading")
        << u"in-bank-uming-15-read-again.png"_qs << u"著作权自作品____之日起产生。"_qs;
    // Every reading of it is looked up, and none may find the question it was made from.
    QTest::newRow("a bank question with a negation added, AR PL UMing 18 px")
        << u"meaning-changed-uming.png"_qs << QString();
}

void TestBankInput::findImage()
{
    QFETCH(QString, picture);
    QFETCH(QString, question);
    const QString bank = demoBank();
    const QString path = QStringLiteral(QINGLAN_TEST_PICTURES "/") + picture;
    const Run json = tool(
        {QStringLiteral("find"), bank, QStringLiteral("--image"), path, QStringLiteral("--json")});
    QVERIFY2(json.exitCode == 0, json.err.constData());
    const QJsonObject out = QJsonDocument::fromJson(json.out).object();
    const QString read = out.value(u"read"_qs).toString();
    // What was read is shown as well, on stderr for the text output.
    QVERIFY2(!read.isEmpty(), json.out.constData());
    QVERIFY(json.err.contains(read.toUtf8()));
    if (question.isEmpty()) {
        QVERIFY2(out.value(u"row"_qs).isNull(), json.out.constData());
        const Run text = tool({QStringLiteral("find"), bank, QStringLiteral("--image"), path});
        QCOMPARE(text.exitCode, 0);
        QVERIFY2(QString::fromUtf8(text.out).startsWith(u"未找到答案"_qs), text.out.constData());
        return;
    }
    const QJsonObject row = out.value(u"row"_qs).toObject();
    QVERIFY2(!row.isEmpty(), json.out.constData());
    QCOMPARE(row.value(u"题目内容"_qs).toString(), question);
}

void TestBankInput::findImageWithoutModel()
{
    QTemporaryDir empty;
    const QByteArray old = qgetenv("TESSDATA_PREFIX");
    const bool had = qEnvironmentVariableIsSet("TESSDATA_PREFIX");
    qputenv("TESSDATA_PREFIX", empty.path().toLocal8Bit());
    const Run r = tool({QStringLiteral("find"), demoBank(), QStringLiteral("--image"),
                        QStringLiteral(QINGLAN_TEST_PICTURES "/in-bank-noto-stem.png")});
    had ? qputenv("TESSDATA_PREFIX", old) : qunsetenv("TESSDATA_PREFIX");
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.out.isEmpty());
    const QString err = QString::fromUtf8(r.err);
    QVERIFY2(err.contains(u"找不到文字识别模型 chi_sim.traineddata"_qs), qPrintable(err));
    QVERIFY2(err.contains(empty.path()), qPrintable(err));
}

void TestBankInput::findUnreadableImage()
{
    const QString notAPicture = writeFile(QStringLiteral("not-a-picture.png"), "plain text");
    const Run r =
        tool({QStringLiteral("find"), demoBank(), QStringLiteral("--image"), notAPicture});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("cannot read the picture"), r.err.constData());
}

QTEST_GUILESS_MAIN(TestBankInput)
#include "tst_bankinput.moc"
