#pragma once

#include <QObject>
#include <QUrl>

class QLabel;
class QStackedWidget;
class QTimer;
class QWebEngineView;
class QWidget;
class SiteProbe;

// The banner strip across the top of the main window: page 0 shows the maker's advertising
// page, page 1 the built-in picture. The main window's handlers delegate to the methods of the
// same names, and the window routes the two signals below to its handlers inside the error
// guard.
class BannerStrip : public QObject {
    Q_OBJECT
public:
    explicit BannerStrip(QWidget *form);

    // The maker's website root; tests point the strip at a local server before FormShow.
    void setSiteRoot(const QUrl &root) { m_siteRoot = root; }
    QUrl siteRoot() const { return m_siteRoot; }
    void setProbeTimeout(int milliseconds) { m_probeTimeoutMs = milliseconds; }

    // Starts the connectivity probe and returns at once; the strip stays as created until the
    // answer, then rotates (site reachable) or shows the empty browser page (not reachable).
    void FormShow();
    void Timer1Timer();
    void WebBrowser1DocumentComplete();
    void Image4Click();

    QStackedWidget *PageControl2;
    QWidget *TabSheet4;
    // Created only once the site has answered: offline, the web engine never starts.
    QWebEngineView *WebBrowser1 = nullptr;
    QWidget *TabSheet6;
    QLabel *Image4;
    QTimer *Timer1;

signals:
    // A click (press and release inside) on the picture.
    void pictureClicked();
    // WebBrowser1 has finished loading a document, its error pages included.
    void documentComplete();
    // The probe has answered and the strip has left its created state.
    void probeAnswered(bool reachable);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onProbeAnswer(bool reachable);
    void startRotating();
    QUrl siteAddress(const char *path) const;

    QUrl m_siteRoot;
    int m_probeTimeoutMs = 5000;
    SiteProbe *m_probe = nullptr;
};
