#include "ui/main/BannerStrip.h"

#include "base/SiteConfig.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/BodyRestyle.h"
#include "ui/main/SiteProbe.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

BannerStrip::BannerStrip(QWidget *form)
    : QObject(form), m_siteRoot(QUrl(QString::fromUtf8(site::kRoot)))
{
    // A stacked widget is a page control without tabs: only the active page shows.
    PageControl2 = new QStackedWidget(form);
    PageControl2->setGeometry(0, 0, 648, 70);
    PageControl2->setContentsMargins(4, 5, 4, 5);

    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    // Until a page is loaded (and for good when offline) the browser page is an empty white area.
    QPalette white = TabSheet4->palette();
    white.setColor(QPalette::Window, Qt::white);
    TabSheet4->setPalette(white);
    TabSheet4->setAutoFillBackground(true);

    TabSheet6 = new QWidget;
    TabSheet6->setObjectName(QStringLiteral("TabSheet6"));
    Image4 = new QLabel(TabSheet6);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setGeometry(0, 0, 640, 60);
    Image4->setPixmap(QPixmap(QStringLiteral(":/banner/banner.jpg")));
    Image4->setScaledContents(true);
    Image4->setCursor(Qt::PointingHandCursor);
    Image4->installEventFilter(this);

    PageControl2->addWidget(TabSheet4);
    PageControl2->addWidget(TabSheet6);
    PageControl2->setCurrentIndex(1);

    Timer1 = new QTimer(this);
    Timer1->setInterval(10000);
}

void BannerStrip::FormShow()
{
    // The window is shown once per run; a second show must not start a second probe.
    if (m_probe != nullptr)
        return;
    m_probe = new SiteProbe(this);
    connect(m_probe, &SiteProbe::answered, this, &BannerStrip::onProbeAnswer);
    m_probe->start(m_siteRoot, m_probeTimeoutMs);
}

void BannerStrip::onProbeAnswer(bool reachable)
{
    if (reachable)
        ErrorGuard::run([this] { startRotating(); });
    else
        PageControl2->setCurrentIndex(0);
    emit probeAnswered(reachable);
}

void BannerStrip::startRotating()
{
    WebBrowser1 = new QWebEngineView(TabSheet4);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(0, 0, 640, 60);
    WebBrowser1->show();
    connect(WebBrowser1->page(), &QWebEnginePage::loadFinished, this,
            [this] { emit documentComplete(); });
    // A link or script of the page that asks for a new window (target=_blank, window.open)
    // gets the system's default browser, as a browser control hands such a request on; the
    // strip itself stays on the advertising page. Only web addresses leave the strip.
    connect(WebBrowser1->page(), &QWebEnginePage::newWindowRequested, this,
            [](QWebEngineNewWindowRequest &request) {
                const QUrl address = request.requestedUrl();
                if (address.scheme() == QLatin1String("http") ||
                    address.scheme() == QLatin1String("https"))
                    QDesktopServices::openUrl(address);
            });
    // The advertising page is loaded once; switching pages later only changes what is visible.
    WebBrowser1->load(siteAddress(site::kAdvertPath));
    Timer1->start();
}

void BannerStrip::Timer1Timer()
{
    PageControl2->setCurrentIndex(PageControl2->currentIndex() == 0 ? 1 : 0);
}

void BannerStrip::WebBrowser1DocumentComplete()
{
    if (WebBrowser1 == nullptr)
        return;
    // The script runs in its own world so that the page's scripts cannot stand in for the DOM
    // objects it uses; its answer comes back later, so errors go to the error guard from there.
    QPointer<BannerStrip> self(this);
    WebBrowser1->page()->runJavaScript(
        BodyRestyle::script(), QWebEngineScript::ApplicationWorld, [self](const QVariant &result) {
            if (self)
                ErrorGuard::run([&result] { BodyRestyle::check(result); });
        });
}

void BannerStrip::Image4Click()
{
    QDesktopServices::openUrl(siteAddress(site::kDownloadPath));
}

QUrl BannerStrip::siteAddress(const char *path) const
{
    const QString root = m_siteRoot.toString(QUrl::StripTrailingSlash);
    return QUrl(root + QString::fromUtf8(path));
}

bool BannerStrip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image4 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            Image4->rect().contains(mouse->position().toPoint()))
            emit pictureClicked();
    }
    return QObject::eventFilter(watched, event);
}
