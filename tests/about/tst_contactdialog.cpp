#include "app/Fonts.h"
#include "base/SiteConfig.h"
#include "ui/about/ClickLabel.h"
#include "ui/about/TForm2.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFrame>
#include <QGlyphRun>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <functional>

namespace {

const QString kHome = QString::fromUtf8(site::kRoot);
const QString kDownload = kHome + QString::fromUtf8(site::kDownloadPath);

} // namespace

// Stands in for the default browser: records each page with the main window's topmost state
// at the moment it was opened.
class BrowserRecorder : public QObject {
    Q_OBJECT
public:
    QStringList pages;
    QList<bool> topmostAtOpen;
    TForm1 *mainForm = nullptr;

public slots:
    void open(const QUrl &url)
    {
        pages << url.toString();
        topmostAtOpen << (mainForm != nullptr && mainForm->isTopmost());
    }
};

class TestContactDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void dialogFrame();
    void layout_data();
    void layout();
    void labelsSizedToTextWithoutOverlap();
    void layoutFacesHaveStandInsOfTheirKind_data();
    void layoutFacesHaveStandInsOfTheirKind();
    void textsAndPictures();
    void onlyButton1TakesFocus();
    void centredOnFirstShowingOnly();
    void centringStopsAtDesktopEdges();
    void keepOnTopAroundTheDialog_data();
    void keepOnTopAroundTheDialog();
    void clicks_data();
    void clicks();
    void escapeDoesNotClose();

private:
    // Opens the dialog through the contact button and runs whileOpen inside the modal wait.
    // The dialog is closed afterwards in any case, so a failed check cannot hang the test.
    void openDialog(const std::function<void()> &whileOpen);
    void closeByCloseBox();
    QList<QWidget *> controlsInCreationOrder() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TForm1> m_form;
    TForm2 *m_dialog = nullptr;
    BrowserRecorder m_browser;
    QStringList m_errors;
};

void TestContactDialog::initTestCase()
{
    installFontSubstitutions();
    const QString scheme = QUrl(kHome).scheme();
    QDesktopServices::setUrlHandler(scheme, &m_browser, "open");
}

void TestContactDialog::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QUrl(kHome).scheme());
}

void TestContactDialog::init()
{
    m_errors.clear();
    ErrorGuard::setReporter([this](const QString &message) { m_errors << message; });
    m_dir = std::make_unique<QTemporaryDir>();
    // A present bank file: nothing is unpacked, the options keep their layout state.
    QFile bank(m_dir->filePath("question.slg"));
    QVERIFY(bank.open(QIODevice::WriteOnly));
    bank.close();
    m_form = std::make_unique<TForm1>(m_dir->path());
    m_form->setExitWait(0);
    // The exit step must not touch the start page of whoever runs the tests.
    m_form->CheckBox3->setChecked(false);
    m_dialog = new TForm2(m_form.get(),
                          [form = m_form.get()](QObject *sender) { form->onTopAgain(sender); });
    m_form->Form2 = m_dialog;
    m_form->move(100, 50);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_browser.pages.clear();
    m_browser.topmostAtOpen.clear();
    m_browser.mainForm = m_form.get();
}

void TestContactDialog::cleanup()
{
    // The application destroys the dialog before the main window.
    delete m_dialog;
    m_dialog = nullptr;
    m_form->Form2 = nullptr;
    m_form.reset();
    m_dir.reset();
    m_browser.mainForm = nullptr;
    ErrorGuard::setReporter({});
}

void TestContactDialog::openDialog(const std::function<void()> &whileOpen)
{
    QTimer::singleShot(0, m_dialog, [this, whileOpen] {
        if (QTest::qWaitForWindowExposed(m_dialog))
            whileOpen();
        if (m_dialog->isVisible())
            m_dialog->hide();
    });
    QTest::mouseClick(m_form->Button5, Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
}

void TestContactDialog::closeByCloseBox()
{
    // What the window system sends for the close box, the system menu or Alt+F4.
    QCloseEvent close;
    QApplication::sendEvent(m_dialog->windowHandle(), &close);
}

QList<QWidget *> TestContactDialog::controlsInCreationOrder() const
{
    const TForm2 &d = *m_dialog;
    return QList<QWidget *>{d.Image1, d.Label1, d.Label2, d.Label3,  d.Bevel1, d.Label4, d.Label6,
                            d.Label7, d.Image2, d.Label5, d.Button1, d.Image3, d.Label8};
}

void TestContactDialog::dialogFrame()
{
    QCOMPARE(m_dialog->windowTitle(), QString("联系作者"));
    QCOMPARE(m_dialog->size(), QSize(536, 254));
    QCOMPARE(m_dialog->minimumSize(), QSize(536, 254));
    QCOMPARE(m_dialog->maximumSize(), QSize(536, 254));
    const Qt::WindowFlags flags = m_dialog->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QCOMPARE(m_dialog->parentWidget(), m_form.get());
    // Created hidden.
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->palette().color(m_dialog->backgroundRole()),
             m_dialog->palette().color(QPalette::Button));
    QVERIFY(m_dialog->autoFillBackground());
    QCOMPARE(m_dialog->font().family(), QString("Tahoma"));
    QCOMPARE(m_dialog->font().pixelSize(), 11);
    QCOMPARE(m_dialog->GroupBox1->geometry(), QRect(5, 5, 526, 244));
    QVERIFY(m_dialog->GroupBox1->title().isEmpty());
    // The thirteen controls are the group box's children, in the order of creation.
    QList<QWidget *> children;
    for (QObject *child : m_dialog->GroupBox1->children())
        if (auto *widget = qobject_cast<QWidget *>(child))
            children << widget;
    QCOMPARE(children, controlsInCreationOrder());
}

void TestContactDialog::layout_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QSize>("size"); // empty: sized to its text
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("handCursor");

    QTest::newRow("Image1") << 0 << QPoint(8, 16) << QSize(225, 68) << "Tahoma" << 11 << true;
    QTest::newRow("Label1") << 1 << QPoint(252, 16) << QSize() << "黑体" << 21 << false;
    QTest::newRow("Label2") << 2 << QPoint(255, 43) << QSize() << "Tahoma" << 16 << false;
    QTest::newRow("Label3") << 3 << QPoint(254, 65) << QSize() << "Tahoma" << 14 << false;
    QTest::newRow("Bevel1") << 4 << QPoint(8, 90) << QSize(506, 2) << "Tahoma" << 11 << false;
    QTest::newRow("Label4") << 5 << QPoint(8, 98) << QSize() << "Tahoma" << 16 << false;
    QTest::newRow("Label6") << 6 << QPoint(8, 157) << QSize() << "Tahoma" << 16 << true;
    QTest::newRow("Label7") << 7 << QPoint(8, 128) << QSize() << "Tahoma" << 16 << false;
    QTest::newRow("Image2") << 8 << QPoint(250, 95) << QSize(128, 128) << "Tahoma" << 11 << false;
    QTest::newRow("Label5") << 9 << QPoint(279, 225) << QSize() << "Tahoma" << 14 << true;
    QTest::newRow("Button1") << 10 << QPoint(24, 189) << QSize(209, 40) << "Tahoma" << 11 << false;
    QTest::newRow("Image3") << 11 << QPoint(385, 95) << QSize(128, 128) << "Tahoma" << 11 << false;
    QTest::newRow("Label8") << 12 << QPoint(422, 225) << QSize() << "Tahoma" << 14 << true;
}

void TestContactDialog::layout()
{
    QFETCH(int, index);
    QFETCH(QPoint, position);
    QFETCH(QSize, size);
    QFETCH(QString, family);
    QFETCH(int, pixelSize);
    QFETCH(bool, handCursor);

    QWidget *control = controlsInCreationOrder().at(index);
    QCOMPARE(control->pos(), position);
    if (size.isValid())
        QCOMPARE(control->size(), size);
    QCOMPARE(control->font().family(), family);
    QCOMPARE(control->font().pixelSize(), pixelSize);
    QCOMPARE(control->cursor().shape(), handCursor ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (auto *label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->palette().color(label->foregroundRole()),
                 m_dialog->palette().color(QPalette::WindowText));
        QVERIFY(!label->font().underline());
    }
}

// Each Windows face of the layouts is drawn in an installed face of the same kind: 宋体 in the Ming
// face, Latin letters and digits included, and 黑体 in a Hei face (scripts/install-deps installs
// both).
void TestContactDialog::layoutFacesHaveStandInsOfTheirKind_data()
{
    QTest::addColumn<QString>("layoutFace");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("drawnIn");
    QTest::newRow("宋体, Chinese") << "宋体"
                                   << "软件版本"
                                   << "AR PL UMing CN";
    QTest::newRow("宋体, digits and brackets") << "宋体"
                                               << "2.0.0.6 [1]"
                                               << "AR PL UMing CN";
    QTest::newRow("黑体") << "黑体"
                          << "联系作者"
                          << "WenQuanYi Micro Hei";
    QTest::newRow("Tahoma, Latin") << "Tahoma"
                                   << "Version"
                                   << "DejaVu Sans";
}

void TestContactDialog::layoutFacesHaveStandInsOfTheirKind()
{
    QFETCH(QString, layoutFace);
    QFETCH(QString, text);
    QFETCH(QString, drawnIn);
    QFont font(layoutFace);
    font.setPixelSize(14);
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    // Every run of glyphs of the text comes from the stand-in, none from a fallback face.
    const QList<QGlyphRun> runs = layout.glyphRuns();
    QVERIFY(!runs.isEmpty());
    for (const QGlyphRun &run : runs)
        QCOMPARE(run.rawFont().familyName().toLower(), drawnIn.toLower());
}

void TestContactDialog::labelsSizedToTextWithoutOverlap()
{
    const QList<QWidget *> controls = controlsInCreationOrder();
    const QRect inside = m_dialog->GroupBox1->rect();
    for (QWidget *control : controls) {
        if (auto *label = qobject_cast<QLabel *>(control); label && label->pixmap().isNull())
            QCOMPARE(label->size(), label->sizeHint());
        QVERIFY2(inside.contains(control->geometry()), qPrintable(control->objectName()));
    }
    for (qsizetype i = 0; i < controls.size(); ++i)
        for (qsizetype j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                     qPrintable(QString("controls %1 and %2 overlap").arg(i).arg(j)));
}

void TestContactDialog::textsAndPictures()
{
    QCOMPARE(m_dialog->Label1->text(), QString("青岚学堂答题器"));
    QCOMPARE(m_dialog->Label2->text(),
             QString("当前软件版本：V") + QString::fromUtf8(site::kVersion));
    QCOMPARE(m_dialog->Label5->text(), QString("支付宝打赏"));
    QCOMPARE(m_dialog->Label8->text(), QString("微信打赏"));
    QCOMPARE(m_dialog->Label6->text(), kHome);
    QCOMPARE(m_dialog->Button1->text(), QString("前往官网下载新版并查看使用教程"));
    QVERIFY(!m_dialog->Button1->isDefault());
    for (QLabel *label : {m_dialog->Label3, m_dialog->Label4, m_dialog->Label7}) {
        QVERIFY(!label->text().isEmpty());
        QVERIFY(!label->text().contains(u'\n'));
    }

    struct Picture {
        QLabel *label;
        QString resource;
        QSize size;
        bool alpha;
    };
    const Picture pictures[] = {
        {m_dialog->Image1, ":/about/logo.png", QSize(300, 90), true},
        {m_dialog->Image2, ":/about/alipay-qr.png", QSize(256, 256), true},
        {m_dialog->Image3, ":/about/wechat-qr.png", QSize(200, 200), false},
    };
    for (const Picture &picture : pictures) {
        const QImage image(picture.resource);
        QVERIFY2(!image.isNull(), qPrintable(picture.resource));
        QCOMPARE(image.size(), picture.size);
        QCOMPARE(image.hasAlphaChannel(), picture.alpha);
        QCOMPARE(picture.label->pixmap().size(), picture.size);
        // Stretched to the control.
        QVERIFY(picture.label->hasScaledContents());
    }
}

void TestContactDialog::onlyButton1TakesFocus()
{
    for (QWidget *control : controlsInCreationOrder())
        if (control != m_dialog->Button1)
            QCOMPARE(control->focusPolicy(), Qt::NoFocus);
    QVERIFY(m_dialog->GroupBox1->focusPolicy() == Qt::NoFocus);
    QVERIFY(m_dialog->Button1->focusPolicy() & Qt::TabFocus);

    QWidget *focused = nullptr;
    QWidget *afterTab = nullptr;
    openDialog([&] {
        if (!QTest::qWaitForWindowActive(m_dialog))
            return;
        focused = QApplication::focusWidget();
        QTest::keyClick(m_dialog, Qt::Key_Tab);
        afterTab = QApplication::focusWidget();
    });
    QCOMPARE(focused, m_dialog->Button1);
    QCOMPARE(afterTab, m_dialog->Button1);
}

void TestContactDialog::centredOnFirstShowingOnly()
{
    const QRect main = m_form->frameGeometry();
    QPoint first;
    openDialog([&] {
        first = m_dialog->frameGeometry().topLeft();
        // Moved by the user while open.
        m_dialog->move(40, 30);
        closeByCloseBox();
    });
    const QSize outer = m_dialog->frameGeometry().size();
    QCOMPARE(first, QPoint(main.left() + (main.width() - outer.width()) / 2,
                           main.top() + (main.height() - outer.height()) / 2));
    // With the layout's sizes and no frame: 100 + 112 / 2, 50 + 143 / 2 (truncated).
    if (outer == QSize(536, 254) && main.size() == QSize(648, 397))
        QCOMPARE(first, QPoint(156, 121));

    // The main window moves; the next opening still shows the dialog where it was closed.
    m_form->move(300, 200);
    QPoint second;
    openDialog([&] {
        second = m_dialog->frameGeometry().topLeft();
        closeByCloseBox();
    });
    QCOMPARE(second, QPoint(40, 30));
    QPoint third;
    openDialog([&] {
        third = m_dialog->frameGeometry().topLeft();
        QTest::mouseClick(m_dialog->Button1, Qt::LeftButton);
    });
    QCOMPARE(third, QPoint(40, 30));
    QVERIFY(m_errors.isEmpty());
}

void TestContactDialog::centringStopsAtDesktopEdges()
{
    const QRect desktop = m_form->screen()->virtualGeometry();
    m_form->move(desktop.left() - 300, desktop.top() - 250);
    QPoint shown;
    openDialog([&] {
        shown = m_dialog->frameGeometry().topLeft();
        closeByCloseBox();
    });
    QCOMPARE(shown, desktop.topLeft());
}

void TestContactDialog::keepOnTopAroundTheDialog_data()
{
    QTest::addColumn<bool>("keepOnTop");
    QTest::addColumn<bool>("byButton1");
    QTest::addColumn<QStringList>("pages");

    QTest::newRow("on, close box") << true << false << QStringList();
    QTest::newRow("on, Button1") << true << true << QStringList{kDownload};
    QTest::newRow("off, close box") << false << false << QStringList();
    QTest::newRow("off, Button1") << false << true << QStringList{kDownload};
}

void TestContactDialog::keepOnTopAroundTheDialog()
{
    QFETCH(bool, keepOnTop);
    QFETCH(bool, byButton1);
    QFETCH(QStringList, pages);

    m_form->CheckBox1->setChecked(keepOnTop);
    QCOMPARE(m_form->isTopmost(), keepOnTop);
    bool topmostWhileOpen = true;
    bool closed = false;
    openDialog([&] {
        topmostWhileOpen = m_form->isTopmost();
        if (byButton1)
            QTest::mouseClick(m_dialog->Button1, Qt::LeftButton);
        else
            closeByCloseBox();
        closed = !m_dialog->isVisible();
    });
    QVERIFY(closed);
    QVERIFY(!topmostWhileOpen);
    QCOMPARE(m_form->isTopmost(), keepOnTop);
    QCOMPARE(m_browser.pages, pages);
    // Button1 puts the main window back on top before the page opens.
    if (byButton1)
        QCOMPARE(m_browser.topmostAtOpen, QList<bool>{keepOnTop});
    // Hidden, not destroyed: the same dialog opens again.
    QVERIFY(m_form->Form2 == m_dialog);
    bool reopened = false;
    openDialog([&] {
        reopened = m_dialog->isVisible();
        closeByCloseBox();
    });
    QVERIFY(reopened);
    QCOMPARE(m_form->isTopmost(), keepOnTop);
    QVERIFY(m_errors.isEmpty());
}

void TestContactDialog::clicks_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("pages");

    QTest::newRow("Image1, the logo") << 0 << QStringList{kHome};
    QTest::newRow("Label1") << 1 << QStringList();
    QTest::newRow("Label2") << 2 << QStringList();
    QTest::newRow("Label3") << 3 << QStringList();
    QTest::newRow("Label4") << 5 << QStringList();
    QTest::newRow("Label6, the address") << 6 << QStringList{kHome};
    QTest::newRow("Label7") << 7 << QStringList();
    QTest::newRow("Image2, QR code") << 8 << QStringList();
    QTest::newRow("Label5, its caption") << 9 << QStringList();
    QTest::newRow("Image3, QR code") << 11 << QStringList();
    QTest::newRow("Label8, its caption") << 12 << QStringList();
}

void TestContactDialog::clicks()
{
    QFETCH(int, index);
    QFETCH(QStringList, pages);

    QWidget *control = controlsInCreationOrder().at(index);
    bool stillOpen = false;
    bool topmostAfterClick = true;
    openDialog([&] {
        QTest::mouseClick(control, Qt::LeftButton);
        stillOpen = m_dialog->isVisible();
        topmostAfterClick = m_form->isTopmost();
        closeByCloseBox();
    });
    QCOMPARE(m_browser.pages, pages);
    QVERIFY(stillOpen);
    // Only closing puts the main window back on top.
    QVERIFY(!topmostAfterClick);
    QVERIFY(m_form->isTopmost());
    QVERIFY(m_errors.isEmpty());
}

void TestContactDialog::escapeDoesNotClose()
{
    bool openAfterEscape = false;
    openDialog([&] {
        if (!QTest::qWaitForWindowActive(m_dialog))
            return;
        QTest::keyClick(m_dialog->Button1, Qt::Key_Escape);
        openAfterEscape = m_dialog->isVisible();
        closeByCloseBox();
    });
    QVERIFY(openAfterEscape);
}

QTEST_MAIN(TestContactDialog)
#include "tst_contactdialog.moc"
