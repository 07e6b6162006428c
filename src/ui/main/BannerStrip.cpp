#include "ui/main/BannerStrip.h"

#include <QLabel>
#include <QStackedWidget>
#include <QTimer>

BannerStrip::BannerStrip(QWidget *form) : QObject(form)
{
    PageControl2 = new QStackedWidget(form);
    PageControl2->setGeometry(0, 0, 648, 70);
    TabSheet4 = new QWidget;
    TabSheet6 = new QWidget;
    PageControl2->addWidget(TabSheet4);
    PageControl2->addWidget(TabSheet6);
    Image4 = new QLabel(TabSheet6);
    Image4->setGeometry(0, 0, 640, 60);
    PageControl2->setCurrentIndex(1);
    Timer1 = new QTimer(this);
    Timer1->setInterval(10000);
}

void BannerStrip::FormShow() {}

void BannerStrip::Timer1Timer()
{
    PageControl2->setCurrentIndex(PageControl2->currentIndex() == 0 ? 1 : 0);
}

void BannerStrip::WebBrowser1DocumentComplete() {}

void BannerStrip::Image4Click() {}
