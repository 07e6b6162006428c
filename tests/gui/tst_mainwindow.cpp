#include "FakeClipboardReader.h"
#include "app/Fonts.h"
#include "data/TDataModule1.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/MemoBox.h"
#include "ui/main/TForm1.h"
#include "ui/main/UsageText.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QWindow>

// Behaviour of the main window's own controls: layout, keep-on-top, click-to-paste.
class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void captionRowControlsOverlapNothing();
    void startsWithUsageLinesAndEmptyAnswer();
    void checkBoxHandlerRunsOnlyOnRealChanges();
    void clickToPasteOption_data();
    void clickToPasteOption();
    void doubleClickPastesOnce();
    void releaseOutsideDoesNothing();
    void pasteWithoutClipboardTextRunsNoLookup();
    void clickToPasteWaitsForTheReader_data();
    void clickToPasteWaitsForTheReader();
    void checkBox2KeepsTopmostOfCheckBox1();
    void severalMatchesAreCountedAndStepped();
    void uniqueMatchShowsNoCount();
    void overlongInputIsNotLookedUp_data();
    void overlongInputIsNotLookedUp();
    void watchClipboardIsStoredAfterSetTop();
    void tabMovesTheFocus();
    void answerBoxScrollBarKeepsNormalColours();
    void usageLinesFitTheInputBox();
    void onlyControlCharactersAreTrimmed_data();
    void onlyControlCharactersAreTrimmed();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TDataModule1> m_dataModule;
    QStringList m_errors;
};

void TestMainWindow::init()
{
    m_errors.clear();
    ErrorGuard::setReporter([this](const QString &text) { m_errors << text; });
    m_dir = std::make_unique<QTemporaryDir>();
    m_form = std::make_unique<TForm1>(m_dir->path());
    m_form->setExitWait(0);
    m_dataModule = std::make_unique<TDataModule1>(m_form->AppPath);
    ErrorGuard::run([this] { m_dataModule->DataModuleCreate(); });
    m_form->DataModule1 = m_dataModule.get();
}

void TestMainWindow::cleanup()
{
    m_dataModule.reset();
    m_form.reset();
    m_dir.reset();
    ErrorGuard::setReporter({});
}

void TestMainWindow::layout_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("GroupBox1") << "GroupBox1" << QRect(3, 108, 642, 110);
    QTest::newRow("Memo1") << "Memo1" << QRect(5, 19, 632, 86);
    QTest::newRow("GroupBox2") << "GroupBox2" << QRect(3, 224, 642, 170);
    QTest::newRow("RichEdit1") << "RichEdit1" << QRect(5, 19, 632, 146);
    QTest::newRow("PageControl2") << "PageControl2" << QRect(0, 0, 648, 70);
    QTest::newRow("Panel1") << "Panel1" << QRect(0, 70, 648, 35);
    QTest::newRow("CheckBox3") << "CheckBox3" << QRect(8, 6, 201, 17);
    QTest::newRow("CheckBox1") << "CheckBox1" << QRect(213, 6, 107, 17);
    QTest::newRow("CheckBox2") << "CheckBox2" << QRect(330, 6, 107, 17);
    QTest::newRow("Button5") << "Button5" << QRect(562, 3, 75, 25);
    QTest::newRow("CheckBox4, in GroupBox1's caption row") << "CheckBox4" << QRect(552, 1, 84, 17);
    QTest::newRow("Button6, beside GroupBox1's caption") << "Button6" << QRect(104, 0, 72, 19);
}

void TestMainWindow::layout()
{
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    const QMap<QString, QWidget *> controls{
        {"GroupBox1", m_form->GroupBox1},       {"Memo1", m_form->Memo1},
        {"GroupBox2", m_form->GroupBox2},       {"RichEdit1", m_form->RichEdit1},
        {"PageControl2", m_form->PageControl2}, {"Panel1", m_form->Panel1},
        {"CheckBox3", m_form->CheckBox3},       {"CheckBox1", m_form->CheckBox1},
        {"CheckBox2", m_form->CheckBox2},       {"Button5", m_form->Button5},
        {"CheckBox4", m_form->CheckBox4},       {"Button6", m_form->Button6}};
    QCOMPARE(controls.value(control)->geometry(), geometry);
    QCOMPARE(m_form->size(), QSize(648, 397));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
}

void TestMainWindow::captionRowControlsOverlapNothing()
{
    // The controls added to GroupBox1's caption row cover neither its caption, nor the input
    // box, nor each other.
    QStyleOptionGroupBox option;
    option.initFrom(m_form->GroupBox1);
    option.text = m_form->GroupBox1->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect caption = m_form->GroupBox1->style()->subControlRect(
        QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, m_form->GroupBox1);
    QVERIFY(!caption.isEmpty());
    const QList<QWidget *> added{m_form->CheckBox4, m_form->Button6};
    for (QWidget *control : added) {
        QVERIFY2(!control->geometry().intersects(caption), qPrintable(control->objectName()));
        QVERIFY(!control->geometry().intersects(m_form->Memo1->geometry()));
        for (QWidget *other : added)
            QVERIFY(other == control || !control->geometry().intersects(other->geometry()));
    }
    QCOMPARE(m_form->Button6->text(), QString("截图识题"));
    QVERIFY(m_form->Button6->isEnabled());
}

void TestMainWindow::startsWithUsageLinesAndEmptyAnswer()
{
    QCOMPARE(m_form->windowTitle(), QString("青岚学堂答题器"));
    const QStringList lines = m_form->Memo1->toPlainText().split(u'\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines, usageLines());
    QCOMPARE(
        lines[3],
        QString(
            "如：“ [1].知识的(   )是指人(   ),具体包括知识构成的逻辑过程和(   )。”这题，只复制"));
    // Filling the box at creation is no change: no lookup ran, so no guidance either.
    QVERIFY(m_form->RichEdit1->document()->isEmpty());
    QVERIFY(m_form->CheckBox1->isChecked());
    QVERIFY(!m_form->CheckBox2->isChecked());
    QVERIFY(m_form->CheckBox3->isChecked());
    QCOMPARE(m_form->GroupBox2->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    QVERIFY(m_errors.isEmpty());
}

void TestMainWindow::checkBoxHandlerRunsOnlyOnRealChanges()
{
    QWindow *window = m_form->windowHandle();
    QVERIFY(m_form->isTopmost());
    // Knock the flag off behind the box's back: setting the box to the state it already has
    // must run nothing, so the flag stays off.
    window->setFlag(Qt::WindowStaysOnTopHint, false);
    m_form->CheckBox1->setChecked(true);
    QVERIFY(!m_form->isTopmost());
    m_form->CheckBox1->setChecked(false);
    QVERIFY(!m_form->isTopmost());
    m_form->CheckBox1->setChecked(true);
    QVERIFY(m_form->isTopmost());
    QTest::mouseClick(m_form->CheckBox1, Qt::LeftButton);
    QVERIFY(!m_form->CheckBox1->isChecked());
    QVERIFY(!m_form->isTopmost());
    // Keep-on-top keeps the same native window.
    QCOMPARE(m_form->windowHandle(), window);
}

void TestMainWindow::clickToPasteOption_data()
{
    QTest::addColumn<bool>("pasteOn");
    QTest::newRow("off: select all only") << false;
    QTest::newRow("on: replace with clipboard") << true;
}

void TestMainWindow::clickToPasteOption()
{
    QFETCH(bool, pasteOn);
    QGuiApplication::clipboard()->setText("剪贴板里的问题");
    m_form->CheckBox2->setChecked(pasteOn);
    const QString before = m_form->Memo1->toPlainText();
    QSignalSpy changes(m_form->Memo1, &QPlainTextEdit::textChanged);
    QTest::mouseClick(m_form->Memo1->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    if (pasteOn) {
        QCOMPARE(m_form->Memo1->toPlainText(), QString("剪贴板里的问题"));
        QCOMPARE(changes.size(), 1);
        QVERIFY(!m_form->RichEdit1->document()->isEmpty());
    } else {
        QCOMPARE(m_form->Memo1->toPlainText(), before);
        QCOMPARE(m_form->Memo1->textCursor().selectedText().size(), before.size());
        QCOMPARE(changes.size(), 0);
        QVERIFY(m_form->RichEdit1->document()->isEmpty());
    }
}

void TestMainWindow::doubleClickPastesOnce()
{
    QGuiApplication::clipboard()->setText("abc");
    m_form->CheckBox2->setChecked(true);
    QSignalSpy changes(m_form->Memo1, &QPlainTextEdit::textChanged);
    // What the window system delivers for a double click: press, release, double-click, release.
    QWidget *box = m_form->Memo1->viewport();
    const QPoint at(40, 10);
    QTest::mousePress(box, Qt::LeftButton, {}, at);
    QTest::mouseRelease(box, Qt::LeftButton, {}, at);
    QTest::mouseDClick(box, Qt::LeftButton, {}, at);
    QTest::mouseRelease(box, Qt::LeftButton, {}, at);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(m_form->Memo1->toPlainText(), QString("abc"));
}

void TestMainWindow::releaseOutsideDoesNothing()
{
    QGuiApplication::clipboard()->setText("abc");
    m_form->CheckBox2->setChecked(true);
    const QString before = m_form->Memo1->toPlainText();
    QTest::mousePress(m_form->Memo1->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    QTest::mouseRelease(m_form->Memo1->viewport(), Qt::LeftButton, {}, QPoint(40, 500));
    QCOMPARE(m_form->Memo1->toPlainText(), before);
}

void TestMainWindow::pasteWithoutClipboardTextRunsNoLookup()
{
    QGuiApplication::clipboard()->clear();
    m_form->CheckBox2->setChecked(true);
    const QString before = m_form->Memo1->toPlainText();
    QSignalSpy changes(m_form->Memo1, &QPlainTextEdit::textChanged);
    QTest::mouseClick(m_form->Memo1->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    QCOMPARE(changes.size(), 0);
    QCOMPARE(m_form->Memo1->toPlainText(), before);
    QCOMPARE(m_form->Memo1->textCursor().selectedText().size(), before.size());
}

void TestMainWindow::clickToPasteWaitsForTheReader_data()
{
    QTest::addColumn<bool>("textArrives");
    QTest::newRow("the text arrives: it replaces the box's text and is looked up") << true;
    QTest::newRow("the owner does not answer: an error box, the box unchanged") << false;
}

// The click does not read the clipboard itself: the box's text changes when the reader answers.
void TestMainWindow::clickToPasteWaitsForTheReader()
{
    QFETCH(bool, textArrives);
    auto reader = std::make_unique<FakeClipboardReader>();
    FakeClipboardReader *fake = reader.get();
    m_form->Memo1->setClipboardReader(std::move(reader));
    QGuiApplication::clipboard()->setText("同步读到的");
    m_form->CheckBox2->setChecked(true);
    const QString before = m_form->Memo1->text();
    QTest::mouseClick(m_form->Memo1->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    QCOMPARE(fake->requests, QList<QClipboard::Mode>{QClipboard::Clipboard});
    QCOMPARE(m_form->Memo1->text(), before);
    QVERIFY(m_form->RichEdit1->document()->isEmpty());

    const QString question = QStringLiteral("国家秘密的密级分为(  )三级。");
    fake->answer(textArrives ? FakeClipboardReader::text(question)
                             : FakeClipboardReader::failed(QStringLiteral("没有送来内容")));
    if (textArrives) {
        QCOMPARE(m_form->Memo1->text(), question);
        QVERIFY(m_form->RichEdit1->toPlainText().startsWith(QStringLiteral("科目：")));
        QVERIFY(m_errors.isEmpty());
    } else {
        QCOMPARE(m_form->Memo1->text(), before);
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors[0].startsWith(QStringLiteral("没有送来内容")), qPrintable(m_errors[0]));
    }
}

void TestMainWindow::checkBox2KeepsTopmostOfCheckBox1()
{
    m_form->CheckBox1->setChecked(false);
    QTest::mouseClick(m_form->CheckBox2, Qt::LeftButton);
    QVERIFY(m_form->CheckBox2->isChecked());
    QVERIFY(!m_form->isTopmost());
    m_form->CheckBox1->setChecked(true);
    QTest::mouseClick(m_form->CheckBox2, Qt::LeftButton);
    QVERIFY(m_form->isTopmost());
}

namespace {

QString lineStartingWith(const QTextEdit *box, const QString &label)
{
    for (const QString &line : box->toPlainText().split(u'\n'))
        if (line.startsWith(label))
            return line;
    return {};
}

} // namespace

// "国家秘密" stands in 10 questions of the demo bank: the box says so, and Ctrl+Down walks
// through the other nine, each once, Ctrl+Up walks back.
void TestMainWindow::severalMatchesAreCountedAndStepped()
{
    m_form->Memo1->setPlainText(QStringLiteral("国家秘密"));
    const QString first = lineStartingWith(m_form->RichEdit1, QStringLiteral("题目内容:"));
    QVERIFY(first.contains(QStringLiteral("国家秘密")));
    QVERIFY(lineStartingWith(m_form->RichEdit1, QStringLiteral("注：共有10道题"))
                .contains(QStringLiteral("这是第1道")));

    QStringList seen{first};
    for (int step = 2; step <= 10; ++step) {
        QTest::keyClick(m_form->Memo1, Qt::Key_Down, Qt::ControlModifier);
        const QString shown = lineStartingWith(m_form->RichEdit1, QStringLiteral("题目内容:"));
        QVERIFY2(shown.contains(QStringLiteral("国家秘密")), qPrintable(shown));
        QVERIFY2(!seen.contains(shown), qPrintable(shown));
        seen << shown;
        QVERIFY(lineStartingWith(m_form->RichEdit1, QStringLiteral("注：共有10道题"))
                    .contains(QStringLiteral("这是第%1道").arg(step)));
    }
    // Past the oldest nothing changes; back up to the newest.
    QTest::keyClick(m_form->Memo1, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(lineStartingWith(m_form->RichEdit1, QStringLiteral("题目内容:")), seen.last());
    for (int step = 9; step >= 1; --step) {
        QTest::keyClick(m_form->RichEdit1, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(lineStartingWith(m_form->RichEdit1, QStringLiteral("题目内容:")), seen[step - 1]);
    }
    // The keys did not reach the input box.
    QCOMPARE(m_form->Memo1->toPlainText(), QStringLiteral("国家秘密"));
    QVERIFY(m_errors.isEmpty());
}

void TestMainWindow::uniqueMatchShowsNoCount()
{
    m_form->Memo1->setPlainText(QStringLiteral("国家秘密的密级分为(  )三级。"));
    QCOMPARE(m_form->RichEdit1->toPlainText().split(u'\n', Qt::SkipEmptyParts).size(), 4);
    QTest::keyClick(m_form->Memo1, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(m_form->RichEdit1->toPlainText().split(u'\n', Qt::SkipEmptyParts).size(), 4);
}

void TestMainWindow::overlongInputIsNotLookedUp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("answered");
    const QString question = QStringLiteral("国家秘密的密级分为(  )三级。");
    QTest::newRow("a question") << question << true;
    QTest::newRow("blanks after it, 100,000 characters in all")
        << question + QString(100000 - question.size(), u' ') << true;
    QTest::newRow("one character more")
        << question + QString(100001 - question.size(), u' ') << false;
    QTest::newRow("a long paragraph after it") << question + QString(300000, u'x') << false;
}

// Far longer than any question, a paste gets the guidance at once; the box keeps all of it.
void TestMainWindow::overlongInputIsNotLookedUp()
{
    QFETCH(QString, text);
    QFETCH(bool, answered);
    QGuiApplication::clipboard()->setText(text);
    m_form->Memo1->selectAll();
    m_form->Memo1->paste();
    QTRY_VERIFY(!m_form->Memo1->isFilling());
    QCOMPARE(m_form->Memo1->text(), text);
    const QString shown = m_form->RichEdit1->toPlainText();
    QVERIFY2(shown.startsWith(answered ? QStringLiteral("科目：") : QStringLiteral("未找到答案")),
             qPrintable(shown.left(80)));
    QVERIFY(m_errors.isEmpty());
}

// 复制即查 is off at first start, written at exit after SetTop, and read back at the next start.
void TestMainWindow::watchClipboardIsStoredAfterSetTop()
{
    QVERIFY(!m_form->CheckBox4->isChecked());
    m_form->CheckBox4->setChecked(true);
    const QString folder = m_form->AppPath;
    m_dataModule.reset();
    m_form.reset();
    QFile config(folder + QStringLiteral("Config.ini"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll(),
             QByteArray("[Config]\r\nSetHomePage=1\r\nSetTop=1\r\nWatchClipboard=1\r\n"));
    config.close();

    m_form = std::make_unique<TForm1>(folder);
    m_form->setExitWait(0);
    QVERIFY(m_form->CheckBox4->isChecked());
    QVERIFY(m_errors.isEmpty());
}

// Neither box wants tabs: Tab goes on to the next control, Shift+Tab back, and the input box
// neither gets a tab character nor runs a lookup.
void TestMainWindow::tabMovesTheFocus()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_form->Memo1->setFocus();
    QVERIFY(m_form->Memo1->hasFocus());
    const QString before = m_form->Memo1->toPlainText();
    QSignalSpy changes(m_form->Memo1, &QPlainTextEdit::textChanged);

    QTest::keyClick(m_form->Memo1, Qt::Key_Tab);
    QVERIFY(m_form->RichEdit1->hasFocus());
    QCOMPARE(m_form->Memo1->toPlainText(), before);
    QCOMPARE(changes.size(), 0);
    QVERIFY(m_form->RichEdit1->document()->isEmpty());

    QTest::keyClick(m_form->RichEdit1, Qt::Key_Tab);
    QVERIFY(m_form->CheckBox3->hasFocus());
    QVERIFY(m_form->RichEdit1->document()->isEmpty());

    QTest::keyClick(m_form->CheckBox3, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(m_form->RichEdit1->hasFocus());
    QTest::keyClick(m_form->RichEdit1, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(m_form->Memo1->hasFocus());
    QCOMPARE(changes.size(), 0);
}

// The answer box's text is red by default, its scroll bar is drawn as everywhere else.
void TestMainWindow::answerBoxScrollBarKeepsNormalColours()
{
    QCOMPARE(m_form->RichEdit1->palette().color(QPalette::Text), QColor(0xFF, 0, 0));
    QScrollBar *bar = m_form->RichEdit1->verticalScrollBar();
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        QCOMPARE(bar->palette().color(role), m_form->palette().color(role));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    const QImage drawn = bar->grab().toImage();
    int red = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor c = drawn.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 110 && c.blue() < 110;
        }
    QCOMPARE(red, 0);
}

// All five usage lines show in the 86-pixel input box, the last one whole, with nothing to scroll.
void TestMainWindow::usageLinesFitTheInputBox()
{
    installFontSubstitutions();
    // The window's font as the program sets it, now resolved through the stand-ins.
    m_form = std::make_unique<TForm1>(m_dir->path());
    m_form->setExitWait(0);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    MemoBox *memo = m_form->Memo1;
    QCOMPARE(memo->height(), 86);
    QCOMPARE(memo->blockCount(), 5);
    QCOMPARE(memo->verticalScrollBar()->maximum(), 0);
    const QTextBlock last = memo->document()->lastBlock();
    QVERIFY(last.layout()->lineCount() == 1);
    QTextCursor end(last);
    end.movePosition(QTextCursor::EndOfBlock);
    const QRect lastLine = memo->cursorRect(end);
    QVERIFY2(lastLine.top() >= 0 && lastLine.bottom() < memo->viewport()->height(),
             qPrintable(QStringLiteral("the fifth line takes rows %1 to %2, the box shows %3")
                            .arg(lastLine.top())
                            .arg(lastLine.bottom())
                            .arg(memo->viewport()->height())));
    // Each of the lines with text takes one row: none wraps.
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next())
        QCOMPARE(block.layout()->lineCount(), 1);
}

// The lookup trims only characters up to U+0020. A leading no-break space or ideographic space
// stays in the text, so the question is not found as typed but as a copied block, and the
// answer box says so in a fifth line.
void TestMainWindow::onlyControlCharactersAreTrimmed_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("foundAsTyped");
    QTest::newRow("space") << QStringLiteral(" ") << true;
    QTest::newRow("tab and line break") << QStringLiteral("\t\n") << true;
    QTest::newRow("no-break space U+00A0") << QStringLiteral("\u00A0") << false;
    QTest::newRow("ideographic space U+3000") << QStringLiteral("\u3000") << false;
}

void TestMainWindow::onlyControlCharactersAreTrimmed()
{
    QFETCH(QString, prefix);
    QFETCH(bool, foundAsTyped);
    const QString question = QStringLiteral("国家秘密的密级分为(  )三级。");
    m_form->Memo1->setPlainText(prefix + question);
    const QStringList lines = m_form->RichEdit1->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(lineStartingWith(m_form->RichEdit1, QStringLiteral("题目内容:")).contains(question));
    QCOMPARE(lines.size(), foundAsTyped ? 4 : 5);
    QVERIFY(m_errors.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
