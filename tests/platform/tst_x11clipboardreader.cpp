// The X11 clipboard reader against a real X server (CTest runs it under xvfb-run) and a real
// owner of the selection, xclip: text of each encoding, a long text sent in INCR parts, a
// picture, an empty clipboard, an owner that stops answering, a newer request, a cancel.
#include "platform/X11ClipboardReader.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <signal.h>

Q_DECLARE_METATYPE(ClipboardContent)

namespace {

using namespace std::chrono_literals;

// Short, so that the tests of an owner that does not answer do not wait long; long enough for
// xclip to answer on a busy machine.
constexpr auto kTimeout = 2000ms;

// What another client learns of the clipboard's owner: `xclip -o -t TARGETS`, given 5 s.
struct TargetsAnswer {
    bool finished = false;
    int exitCode = -1;
    QByteArray output;
};

TargetsAnswer askTargets()
{
    QProcess ask;
    ask.start(QStringLiteral("xclip"),
              {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
               QStringLiteral("-t"), QStringLiteral("TARGETS")});
    TargetsAnswer answer;
    answer.finished = ask.waitForFinished(5000);
    if (answer.finished) {
        answer.exitCode = ask.exitCode();
        answer.output = ask.readAllStandardOutput();
    }
    return answer;
}

// xclip holding the CLIPBOARD selection with data as target; ending it ends its ownership.
class ClipboardOwner {
public:
    ~ClipboardOwner() { end(); }

    bool start(const QByteArray &data, const QString &target)
    {
        // An xclip that cannot take the selection at once (the X server busy with another
        // test's clients) gives up and exits: such an owner is started again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            end();
            m_process.start(QStringLiteral("xclip"),
                            {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                             QStringLiteral("clipboard"), QStringLiteral("-t"), target});
            if (!m_process.waitForStarted())
                continue;
            m_process.write(data);
            m_process.closeWriteChannel();
            if (owned(target))
                return true;
        }
        qWarning("xclip did not take the clipboard: %s",
                 m_process.readAllStandardError().constData());
        return false;
    }
    // The owner keeps the selection but answers nobody, like a program that hangs.
    void freeze() { ::kill(pid_t(m_process.processId()), SIGSTOP); }
    void resume() { ::kill(pid_t(m_process.processId()), SIGCONT); }
    void end()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process.processId()), SIGCONT);
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    // Owned once another client sees the target offered.
    bool owned(const QString &target)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000 && m_process.state() == QProcess::Running) {
            if (askTargets().output.contains(target.toLatin1()))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    QProcess m_process;
};

// Whether the clipboard is left without an owner within 20 s: xclip cannot read its targets.
bool clipboardHasNoOwner()
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 20000) {
        const TargetsAnswer answer = askTargets();
        if (answer.finished && answer.exitCode != 0)
            return true;
        QTest::qWait(100);
    }
    return false;
}

QByteArray longText()
{
    QByteArray text;
    for (int i = 0; text.size() < 5'000'000; ++i)
        text += "第" + QByteArray::number(i) + "行 line of a long paste\n";
    return text;
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage testPicture()
{
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < 64; ++x)
        image.setPixel(x, x / 2, qRgb(200, 0, 0));
    return image;
}

} // namespace

class TestX11ClipboardReader : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void readsWhatTheOwnerOffers_data();
    void readsWhatTheOwnerOffers();
    void emptyClipboardIsNothing();
    void ownerThatStopsAnsweringFails();
    void newerRequestSupersedesTheOneUnderWay();
    void newerRequestDuringALongTransfer();
    void cancelledReadNeverAnswers();

private:
    static ClipboardContent readOnce(X11ClipboardReader &reader);
};

void TestX11ClipboardReader::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("no X display (CTest runs this under xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        QSKIP("xclip is not installed");
    X11ClipboardReader reader;
    QVERIFY(reader.isConnected());
}

ClipboardContent TestX11ClipboardReader::readOnce(X11ClipboardReader &reader)
{
    QSignalSpy finished(&reader, &ClipboardTextReader::finished);
    reader.read(QClipboard::Clipboard);
    if (!finished.wait(30000))
        return {};
    return finished.at(0).at(0).value<ClipboardContent>();
}

void TestX11ClipboardReader::readsWhatTheOwnerOffers_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("offered");
    QTest::addColumn<QString>("text");
    const QString question = QStringLiteral("国家秘密的密级分为(  )三级。");
    QTest::newRow("UTF-8 text") << "UTF8_STRING" << question.toUtf8() << question;
    const QByteArray lines = longText();
    QTest::newRow("5 MB of text, sent in INCR parts")
        << "UTF8_STRING" << lines << QString::fromUtf8(lines);
    QTest::newRow("a terminating NUL is not text, as in Qt's clipboard")
        << "UTF8_STRING" << QByteArray("abc\0", 4) << QStringLiteral("abc");
    QTest::newRow("text/plain;charset=utf-8 only")
        << "text/plain;charset=utf-8" << question.toUtf8() << question;
    QTest::newRow("Latin-1 STRING only") << "STRING" << QByteArray("caf\xe9") << u"café"_qs;
}

void TestX11ClipboardReader::readsWhatTheOwnerOffers()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, offered);
    QFETCH(QString, text);
    ClipboardOwner owner;
    QVERIFY(owner.start(offered, target));
    X11ClipboardReader reader(nullptr, kTimeout);
    const ClipboardContent content = readOnce(reader);
    QCOMPARE(content.kind, ClipboardContent::Kind::Text);
    QCOMPARE(content.text.size(), text.size());
    QVERIFY(content.text == text);
}

void TestX11ClipboardReader::emptyClipboardIsNothing()
{
    // Nothing here waits for a silent owner, so the reader may take its time: on a loaded
    // machine the X server alone can take longer than kTimeout to answer.
    X11ClipboardReader reader(nullptr, 20000ms);
    // No owner at all: the owner of the test before is killed, but a busy X server may not
    // have seen its client go yet.
    QVERIFY(clipboardHasNoOwner());
    const ClipboardContent none = readOnce(reader);
    QVERIFY2(none.kind == ClipboardContent::Kind::Nothing, qPrintable(none.message));
    // An owner offering neither text nor a picture.
    ClipboardOwner html;
    QVERIFY(html.start("<b>粗体</b>", QStringLiteral("text/html")));
    QCOMPARE(readOnce(reader).kind, ClipboardContent::Kind::Nothing);
    html.end();
    // A picture and no text: the picture, decoded.
    ClipboardOwner picture;
    QVERIFY(picture.start(png(testPicture()), QStringLiteral("image/png")));
    const ClipboardContent content = readOnce(reader);
    QCOMPARE(content.kind, ClipboardContent::Kind::Picture);
    QCOMPARE(content.picture.convertToFormat(QImage::Format_RGB32), testPicture());
}

void TestX11ClipboardReader::ownerThatStopsAnsweringFails()
{
    ClipboardOwner owner;
    QVERIFY(owner.start("不会送到", QStringLiteral("UTF8_STRING")));
    owner.freeze();
    X11ClipboardReader reader(nullptr, kTimeout);
    const ClipboardContent content = readOnce(reader);
    QCOMPARE(content.kind, ClipboardContent::Kind::Failed);
    QVERIFY(!content.message.isEmpty());
    // The reader goes on with the next owner.
    owner.end();
    ClipboardOwner next;
    QVERIFY(next.start("下一个", QStringLiteral("UTF8_STRING")));
    QCOMPARE(readOnce(reader).text, QStringLiteral("下一个"));
}

void TestX11ClipboardReader::newerRequestSupersedesTheOneUnderWay()
{
    ClipboardOwner owner;
    QVERIFY(owner.start("复制的", QStringLiteral("UTF8_STRING")));
    // The first read waits on the owner when the second is asked for.
    owner.freeze();
    X11ClipboardReader reader(nullptr, kTimeout);
    QSignalSpy finished(&reader, &ClipboardTextReader::finished);
    reader.read(QClipboard::Clipboard);
    reader.read(QClipboard::Clipboard);
    owner.resume();
    QVERIFY(finished.wait(10000));
    // Past the first request's timeout: no second answer, neither text nor failure.
    QTest::qWait(int(2 * kTimeout.count()));
    QCOMPARE(finished.size(), 1);
    const ClipboardContent content = finished.at(0).at(0).value<ClipboardContent>();
    QCOMPARE(content.kind, ClipboardContent::Kind::Text);
    QCOMPARE(content.text, QStringLiteral("复制的"));
}

// xclip serves one INCR transfer at a time and ignores requests that come meanwhile: the
// abandoned transfer must be run to its end before the new read asks, or the new read would
// wait in vain and fail. A few milliseconds in, the first read is in the middle of its parts;
// had it ended already, both reads answer, with the same text.
void TestX11ClipboardReader::newerRequestDuringALongTransfer()
{
    const QString text = QString::fromUtf8(longText());
    ClipboardOwner owner;
    QVERIFY(owner.start(text.toUtf8(), QStringLiteral("UTF8_STRING")));
    X11ClipboardReader reader(nullptr, kTimeout);
    QSignalSpy finished(&reader, &ClipboardTextReader::finished);
    reader.read(QClipboard::Clipboard);
    QTest::qWait(5);
    reader.read(QClipboard::Clipboard);
    QVERIFY(finished.wait(30000));
    QTest::qWait(int(2 * kTimeout.count()));
    QVERIFY(finished.size() <= 2);
    for (const QList<QVariant> &answer : finished) {
        const ClipboardContent content = answer.at(0).value<ClipboardContent>();
        QCOMPARE(content.kind, ClipboardContent::Kind::Text);
        QVERIFY(content.text == text);
    }
}

void TestX11ClipboardReader::cancelledReadNeverAnswers()
{
    ClipboardOwner frozen;
    QVERIFY(frozen.start("取消的", QStringLiteral("UTF8_STRING")));
    frozen.freeze();
    X11ClipboardReader reader(nullptr, kTimeout);
    QSignalSpy finished(&reader, &ClipboardTextReader::finished);
    reader.read(QClipboard::Clipboard);
    reader.cancel();
    QTest::qWait(int(2 * kTimeout.count()));
    QCOMPARE(finished.size(), 0);
}

QTEST_MAIN(TestX11ClipboardReader)
#include "tst_x11clipboardreader.moc"
