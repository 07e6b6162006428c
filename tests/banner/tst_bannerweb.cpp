#include "AdServer.h"
#include "base/SiteConfig.h"
#include "platform/WebEngineSandbox.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/BannerStrip.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <optional>

namespace {

const QByteArray kHtml = "text/html; charset=utf-8";

// The page's own style sheet gives the body everything that the strip takes away again.
const QByteArray kAdPage = R"(<!DOCTYPE html><html><head><style>
body { margin: 8px; padding: 6px; border: 4px solid red; overflow: scroll; }
</style></head><body>ad <iframe src="/frame.html" width="200" height="40"></iframe></body></html>)";
const QByteArray kFramePage = R"(<html><body style="margin: 5px">frame</body></html>)";
const QByteArray kNextPage = R"(<!DOCTYPE html><html><body style="margin: 12px; padding: 3px;
border: 2px dotted blue">next</body></html>)";
const QByteArray kFramesetPage = R"(<html><frameset cols="50%,50%">
<frame src="/frame.html"><frame src="/frame.html"></frameset></html>)";
const QByteArray kLinksPage = R"(<!DOCTYPE html><html><body>
<a id="blank" href="/next.html" target="_blank">next</a>
<a id="script" href="#" onclick="window.open('/frame.html', 'ad', 'width=300'); return false">frame</a>
</body></html>)";
const QByteArray kSvgPage =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="20" height="20"><rect width="20" height="20"/></svg>)";

// What the body looks like now, read in the page's own script world.
const QString kReadBody = QStringLiteral(R"JS((function () {
    var b = document.body;
    if (!b) return '';
    var c = getComputedStyle(b);
    return JSON.stringify({
        tag: b.tagName, scroll: b.getAttribute('scroll'),
        borderWidth: b.style.borderWidth, borderStyle: b.style.borderStyle,
        margin: b.style.margin, padding: b.style.padding, overflow: b.style.overflow,
        shownMargin: c.marginTop, shownPadding: c.paddingLeft, shownBorder: c.borderTopStyle,
        shownOverflow: c.overflowY });
})())JS");

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

} // namespace

// The banner strip with the web engine, in the main window, against a local web server that
// stands in for the maker's site.
class TestBannerWeb : public QObject {
    Q_OBJECT
public slots:
    void recordOpenedUrl(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void rotatesWithPictureFirstAndLoadsAdvertOnce();
    void advertPageBodySitsFlush();
    void everyCompletedLoadIsRestyled_data();
    void everyCompletedLoadIsRestyled();
    void documentWithoutBodyIsLeftAlone();
    void framesetPageReportsUnsupportedInterface();
    void pictureClickWhileRotating();
    void newWindowGoesToDefaultBrowser_data();
    void newWindowGoesToDefaultBrowser();

private:
    QWebEngineView *view() const { return m_form->Banner->WebBrowser1; }
    QUrl siteUrl(const QString &path) const;
    QVariant runScript(const QString &script);
    QJsonObject readBody();
    // 1 when the load succeeded, 0 when it failed, -1 when it did not finish in time.
    int load(const QUrl &url);

    std::unique_ptr<AdServer> m_server;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<TForm1> m_form;
    QList<QUrl> m_opened;
    QStringList m_errors;
};

QUrl TestBannerWeb::siteUrl(const QString &path) const
{
    return QUrl(m_server->root().toString() + path);
}

QVariant TestBannerWeb::runScript(const QString &script)
{
    std::optional<QVariant> result;
    view()->page()->runJavaScript(script, [&result](const QVariant &value) { result = value; });
    if (!QTest::qWaitFor([&result] { return result.has_value(); }, 5000))
        return QVariant();
    return *result;
}

QJsonObject TestBannerWeb::readBody()
{
    return QJsonDocument::fromJson(runScript(kReadBody).toString().toUtf8()).object();
}

int TestBannerWeb::load(const QUrl &url)
{
    QSignalSpy finished(view()->page(), &QWebEnginePage::loadFinished);
    view()->load(url);
    if (!finished.wait(10000))
        return -1;
    return finished.first().first().toBool() ? 1 : 0;
}

void TestBannerWeb::initTestCase()
{
    ErrorGuard::setReporter([this](const QString &text) { m_errors << text; });
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "recordOpenedUrl");

    m_server = std::make_unique<AdServer>();
    QVERIFY(m_server->isListening());
    m_server->addPage(QString::fromUtf8(site::kAdvertPath), kHtml, kAdPage);
    m_server->addPage(QStringLiteral("/frame.html"), kHtml, kFramePage);
    m_server->addPage(QStringLiteral("/next.html"), kHtml, kNextPage);
    m_server->addPage(QStringLiteral("/frameset.html"), kHtml, kFramesetPage);
    m_server->addPage(QStringLiteral("/picture.svg"), "image/svg+xml", kSvgPage);
    m_server->addPage(QStringLiteral("/links.html"), kHtml, kLinksPage);

    m_folder = std::make_unique<QTemporaryDir>();
    m_form = std::make_unique<TForm1>(m_folder->path());
    m_form->setExitWait(0);
    BannerStrip *strip = m_form->Banner;
    strip->setSiteRoot(m_server->root());
    QSignalSpy answered(strip, &BannerStrip::probeAnswered);

    m_form->showAtStart();
    // Shown at once; the strip waits as created until the site answers.
    QVERIFY(m_form->isVisible());
    QCOMPARE(strip->PageControl2->currentIndex(), 1);
    QVERIFY(strip->WebBrowser1 == nullptr);
    QVERIFY(!strip->Timer1->isActive());

    QVERIFY(answered.wait(5000));
    QCOMPARE(answered.at(0).at(0).toBool(), true);
    QVERIFY(view() != nullptr);
    // The advertising page, its inline frame, and the strip's restyling of the result.
    QTRY_COMPARE_WITH_TIMEOUT(readBody().value(u"scroll").toString(), QStringLiteral("no"), 15000);
}

void TestBannerWeb::cleanupTestCase()
{
    m_form.reset();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    ErrorGuard::setReporter({});
}

void TestBannerWeb::rotatesWithPictureFirstAndLoadsAdvertOnce()
{
    BannerStrip *strip = m_form->Banner;
    QCOMPARE(view()->parentWidget(), strip->TabSheet4);
    QCOMPARE(view()->geometry(), QRect(0, 0, 640, 60));
    QCOMPARE(view()->url(), siteUrl(QString::fromUtf8(site::kAdvertPath)));
    QVERIFY(strip->Timer1->isActive());
    QCOMPARE(strip->Timer1->interval(), 10000);
    QCOMPARE(strip->PageControl2->currentIndex(), 1);

    QList<int> seen;
    for (int tick = 0; tick < 3; ++tick) {
        m_form->Timer1Timer(strip->Timer1);
        seen << strip->PageControl2->currentIndex();
    }
    QCOMPARE(seen, QList<int>({0, 1, 0}));

    // Switching pages only changes what shows: nothing is loaded again.
    QTest::qWait(1000);
    QCOMPARE(m_server->requests(QString::fromUtf8(site::kAdvertPath)), 1);
    QCOMPARE(m_server->requests(QStringLiteral("/frame.html")), 1);
    QVERIFY(strip->Timer1->isActive());
    QVERIFY(m_errors.isEmpty());
}

void TestBannerWeb::advertPageBodySitsFlush()
{
    const QJsonObject body = readBody();
    QCOMPARE(body.value(u"tag").toString(), QStringLiteral("BODY"));
    QCOMPARE(body.value(u"scroll").toString(), QStringLiteral("no"));
    QCOMPARE(body.value(u"borderWidth").toString(), QStringLiteral("0px"));
    QCOMPARE(body.value(u"borderStyle").toString(), QStringLiteral("none"));
    QCOMPARE(body.value(u"margin").toString(), QStringLiteral("0px"));
    QCOMPARE(body.value(u"padding").toString(), QStringLiteral("0px"));
    QCOMPARE(body.value(u"overflow").toString(), QStringLiteral("hidden"));
    // The inline style wins over the page's own style sheet.
    QCOMPARE(body.value(u"shownMargin").toString(), QStringLiteral("0px"));
    QCOMPARE(body.value(u"shownPadding").toString(), QStringLiteral("0px"));
    QCOMPARE(body.value(u"shownBorder").toString(), QStringLiteral("none"));
    QCOMPARE(body.value(u"shownOverflow").toString(), QStringLiteral("hidden"));
}

void TestBannerWeb::everyCompletedLoadIsRestyled_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("loaded");
    QTest::newRow("followed link") << QStringLiteral("/next.html") << 1;
    QTest::newRow("server's not-found page") << QStringLiteral("/missing.html") << 0;
    QTest::newRow("page with inline frame, again") << QString::fromUtf8(site::kAdvertPath) << 1;
    QTest::newRow("unreachable address: browser's error page")
        << QStringLiteral("http://127.0.0.1:%1/gone.html").arg(closedPort()) << 0;
}

void TestBannerWeb::everyCompletedLoadIsRestyled()
{
    QFETCH(QString, address);
    QFETCH(int, loaded);
    m_errors.clear();
    const QUrl url = address.startsWith(u'/') ? siteUrl(address) : QUrl(address);
    QCOMPARE(load(url), loaded);

    // The restyling was requested when the load completed; its result is there once the
    // page's script runs.
    QTRY_COMPARE_WITH_TIMEOUT(readBody().value(u"scroll").toString(), QStringLiteral("no"), 5000);
    const QJsonObject body = readBody();
    QCOMPARE(body.value(u"borderStyle").toString(), QStringLiteral("none"));
    QCOMPARE(body.value(u"borderWidth").toString(), QStringLiteral("0px"));
    QCOMPARE(body.value(u"margin").toString(), QStringLiteral("0px"));
    QCOMPARE(body.value(u"padding").toString(), QStringLiteral("0px"));
    QCOMPARE(body.value(u"overflow").toString(), QStringLiteral("hidden"));
    QCOMPARE(body.value(u"shownMargin").toString(), QStringLiteral("0px"));
    QVERIFY(m_errors.isEmpty());
}

void TestBannerWeb::documentWithoutBodyIsLeftAlone()
{
    m_errors.clear();
    QCOMPARE(load(siteUrl(QStringLiteral("/picture.svg"))), 1);
    QCOMPARE(runScript(QStringLiteral("document.body === null")).toBool(), true);
    // Give the restyling its turn: it must neither fail nor add anything.
    QTest::qWait(500);
    QVERIFY(m_errors.isEmpty());
    QCOMPARE(runScript(QStringLiteral("document.documentElement.getAttribute('style')")),
             QVariant());
    QCOMPARE(runScript(QStringLiteral("document.documentElement.hasAttribute('scroll')")),
             QVariant(false));
}

void TestBannerWeb::framesetPageReportsUnsupportedInterface()
{
    m_errors.clear();
    QCOMPARE(load(siteUrl(QStringLiteral("/frameset.html"))), 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_errors.size(), 1, 5000);
    QCOMPARE(m_errors.first(), QStringLiteral("Interface not supported."));
    // The frameset itself is left as it was.
    QCOMPARE(runScript(QStringLiteral("document.body.getAttribute('scroll')")), QVariant());
}

void TestBannerWeb::pictureClickWhileRotating()
{
    BannerStrip *strip = m_form->Banner;
    const int page = strip->PageControl2->currentIndex();
    m_opened.clear();
    QTest::mouseClick(strip->Image4, Qt::LeftButton, {}, QPoint(100, 20));
    QCOMPARE(m_opened, QList<QUrl>({siteUrl(QStringLiteral("/soft/win-do/1049.html"))}));
    QCOMPARE(strip->PageControl2->currentIndex(), page);
    QVERIFY(strip->Timer1->isActive());
}

// A link of the page that opens a new window, by its target or by script, opens in the
// default browser; the strip keeps showing its page.
void TestBannerWeb::newWindowGoesToDefaultBrowser_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("opened");
    QTest::newRow("target=_blank") << "blank"
                                   << "/next.html";
    QTest::newRow("window.open") << "script"
                                 << "/frame.html";
}

void TestBannerWeb::newWindowGoesToDefaultBrowser()
{
    QFETCH(QString, link);
    QFETCH(QString, opened);
    const QUrl page = siteUrl(QStringLiteral("/links.html"));
    QCOMPARE(load(page), 1);
    m_opened.clear();
    m_errors.clear();
    runScript(QStringLiteral("document.getElementById('%1').click(); true").arg(link));
    QTRY_COMPARE_WITH_TIMEOUT(m_opened, QList<QUrl>({siteUrl(opened)}), 10000);
    QCOMPARE(view()->url(), page);
    QVERIFY(m_errors.isEmpty());
}

int main(int argc, char *argv[])
{
    // As the program does: both only take effect before the application object exists.
    allowWebEngineAsRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestBannerWeb test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bannerweb.moc"
