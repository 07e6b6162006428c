// Reading questions from pictures in the window: a picture that click-to-paste finds on the
// clipboard is read off the user-interface thread and its text looked up; the button shows that
// it is busy; what the user types meanwhile wins over the late result; a missing model is a
// clear error and the window keeps working. And the frozen-screen rectangle picker.
#include "base/AppError.h"
#include "data/TDataModule1.h"
#include "platform/TextRecognizer.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/MemoBox.h"
#include "ui/main/RegionPicker.h"
#include "ui/main/TForm1.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <atomic>

namespace {

// More lines than the input box shows at once.
const QString kReadText = u"国家秘密的密级分为(  )三级。\nA.绝密\nB.机密\nC.秘密\nD.内部\n"
                          u"E.公开\nF.核心\nG.重要\nH.一般"_qs;

QImage testPicture(const QString &name)
{
    return QImage(QStringLiteral(QINGLAN_TEST_PICTURES "/") + name);
}

// Key presses as an input method delivers them: one event per character, with its text.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &release);
    }
}

// Reads what it is told, once the test lets it go: the test decides when the result arrives.
class GatedRecognizer : public TextRecognizer {
public:
    explicit GatedRecognizer(QString text) : m_text(std::move(text)) {}
    QString read(const QImage &) override
    {
        m_started.release();
        if (!m_go.tryAcquire(1, 20000))
            return {};
        return m_text;
    }
    bool waitForStart() { return m_started.tryAcquire(1, 5000); }
    void letGo() { m_go.release(); }

private:
    QString m_text;
    QSemaphore m_started, m_go;
};

// Reads the picture one way after another as told, counting the ways it was asked for.
class WaysRecognizer : public TextRecognizer {
public:
    explicit WaysRecognizer(QStringList texts) : m_texts(std::move(texts)) {}
    QString read(const QImage &picture) override { return readOtherWay(picture, 0); }
    int otherWays() const override { return int(m_texts.size()) - 1; }
    QString readOtherWay(const QImage &, int way) override
    {
        ++m_reads;
        return m_texts.value(way);
    }
    int reads() const { return m_reads; }

private:
    QStringList m_texts;
    std::atomic<int> m_reads = 0;
};

} // namespace

class TestScreenReading : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clipboardPictureIsReadAndLookedUp_data();
    void clipboardPictureIsReadAndLookedUp();
    void readingThatFindsTheQuestionGoesIn_data();
    void readingThatFindsTheQuestionGoesIn();
    void typingWhileReadingWins_data();
    void typingWhileReadingWins();
    void missingModelIsReportedAndWindowGoesOn();
    void pickerCutsTheDraggedRectangle_data();
    void pickerCutsTheDraggedRectangle();
    void pickerCancels_data();
    void pickerCancels();

private:
    void clickMemo();
    // A blank picture on the clipboard, pasted by a click into Memo1 and read by `recognizer`.
    void pasteBlankPictureReadBy(std::shared_ptr<TextRecognizer> recognizer);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TDataModule1> m_dataModule;
    QStringList m_errors;
};

void TestScreenReading::init()
{
    m_errors.clear();
    ErrorGuard::setReporter([this](const QString &text) { m_errors << text; });
    m_dir = std::make_unique<QTemporaryDir>();
    m_form = std::make_unique<TForm1>(m_dir->path());
    m_form->setExitWait(0);
    m_dataModule = std::make_unique<TDataModule1>(m_form->AppPath);
    ErrorGuard::run([this] { m_dataModule->DataModuleCreate(); });
    m_form->DataModule1 = m_dataModule.get();
    m_form->CheckBox2->setChecked(true);
}

void TestScreenReading::cleanup()
{
    m_dataModule.reset();
    m_form.reset();
    m_dir.reset();
    ErrorGuard::setReporter({});
    QGuiApplication::clipboard()->clear();
}

void TestScreenReading::clickMemo()
{
    QTest::mouseClick(m_form->Memo1->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
}

void TestScreenReading::pasteBlankPictureReadBy(std::shared_ptr<TextRecognizer> recognizer)
{
    m_form->setTextRecognizer(std::move(recognizer));
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QGuiApplication::clipboard()->setImage(image);
    clickMemo();
}

void TestScreenReading::clipboardPictureIsReadAndLookedUp_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("read");       // part of what Memo1 must show
    QTest::addColumn<QString>("answerLine"); // the second line of the answer box
    QTest::newRow("a bank question with its options")
        << u"in-bank-wqy-options.png"_qs << u"国家秘密的密级分为"_qs
        << u"题目内容:国家秘密的密级分为(  )三级。"_qs;
    QTest::newRow("a question the bank lacks: guidance")
        << u"not-in-bank.png"_qs << u"涉密会议的参会人员不得携带"_qs
        << u"请确认复制的只是问题，问题前后不包括其他字符"_qs;
}

void TestScreenReading::clipboardPictureIsReadAndLookedUp()
{
    QFETCH(QString, picture);
    QFETCH(QString, read);
    QFETCH(QString, answerLine);
    const QImage image = testPicture(picture);
    QVERIFY(!image.isNull());
    QGuiApplication::clipboard()->setImage(image);
    clickMemo();
    QTRY_VERIFY_WITH_TIMEOUT(m_form->Memo1->text().contains(read), 30000);
    QVERIFY(m_form->Button6->isEnabled());
    const QStringList lines = m_form->RichEdit1->toPlainText().split(u'\n');
    QVERIFY2(lines.size() > 1 && lines[1] == answerLine, qPrintable(lines.join(u'\n')));
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(u'\n')));
}

void TestScreenReading::readingThatFindsTheQuestionGoesIn_data()
{
    // What each way reads (the usual one first), what Memo1 must show, the second line of the
    // answer box, how many readings were made and whether the answer is marked as found by
    // forgiving a look-alike.
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("answerLine");
    QTest::addColumn<int>("reads");
    QTest::addColumn<bool>("marked");
    const QString question = u"题目内容:国家秘密的密级分为(  )三级。"_qs;
    const QString guidance = u"请确认复制的只是问题，问题前后不包括其他字符"_qs;
    // 四 for 三 is another question; 蜜 for 密 a look-alike the lookup forgives; full-width
    // brackets and no full stop are found loosely, as read.
    const QString misread = u"国家秘密的密级分为(  )四级。"_qs;
    const QString lookalike = u"国家秘蜜的密级分为(  )三级。"_qs;
    const QString loose = u"国家秘密的密级分为（ ）三级"_qs;
    QTest::newRow("the usual reading finds it: read once")
        << QStringList{loose, misread} << loose << question << 1 << false;
    QTest::newRow("found by forgiving a look-alike in the usual reading: read once")
        << QStringList{lookalike, loose} << lookalike << question << 1 << true;
    QTest::newRow("the usual reading finds nothing: the next that is found as read")
        << QStringList{misread, lookalike, loose, misread} << loose << question << 3 << false;
    QTest::newRow("no other reading found as read: the one found forgiving a look-alike")
        << QStringList{misread, misread, lookalike} << lookalike << question << 3 << true;
    QTest::newRow("no reading finds anything: the usual one and the guidance")
        << QStringList{misread, u"国家秘密的密级分为(  )五级。"_qs} << misread << guidance << 2
        << false;
}

void TestScreenReading::readingThatFindsTheQuestionGoesIn()
{
    QFETCH(QStringList, readings);
    QFETCH(QString, shown);
    QFETCH(QString, answerLine);
    QFETCH(int, reads);
    QFETCH(bool, marked);
    auto recognizer = std::make_shared<WaysRecognizer>(readings);
    pasteBlankPictureReadBy(recognizer);
    // Once reading has begun the button stays disabled until the last reading is done.
    QTRY_VERIFY_WITH_TIMEOUT(recognizer->reads() > 0, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(m_form->Button6->isEnabled(), 10000);
    QCOMPARE(m_form->Memo1->text(), shown);
    QCOMPARE(recognizer->reads(), reads);
    const QStringList lines = m_form->RichEdit1->toPlainText().split(u'\n');
    QVERIFY2(lines.size() > 1 && lines[1] == answerLine, qPrintable(lines.join(u'\n')));
    QCOMPARE(lines.join(u'\n').contains(u"按形近字找到"_qs), marked);
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(u'\n')));
}

void TestScreenReading::typingWhileReadingWins_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("nothing typed: the text read goes in") << QString();
    QTest::newRow("typed meanwhile: the typing stays") << u"保密期限"_qs;
}

void TestScreenReading::typingWhileReadingWins()
{
    QFETCH(QString, typed);
    auto recognizer = std::make_shared<GatedRecognizer>(kReadText);
    pasteBlankPictureReadBy(recognizer);
    QVERIFY(recognizer->waitForStart());
    // Busy, and the window still takes input while the picture is read.
    QVERIFY(!m_form->Button6->isEnabled());
    QCOMPARE(m_form->Button6->text(), u"识别中…"_qs);
    if (!typed.isEmpty())
        typeText(m_form->Memo1, typed);
    recognizer->letGo();
    QTRY_VERIFY_WITH_TIMEOUT(m_form->Button6->isEnabled(), 10000);
    QCOMPARE(m_form->Button6->text(), u"截图识题"_qs);
    QCOMPARE(m_form->Memo1->text(), typed.isEmpty() ? kReadText : typed);
    if (typed.isEmpty()) {
        // What was read shows from its first line, all selected for a correction to replace.
        QCOMPARE(m_form->Memo1->textCursor().position(), 0);
        QCOMPARE(m_form->Memo1->textCursor().selectedText().size(), m_form->Memo1->text().size());
        QCOMPARE(m_form->Memo1->verticalScrollBar()->value(), 0);
    }
    QVERIFY(!m_form->RichEdit1->document()->isEmpty());
}

void TestScreenReading::missingModelIsReportedAndWindowGoesOn()
{
    QTemporaryDir empty;
    qputenv("TESSDATA_PREFIX", empty.path().toLocal8Bit());
    QGuiApplication::clipboard()->setImage(testPicture(u"in-bank-noto-stem.png"_qs));
    const QString before = m_form->Memo1->text();
    clickMemo();
    QTRY_VERIFY_WITH_TIMEOUT(!m_errors.isEmpty(), 10000);
    qunsetenv("TESSDATA_PREFIX");
    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors[0].startsWith(u"找不到文字识别模型 chi_sim.traineddata"_qs),
             qPrintable(m_errors[0]));
    QVERIFY(m_errors[0].contains(empty.path()));
    QVERIFY(m_form->Button6->isEnabled());
    QCOMPARE(m_form->Memo1->text(), before);
    // The window goes on: typing still looks up.
    m_form->Memo1->selectAll();
    typeText(m_form->Memo1, u"国家秘密的密级"_qs);
    QVERIFY(m_form->RichEdit1->toPlainText().contains(u"题目内容:国家秘密的密级分为"_qs));
}

void TestScreenReading::pickerCutsTheDraggedRectangle_data()
{
    QTest::addColumn<double>("ratio");
    QTest::newRow("screen at 100%") << 1.0;
    QTest::newRow("screen at 200%: device pixels") << 2.0;
}

void TestScreenReading::pickerCutsTheDraggedRectangle()
{
    QFETCH(double, ratio);
    // A screen picture with one red square at 100,50 .. 140,90 (window coordinates).
    QPixmap screen(qRound(400 * ratio), qRound(300 * ratio));
    screen.fill(Qt::white);
    {
        QPainter painter(&screen);
        painter.fillRect(QRectF(100 * ratio, 50 * ratio, 40 * ratio, 40 * ratio), Qt::red);
    }
    screen.setDevicePixelRatio(ratio);
    auto *picker = new RegionPicker(screen, QRect(0, 0, 400, 300));
    QPointer<RegionPicker> alive(picker);
    QSignalSpy picked(picker, &RegionPicker::picked);
    QSignalSpy cancelled(picker, &RegionPicker::cancelled);
    picker->show();
    QVERIFY(QTest::qWaitForWindowExposed(picker));
    // A click without a drag picks nothing; the drag after it does.
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(picked.size(), 0);
    QTest::mousePress(picker, Qt::LeftButton, {}, QPoint(140, 90));
    QTest::mouseMove(picker, QPoint(120, 70));
    QTest::mouseRelease(picker, Qt::LeftButton, {}, QPoint(100, 50));
    QCOMPARE(picked.size(), 1);
    QCOMPARE(cancelled.size(), 0);
    const QImage cut = picked[0][0].value<QImage>();
    QCOMPARE(cut.size(), QSize(qRound(40 * ratio), qRound(40 * ratio)));
    QCOMPARE(QColor(cut.pixel(0, 0)), QColor(Qt::red));
    QCOMPARE(QColor(cut.pixel(cut.width() - 1, cut.height() - 1)), QColor(Qt::red));
    QTRY_VERIFY(alive.isNull());
}

void TestScreenReading::pickerCancels_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Esc") << true;
    QTest::newRow("right button, during a drag") << false;
}

void TestScreenReading::pickerCancels()
{
    QFETCH(bool, byEscape);
    QPixmap screen(400, 300);
    screen.fill(Qt::white);
    auto *picker = new RegionPicker(screen, QRect(0, 0, 400, 300));
    QPointer<RegionPicker> alive(picker);
    QSignalSpy picked(picker, &RegionPicker::picked);
    QSignalSpy cancelled(picker, &RegionPicker::cancelled);
    picker->show();
    QVERIFY(QTest::qWaitForWindowExposed(picker));
    QTest::mousePress(picker, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(picker, QPoint(200, 100));
    if (byEscape)
        QTest::keyClick(picker, Qt::Key_Escape);
    else
        QTest::mousePress(picker, Qt::RightButton, {}, QPoint(200, 100));
    QCOMPARE(cancelled.size(), 1);
    if (alive)
        QTest::mouseRelease(picker, Qt::LeftButton, {}, QPoint(200, 100));
    QCOMPARE(picked.size(), 0);
    QTRY_VERIFY(alive.isNull());
}

QTEST_MAIN(TestScreenReading)
#include "tst_screenreading.moc"
