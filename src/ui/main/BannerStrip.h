#pragma once

#include <QObject>

class QLabel;
class QStackedWidget;
class QTimer;
class QWidget;

// The banner strip across the top of the main window: the advertising page (page 0) and the
// built-in picture (page 1). The main window's handlers delegate here.
class BannerStrip : public QObject {
    Q_OBJECT
public:
    explicit BannerStrip(QWidget *form);

    void FormShow();
    void Timer1Timer();
    void WebBrowser1DocumentComplete();
    void Image4Click();

    QStackedWidget *PageControl2;
    QWidget *TabSheet4;
    QWidget *WebBrowser1 = nullptr;
    QWidget *TabSheet6;
    QLabel *Image4;
    QTimer *Timer1;
};
