#include "ui/about/TForm2.h"

#include "base/SiteConfig.h"
#include "ui/about/ClickLabel.h"
#include "ui/common/ErrorGuard.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace {

QFont layoutFont(const QString &family, int pixelSize)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    return font;
}

QLabel *textLabel(QLabel *label, const QString &text, const QFont &font, int left, int top)
{
    label->setText(text);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    // Sized to its text, in whatever face stands in for the layout's font here.
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLabel *picture(QLabel *label, const QString &resource, const QRect &geometry)
{
    label->setPixmap(QPixmap(resource));
    label->setScaledContents(true);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TForm2::TForm2(QWidget *mainForm, OnTopAgain mainOnTopAgain)
    : QDialog(mainForm, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint),
      m_mainForm(mainForm), m_mainOnTopAgain(std::move(mainOnTopAgain))
{
    buildControls();
    connectHandlers();
}

void TForm2::buildControls()
{
    setWindowTitle(QStringLiteral("联系作者"));
    setFixedSize(536, 254);
    setFont(layoutFont(QStringLiteral("Tahoma"), 11));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    const QFont heading = layoutFont(QStringLiteral("黑体"), 21);
    const QFont body = layoutFont(QStringLiteral("Tahoma"), 16);
    const QFont small = layoutFont(QStringLiteral("Tahoma"), 14);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(5, 5, 526, 244);

    Image1 = new ClickLabel(GroupBox1);
    picture(Image1, QStringLiteral(":/about/logo.png"), QRect(8, 16, 225, 68));
    Image1->setCursor(Qt::PointingHandCursor);

    Label1 = textLabel(new QLabel(GroupBox1), QStringLiteral("青岚学堂答题器"), heading, 252, 16);
    Label2 = textLabel(new QLabel(GroupBox1),
                       QStringLiteral("当前软件版本：V") + QString::fromUtf8(site::kVersion), body,
                       255, 43);
    Label3 = textLabel(new QLabel(GroupBox1), QStringLiteral("QQ：123456789  微信：qinglan-xt"),
                       small, 254, 65);

    Bevel1 = new QFrame(GroupBox1);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 90, 506, 2);

    Label4 =
        textLabel(new QLabel(GroupBox1), QStringLiteral("© 2024 青岚学堂 版权所有"), body, 8, 98);
    Label6 = new ClickLabel(GroupBox1);
    textLabel(Label6, QString::fromUtf8(site::kRoot), body, 8, 157);
    Label6->setCursor(Qt::PointingHandCursor);
    Label7 = textLabel(new QLabel(GroupBox1), QStringLiteral("保留所有权利"), body, 8, 128);

    Image2 = picture(new QLabel(GroupBox1), QStringLiteral(":/about/alipay-qr.png"),
                     QRect(250, 95, 128, 128));
    Label5 = textLabel(new QLabel(GroupBox1), QStringLiteral("支付宝打赏"), small, 279, 225);
    Label5->setCursor(Qt::PointingHandCursor);

    Button1 = new QPushButton(QStringLiteral("前往官网下载新版并查看使用教程"), GroupBox1);
    Button1->setGeometry(24, 189, 209, 40);
    Button1->setDefault(false);

    Image3 = picture(new QLabel(GroupBox1), QStringLiteral(":/about/wechat-qr.png"),
                     QRect(385, 95, 128, 128));
    Label8 = textLabel(new QLabel(GroupBox1), QStringLiteral("微信打赏"), small, 422, 225);
    Label8->setCursor(Qt::PointingHandCursor);

    // Button1 is the only tab stop, so it holds the focus whenever the dialog is active.
    GroupBox1->setFocusPolicy(Qt::NoFocus);
    for (QWidget *control : GroupBox1->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        control->setFocusPolicy(Qt::NoFocus);
    Button1->setFocusPolicy(Qt::StrongFocus);
    Button1->setFocus();
}

void TForm2::connectHandlers()
{
    connect(Image1, &ClickLabel::clicked, this,
            [this] { ErrorGuard::run([this] { Image1Click(Image1); }); });
    connect(Label6, &ClickLabel::clicked, this,
            [this] { ErrorGuard::run([this] { Label5Click(Label6); }); });
    connect(Button1, &QPushButton::clicked, this,
            [this] { ErrorGuard::run([this] { Button1Click(Button1); }); });
}

void TForm2::setVisible(bool visible)
{
    // Centred only at the first showing; later openings keep where it was last closed.
    if (visible && !m_placed) {
        centreOnMainWindow();
        m_placed = true;
    }
    QDialog::setVisible(visible);
}

void TForm2::centreOnMainWindow()
{
    const QRect mainOuter = m_mainForm->frameGeometry();
    QSize outer = frameGeometry().size();
    // Before its first showing the dialog has no frame yet; it gets the same decorations as the
    // main window, so borrow the main window's.
    if (outer == size())
        outer += mainOuter.size() - m_mainForm->size();
    const QRect desktop = m_mainForm->screen()->virtualGeometry();
    // Integer division truncates toward zero, as the placement rule wants.
    const int left = mainOuter.left() + (mainOuter.width() - outer.width()) / 2;
    const int top = mainOuter.top() + (mainOuter.height() - outer.height()) / 2;
    move(std::max(left, desktop.left()), std::max(top, desktop.top()));
}

void TForm2::openPage(const QString &address)
{
    // The default browser opens the page; whether it could is not looked at.
    QDesktopServices::openUrl(QUrl(address));
}

void TForm2::Image1Click(QObject *)
{
    openPage(QString::fromUtf8(site::kRoot));
}

void TForm2::Label5Click(QObject *)
{
    openPage(QString::fromUtf8(site::kRoot));
}

void TForm2::Button1Click(QObject *)
{
    // The main window goes back on top before the browser comes up, and once more as the
    // dialog closes.
    m_mainOnTopAgain(this);
    openPage(QString::fromUtf8(site::kRoot) + QString::fromUtf8(site::kDownloadPath));
    close();
}

void TForm2::FormClose(QObject *)
{
    m_mainOnTopAgain(this);
}

void TForm2::closeEvent(QCloseEvent *event)
{
    ErrorGuard::run([this] { FormClose(this); });
    // The dialog's own close hides it and ends the modal wait; it is not destroyed.
    QDialog::closeEvent(event);
}

void TForm2::keyPressEvent(QKeyEvent *event)
{
    // The dialog has no cancel button, so Escape does not close it.
    if (event->matches(QKeySequence::Cancel)) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
