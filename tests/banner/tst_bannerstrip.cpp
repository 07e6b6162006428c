#include "base/SiteConfig.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/BannerStrip.h"
#include "ui/main/TForm1.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <memory>

namespace {

// A port on 127.0.0.1 that nothing listens on: connections to it are refused at once.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// Child processes of this test whose command name starts with name (from /proc).
int childProcesses(const QByteArray &name)
{
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    int count = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // pid (comm) state ppid ...
        const qsizetype close = line.lastIndexOf(')');
        const QByteArray comm = line.mid(line.indexOf('(') + 1, close - line.indexOf('(') - 1);
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (rest.size() > 1 && rest[1] == self && comm.startsWith(name))
            ++count;
    }
    return count;
}

struct JpegFrame {
    bool baseline = false;
    bool progressive = false;
    int precision = 0;
    int width = 0;
    int height = 0;
    QList<int> sampling; // one byte per component: horizontal << 4 | vertical
};

// Reads the frame header of a JPEG file by walking its markers.
JpegFrame readJpegFrame(const QByteArray &data)
{
    JpegFrame frame;
    qsizetype at = 2; // after SOI
    while (at + 4 <= data.size() && uchar(data[at]) == 0xFF) {
        const uchar marker = uchar(data[at + 1]);
        const int length = (uchar(data[at + 2]) << 8) | uchar(data[at + 3]);
        if (marker == 0xC0 || marker == 0xC2) {
            const char *p = data.constData() + at + 4;
            frame.baseline = marker == 0xC0;
            frame.progressive = marker == 0xC2;
            frame.precision = uchar(p[0]);
            frame.height = (uchar(p[1]) << 8) | uchar(p[2]);
            frame.width = (uchar(p[3]) << 8) | uchar(p[4]);
            for (int i = 0; i < uchar(p[5]); ++i)
                frame.sampling << uchar(p[6 + 3 * i + 1]);
            return frame;
        }
        at += 2 + length;
    }
    return frame;
}

} // namespace

// The banner strip without the web engine: its created state, the probe and its offline
// outcome, and the picture. Nothing here may start the web engine.
class TestBannerStrip : public QObject {
    Q_OBJECT
public slots:
    void recordOpenedUrl(const QUrl &url) { m_opened << url; }

private slots:
    void init();
    void cleanup();
    void createdState();
    void builtInPictureIsBaselineColourJpeg();
    void offlineWhenSiteCannotBeReached_data();
    void offlineWhenSiteCannotBeReached();
    void probeKeepsEventLoopRunning();
    void probeGivesUpAfterFiveSeconds();
    void pictureClickOpensDownloadPageOnce_data();
    void pictureClickOpensDownloadPageOnce();
    void offlineRunStartsNoWebEngineProcess();

private:
    std::unique_ptr<QWidget> m_host;
    BannerStrip *m_strip = nullptr;
    QList<QUrl> m_opened;
    QStringList m_errors;
};

void TestBannerStrip::init()
{
    m_opened.clear();
    m_errors.clear();
    ErrorGuard::setReporter([this](const QString &text) { m_errors << text; });
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "recordOpenedUrl");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "recordOpenedUrl");
    m_host = std::make_unique<QWidget>();
    m_host->resize(648, 397);
    m_strip = new BannerStrip(m_host.get());
    m_host->show();
}

void TestBannerStrip::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    m_host.reset();
    ErrorGuard::setReporter({});
}

void TestBannerStrip::createdState()
{
    QStackedWidget *pages = m_strip->PageControl2;
    QCOMPARE(pages->geometry(), QRect(0, 0, 648, 70));
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->widget(0), m_strip->TabSheet4);
    QCOMPARE(pages->widget(1), m_strip->TabSheet6);
    QCOMPARE(pages->currentIndex(), 1);
    QCOMPARE(m_strip->TabSheet6->size(), QSize(640, 60));
    QCOMPARE(m_strip->Timer1->interval(), 10000);
    QVERIFY(!m_strip->Timer1->isActive());
    QVERIFY(m_strip->WebBrowser1 == nullptr);

    QLabel *picture = m_strip->Image4;
    QCOMPARE(picture->parentWidget(), m_strip->TabSheet6);
    QCOMPARE(picture->geometry(), QRect(0, 0, 640, 60));
    QVERIFY(picture->hasScaledContents());
    QCOMPARE(picture->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(picture->pixmap().size(), QSize(640, 60));
    QVERIFY(!picture->pixmap().toImage().allGray());
}

void TestBannerStrip::builtInPictureIsBaselineColourJpeg()
{
    QFile file(QStringLiteral(":/banner/banner.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(data.startsWith("\xFF\xD8"));
    const JpegFrame frame = readJpegFrame(data);
    QVERIFY(frame.baseline);
    QVERIFY(!frame.progressive);
    QCOMPARE(frame.precision, 8);
    QCOMPARE(QSize(frame.width, frame.height), QSize(640, 60));
    // Three components, none subsampled.
    QCOMPARE(frame.sampling, QList<int>({0x11, 0x11, 0x11}));
    QVERIFY2(data.size() > 11 * 1024 && data.size() < 15 * 1024,
             qPrintable(QString::number(data.size())));
}

void TestBannerStrip::offlineWhenSiteCannotBeReached_data()
{
    QTest::addColumn<QUrl>("root");
    QTest::newRow("connection refused")
        << QUrl(QStringLiteral("http://127.0.0.1:%1").arg(closedPort()));
    QTest::newRow("https port refused")
        << QUrl(QStringLiteral("https://127.0.0.1:%1").arg(closedPort()));
    QTest::newRow("name does not resolve") << QUrl(QStringLiteral("http://banner-test.invalid"));
    QTest::newRow("no host") << QUrl(QStringLiteral("not a web address"));
}

void TestBannerStrip::offlineWhenSiteCannotBeReached()
{
    QFETCH(QUrl, root);
    m_strip->setSiteRoot(root);
    m_strip->setProbeTimeout(3000);
    QSignalSpy answered(m_strip, &BannerStrip::probeAnswered);

    m_strip->FormShow();
    // The answer never comes from inside the show handler: the strip is still as created.
    QCOMPARE(answered.count(), 0);
    QCOMPARE(m_strip->PageControl2->currentIndex(), 1);

    QVERIFY(answered.wait(5000));
    QCOMPARE(answered.count(), 1);
    QCOMPARE(answered.at(0).at(0).toBool(), false);
    QCOMPARE(m_strip->PageControl2->currentIndex(), 0);
    QVERIFY(!m_strip->Timer1->isActive());
    QVERIFY(m_strip->WebBrowser1 == nullptr);
    QVERIFY(m_host->findChildren<QWebEngineView *>().isEmpty());
    QVERIFY(m_errors.isEmpty());

    // Offline is for the rest of the run: a second show starts nothing, nothing changes later.
    m_strip->FormShow();
    QTest::qWait(200);
    QCOMPARE(answered.count(), 1);
    QCOMPARE(m_strip->PageControl2->currentIndex(), 0);
    QVERIFY(!m_strip->Timer1->isActive());
}

void TestBannerStrip::probeKeepsEventLoopRunning()
{
    // A listener whose accept queue is full: the kernel drops further connection requests, so
    // a connection attempt hangs like one to a host that does not answer.
    QTcpServer silent;
    silent.setListenBacklogSize(0);
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    silent.pauseAccepting();
    QTcpSocket filler;
    filler.connectToHost(QHostAddress::LocalHost, silent.serverPort());
    QVERIFY(filler.waitForConnected(2000));

    int ticks = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, this, [&ticks] { ++ticks; });
    heartbeat.start(20);

    m_strip->setSiteRoot(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort())));
    m_strip->setProbeTimeout(2000);
    QSignalSpy answered(m_strip, &BannerStrip::probeAnswered);
    m_strip->FormShow();

    // While the probe waits, other events go on and the strip stays as created.
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 20, 1500);
    QCOMPARE(answered.count(), 0);
    QCOMPARE(m_strip->PageControl2->currentIndex(), 1);

    QVERIFY(answered.wait(3000));
    QCOMPARE(answered.at(0).at(0).toBool(), false);
    QCOMPARE(m_strip->PageControl2->currentIndex(), 0);
    QVERIFY(!m_strip->Timer1->isActive());
}

void TestBannerStrip::probeGivesUpAfterFiveSeconds()
{
    QTcpServer silent;
    silent.setListenBacklogSize(0);
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    silent.pauseAccepting();
    QTcpSocket filler;
    filler.connectToHost(QHostAddress::LocalHost, silent.serverPort());
    QVERIFY(filler.waitForConnected(2000));

    m_strip->setSiteRoot(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort())));
    QSignalSpy answered(m_strip, &BannerStrip::probeAnswered);
    QElapsedTimer clock;
    clock.start();
    m_strip->FormShow();
    QVERIFY(answered.wait(9000));
    const qint64 waited = clock.elapsed();
    QVERIFY2(waited >= 4900 && waited < 8000, qPrintable(QString::number(waited)));
    QCOMPARE(answered.at(0).at(0).toBool(), false);
    QCOMPARE(m_strip->PageControl2->currentIndex(), 0);
}

void TestBannerStrip::pictureClickOpensDownloadPageOnce_data()
{
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<int>("opens");
    QTest::newRow("press and release inside") << QPoint(320, 30) << 1;
    QTest::newRow("released outside") << QPoint(700, 30) << 0;
}

void TestBannerStrip::pictureClickOpensDownloadPageOnce()
{
    QFETCH(QPoint, releaseAt);
    QFETCH(int, opens);

    // Through the main window, whose handler runs Image4Click inside the error guard; the
    // window keeps the built-in site root.
    QTemporaryDir folder;
    TForm1 form(folder.path());
    form.setExitWait(0);
    form.show();
    BannerStrip *strip = form.Banner;

    QTest::mousePress(strip->Image4, Qt::LeftButton, {}, QPoint(320, 30));
    QTest::mouseRelease(strip->Image4, Qt::LeftButton, {}, releaseAt);

    QCOMPARE(m_opened.size(), opens);
    if (opens == 1) {
        // Built from the program's own site root, as the guidance line is.
        const QUrl expected(QString::fromUtf8(site::kRoot) +
                            QString::fromUtf8(site::kDownloadPath));
        QCOMPARE(m_opened.first(), expected);
        QCOMPARE(m_opened.first().path(), QStringLiteral("/soft/win-do/1049.html"));
    }
    QCOMPARE(strip->PageControl2->currentIndex(), 1);
    QVERIFY(!strip->Timer1->isActive());
    QVERIFY(m_errors.isEmpty());
}

void TestBannerStrip::offlineRunStartsNoWebEngineProcess()
{
    m_strip->setSiteRoot(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(closedPort())));
    QSignalSpy answered(m_strip, &BannerStrip::probeAnswered);
    m_strip->FormShow();
    QVERIFY(answered.wait(5000));
    QTest::qWait(500);
    QCOMPARE(childProcesses("QtWebEngineProc"), 0);
}

QTEST_MAIN(TestBannerStrip)
#include "tst_bannerstrip.moc"
