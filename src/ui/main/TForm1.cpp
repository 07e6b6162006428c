#include "ui/main/TForm1.h"

#include "base/AppError.h"
#include "base/IniFile.h"
#include "base/SiteConfig.h"
#include "data/BankQuery.h"
#include "data/BankUnpacker.h"
#include "data/TDataModule1.h"
#include "ui/about/TForm2.h"
#include "ui/common/AppTitle.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/AnswerBox.h"
#include "ui/main/BannerStrip.h"
#include "ui/main/ClipboardWatcher.h"
#include "ui/main/HomePageStep.h"
#include "ui/main/MatchStepper.h"
#include "ui/main/MemoBox.h"
#include "ui/main/RecognitionRunner.h"
#include "ui/main/RegionPicker.h"
#include "ui/main/UsageText.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <QWebEngineView>
#include <QWindow>

namespace {

QFont layoutFont(const QString &family, int pixelSize)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

TForm1::TForm1(const QString &programFolder, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_programFolder(programFolder)
{
    buildControls();
    connectHandlers();
    ErrorGuard::run([this] { FormCreate(this); });
}

TForm1::~TForm1()
{
    hide();
    ErrorGuard::run([this] { FormDestroy(this); });
}

void TForm1::buildControls()
{
    setWindowTitle(appTitle());
    setWindowIcon(QIcon(QStringLiteral(":/icons/qinglan-64.png")));
    setFixedSize(648, 397);
    move(0, 0);
    setFont(layoutFont(QStringLiteral("宋体"), 14));

    GroupBox1 = new QGroupBox(QStringLiteral("输入问题区域"), this);
    GroupBox1->setGeometry(3, 108, 642, 110);
    // In the free space at the right of the group box's caption row, so that no control of the
    // window moves.
    CheckBox4 = new QCheckBox(QStringLiteral("复制即查"), GroupBox1);
    CheckBox4->setGeometry(552, 1, 84, 17);
    CheckBox4->setAutoFillBackground(true);
    CheckBox4->setChecked(false);
    // Beside the caption, in the same caption row above Memo1, so that no control moves.
    Button6 = new QPushButton(QStringLiteral("截图识题"), GroupBox1);
    Button6->setGeometry(104, 0, 72, 19);
    Button6->setToolTip(QStringLiteral("框选屏幕上的题目，识别文字后查找答案（Esc 或右键取消）"));
    Memo1 = new MemoBox(GroupBox1);
    Memo1->setGeometry(5, 19, 632, 86);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // An edit box without "want tabs": Tab moves on to the next control instead of inserting
    // a tab character (and running a lookup on it).
    Memo1->setTabChangesFocus(true);
    // The usage lines go in before the change handler is connected: no lookup at start.
    Memo1->setPlainText(usageLines().join(u'\n'));

    GroupBox2 = new QGroupBox(QStringLiteral("答案显示区域"), this);
    GroupBox2->setGeometry(3, 224, 642, 170);
    QPalette red = GroupBox2->palette();
    red.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    red.setColor(QPalette::Text, QColor(0xFF, 0x00, 0x00));
    GroupBox2->setPalette(red);
    RichEdit1 = new QTextEdit(GroupBox2);
    RichEdit1->setGeometry(5, 19, 632, 146);
    RichEdit1->setReadOnly(true);
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setTabChangesFocus(true);
    // Only the text is red by default: the scroll bars keep the colours of the rest of the
    // window instead of inheriting the group box's red.
    for (QScrollBar *bar : {RichEdit1->verticalScrollBar(), RichEdit1->horizontalScrollBar()}) {
        QPalette normal = bar->palette();
        const QPalette window = palette();
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
            for (const QPalette::ColorGroup group :
                 {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                normal.setColor(group, role, window.color(group, role));
        bar->setPalette(normal);
    }

    Banner = new BannerStrip(this);
    PageControl2 = Banner->PageControl2;
    Timer1 = Banner->Timer1;

    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 70, 648, 35);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Label1 = new QLabel(QStringLiteral("软件版本") + QString::fromLatin1(site::kVersion), Panel1);
    Label1->move(445, 8);
    Label1->adjustSize();
    CheckBox3 = new QCheckBox(QStringLiteral("设置知途网址大全为首页"), Panel1);
    CheckBox3->setGeometry(8, 6, 201, 17);
    CheckBox3->setChecked(true);
    CheckBox1 = new QCheckBox(QStringLiteral("软件总在总前"), Panel1);
    CheckBox1->setGeometry(213, 6, 107, 17);
    CheckBox1->setChecked(true);
    CheckBox2 = new QCheckBox(QStringLiteral("点击直接粘贴"), Panel1);
    CheckBox2->setGeometry(330, 6, 107, 17);
    CheckBox2->setChecked(false);
    Button5 = new QPushButton(QStringLiteral("联系作者"), Panel1);
    Button5->setGeometry(562, 3, 75, 25);

    // Tab order of the layout: the input box, the answer box, the banner, the option row.
    setTabOrder(Memo1, RichEdit1);
    setTabOrder(RichEdit1, CheckBox3);
    setTabOrder(CheckBox3, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, Button5);
    setTabOrder(Button5, CheckBox4);
    setTabOrder(CheckBox4, Button6);
    Memo1->setFocus();
}

void TForm1::connectHandlers()
{
    // toggled, not clicked: the handler runs after every change of state, from the user or
    // from code, and never when the state is set to the value it already has.
    connect(CheckBox1, &QCheckBox::toggled, this,
            [this] { ErrorGuard::run([this] { CheckBox1Click(CheckBox1); }); });
    connect(CheckBox2, &QCheckBox::toggled, this,
            [this] { ErrorGuard::run([this] { CheckBox1Click(CheckBox2); }); });
    connect(CheckBox4, &QCheckBox::toggled, this,
            [this] { ErrorGuard::run([this] { CheckBox4Click(CheckBox4); }); });
    m_clipboardWatcher = new ClipboardWatcher(QGuiApplication::clipboard(), this);
    // The copied text replaces the box's whole text, so the change handler looks it up at once.
    connect(m_clipboardWatcher, &ClipboardWatcher::copiedText, this,
            [this](const QString &text) { Memo1->setText(text); });
    m_matchStepper = new MatchStepper(Memo1, RichEdit1, this);
    connect(m_matchStepper, &MatchStepper::older, this,
            [this] { ErrorGuard::run([this] { stepMatches(true); }); });
    connect(m_matchStepper, &MatchStepper::newer, this,
            [this] { ErrorGuard::run([this] { stepMatches(false); }); });
    connect(Button5, &QPushButton::clicked, this,
            [this] { ErrorGuard::run([this] { Button5Click(Button5); }); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        ++m_memoChanges;
        ErrorGuard::run([this] { Memo1Change(Memo1); });
    });
    connect(Button6, &QPushButton::clicked, this,
            [this] { ErrorGuard::run([this] { Button6Click(Button6); }); });
    m_recognition = new RecognitionRunner(this);
    m_recognition->setLookUp([this](const QString &text) { return findsInReading(text); });
    connect(m_recognition, &RecognitionRunner::textRead, this, &TForm1::textRead);
    connect(m_recognition, &RecognitionRunner::failed, this, &TForm1::readingFailed);
    connect(Timer1, &QTimer::timeout, this,
            [this] { ErrorGuard::run([this] { Timer1Timer(Timer1); }); });
    connect(Memo1, &MemoBox::clicked, this,
            [this] { ErrorGuard::run([this] { Memo1Click(Memo1); }); });
    connect(Memo1, &MemoBox::pictureOnClipboard, this, [this](const QImage &picture) {
        ErrorGuard::run([this, &picture] { startReading(picture); });
    });
    connect(Memo1, &MemoBox::pasteFailed, this,
            [](const QString &message) { ErrorGuard::report(AppError(message)); });
    // Banner strip: the picture's click and each document the strip's browser completes.
    connect(Banner, &BannerStrip::pictureClicked, this,
            [this] { ErrorGuard::run([this] { Image4Click(Banner->Image4); }); });
    connect(Banner, &BannerStrip::documentComplete, this, [this] {
        ErrorGuard::run([this] { WebBrowser1DocumentComplete(Banner->WebBrowser1); });
    });
}

void TForm1::FormCreate(QObject *)
{
    AppPath = QDir(m_programFolder).absolutePath();
    if (!AppPath.endsWith(u'/'))
        AppPath += u'/';
    ConfigPath = AppPath + QStringLiteral("Config.ini");
    ConfigIni = std::make_unique<IniFile>(ConfigPath);
    CheckBox1Click(this);

    // Only a file counts as present: a folder of that name does not (and makes unpacking fail).
    if (QFileInfo(AppPath + QStringLiteral("question.slg")).isFile())
        return;
    unpackQuestionBank(AppPath);
    CheckBox3->setChecked(
        ConfigIni->ReadBool(QStringLiteral("Config"), QStringLiteral("SetHomePage"), true));
    CheckBox1->setChecked(
        ConfigIni->ReadBool(QStringLiteral("Config"), QStringLiteral("SetTop"), true));
    CheckBox4->setChecked(
        ConfigIni->ReadBool(QStringLiteral("Config"), QStringLiteral("WatchClipboard"), false));
}

void TForm1::FormDestroy(QObject *)
{
    QFile::remove(AppPath + QStringLiteral("question.slg"));
    ConfigIni->WriteBool(QStringLiteral("Config"), QStringLiteral("SetHomePage"),
                         CheckBox3->isChecked());
    ConfigIni->WriteBool(QStringLiteral("Config"), QStringLiteral("SetTop"),
                         CheckBox1->isChecked());
    ConfigIni->WriteBool(QStringLiteral("Config"), QStringLiteral("WatchClipboard"),
                         CheckBox4->isChecked());
    // An error here ends the destroy handler: no release of the settings, no wait.
    if (CheckBox3->isChecked())
        runHomePageStep(m_startPageStore);
    ConfigIni.reset();
    QThread::msleep(m_exitWaitMs);
}

void TForm1::showAtStart()
{
    ErrorGuard::run([this] { FormShow(this); });
    centreOnDesktop();
    show();
}

void TForm1::centreOnDesktop()
{
    // The window has been on screen since the creation handler; on X11 give the window manager
    // a moment to frame it, because the centring uses the outer size, frame included.
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        QElapsedTimer waited;
        waited.start();
        while (frameGeometry().size() == size() && waited.elapsed() < 500)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    const QSize outer = frameGeometry().size();
    const int left =
        std::max(desktop.left() + desktop.width() / 2 - outer.width() / 2, desktop.left());
    const int top =
        std::max(desktop.top() + desktop.height() / 2 - outer.height() / 2, desktop.top());
    move(left, top);
}

bool TForm1::isTopmost() const
{
    return windowHandle() && windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
}

void TForm1::setTopmost(bool topmost)
{
    // Change the flag on the existing native window: QWidget::setWindowFlag would destroy and
    // re-create it, which moves and flickers the window.
    winId();
    windowHandle()->setFlag(Qt::WindowStaysOnTopHint, topmost);
    // Like SetWindowPos with SWP_SHOWWINDOW and without SWP_NOACTIVATE: show, raise, activate.
    show();
    raise();
    activateWindow();
}

void TForm1::CheckBox1Click(QObject *)
{
    setTopmost(CheckBox1->isChecked());
}

void TForm1::onTopAgain(QObject *Sender)
{
    if (CheckBox1->isChecked())
        CheckBox1Click(Sender);
}

void TForm1::CheckBox4Click(QObject *)
{
    m_clipboardWatcher->setEnabled(CheckBox4->isChecked());
}

void TForm1::Button5Click(QObject *)
{
    setTopmost(false);
    Form2->exec();
}

void TForm1::Memo1Click(QObject *)
{
    Memo1->selectAll();
    if (!CheckBox2->isChecked())
        return;
    // A picture copied from a page (or a screenshot tool) is read instead of pasted
    // (pictureOnClipboard).
    Memo1->pasteClipboard(MemoBox::PictureOnClipboard::Reported);
}

void TForm1::setTextRecognizer(std::shared_ptr<TextRecognizer> recognizer)
{
    m_recognition->setRecognizer(std::move(recognizer));
}

void TForm1::Button6Click(QObject *)
{
    if (m_recognition->isBusy())
        return;
    hide();
    // The window manager and compositor need a moment to take the window off the screen, or
    // the frozen picture would still show it.
    QTimer::singleShot(300, this, [this] { ErrorGuard::run([this] { pickScreenRegion(); }); });
}

void TForm1::pickScreenRegion()
{
    QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const QPixmap frozen = shown->grabWindow(0);
    if (frozen.isNull()) {
        showAgainAfterPicking();
        throw AppError(QStringLiteral("无法截取屏幕画面"));
    }
    auto *picker = new RegionPicker(frozen, shown->geometry());
    connect(picker, &RegionPicker::picked, this, [this](const QImage &picture) {
        showAgainAfterPicking();
        startReading(picture);
    });
    connect(picker, &RegionPicker::cancelled, this, &TForm1::showAgainAfterPicking);
    picker->showOverScreen();
}

void TForm1::showAgainAfterPicking()
{
    // As the keep-on-top operation shows the window: in its band, raised and active.
    setTopmost(CheckBox1->isChecked());
}

void TForm1::startReading(const QImage &picture)
{
    if (picture.isNull() || !m_recognition->start(picture))
        return;
    m_memoChangesAtRead = m_memoChanges;
    showReadingBusy(true);
}

void TForm1::textRead(const QString &text)
{
    showReadingBusy(false);
    // What the user typed or pasted while the picture was read is newer than the picture.
    if (m_memoChanges != m_memoChangesAtRead)
        return;
    Memo1->setText(text);
    if (Memo1->isFilling())
        return;
    // The box shows the read text from its first line, and all of it is selected, so that the
    // user sees what was read and a typed correction or paste replaces it.
    QTextCursor read(Memo1->document());
    read.movePosition(QTextCursor::End);
    read.setPosition(0, QTextCursor::KeepAnchor);
    Memo1->setTextCursor(read);
}

ReadingChoice::Found TForm1::findsInReading(const QString &text) const
{
    if (!DataModule1)
        return ReadingChoice::Found::Nothing;
    return DataModule1->ADOQuery1->findsInReading(text);
}

void TForm1::readingFailed(const QString &message)
{
    showReadingBusy(false);
    ErrorGuard::report(AppError(message));
}

void TForm1::showReadingBusy(bool busy)
{
    Button6->setEnabled(!busy);
    Button6->setText(busy ? QStringLiteral("识别中…") : QStringLiteral("截图识题"));
}

void TForm1::Memo1Change(QObject *)
{
    FindAnswer();
    if (RichEdit1->document()->isEmpty())
        AnswerBox::showGuidance(RichEdit1);
}

void TForm1::FindAnswer()
{
    // The query runs before the box is cleared: a failure leaves the previous answer in place.
    const qsizetype longest = DataModule1->ADOQuery1->longestInput();
    // A text still going in, or far longer than any question, is not looked up, and its text is
    // not even built: the guidance shows at once. Each block but the first adds at most one
    // separator to the box's length, so that bounds the text's length from below as well.
    const qsizetype shortest = Memo1->lengthAtMost() - (Memo1->blockCount() - 1);
    LookupResult result;
    if (!Memo1->isFilling() && shortest <= longest) {
        // The edit box separates lines with LF; the lookup sees them as the Windows box gave
        // them.
        QString text = Memo1->text();
        text.replace(u'\n', QStringLiteral("\r\n"));
        result = DataModule1->ADOQuery1->lookUp(text);
    }
    RichEdit1->clear();
    m_result = result;
    m_shownRow = result.row;
    m_newerRows.clear();
    if (result.found())
        showShownRow();
}

void TForm1::showShownRow()
{
    const Question found = DataModule1->ADOQuery1->row(m_shownRow);
    if (found.subject.isEmpty())
        return;
    AnswerBox::showResult(RichEdit1, found, m_result, m_newerRows.size() + 1);
}

void TForm1::stepMatches(bool older)
{
    if (!m_result.found() || m_result.matches <= 1)
        return;
    qsizetype next = -1;
    if (older) {
        next = DataModule1->ADOQuery1->olderMatch(m_result, m_shownRow);
        if (next < 0)
            return;
        m_newerRows.append(m_shownRow);
    } else {
        if (m_newerRows.isEmpty())
            return;
        next = m_newerRows.takeLast();
    }
    m_shownRow = next;
    RichEdit1->clear();
    showShownRow();
    if (RichEdit1->document()->isEmpty())
        AnswerBox::showGuidance(RichEdit1);
}

void TForm1::FormShow(QObject *)
{
    Banner->FormShow();
}

void TForm1::Timer1Timer(QObject *)
{
    Banner->Timer1Timer();
}

void TForm1::WebBrowser1DocumentComplete(QObject *)
{
    Banner->WebBrowser1DocumentComplete();
}

void TForm1::Image4Click(QObject *)
{
    Banner->Image4Click();
}
