// Pastes from another program's clipboard wait for nobody: the input box and the copy-to-answer
// watcher ask a clipboard reader, and act on its answer when it comes. The reader here is a
// fake whose answers the test gives, as late as it likes.
#include "FakeClipboardReader.h"
#include "ui/main/ClipboardWatcher.h"
#include "ui/main/MemoBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(ClipboardContent)

class TestClipboardPaste : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pasteWaitsForTheReader_data();
    void pasteWaitsForTheReader();
    void lateAnswer_data();
    void lateAnswer();
    void clipboardWithoutText_data();
    void clipboardWithoutText();
    void watcherReadsThroughTheReader_data();
    void watcherReadsThroughTheReader();

private:
    // The box holds "前面[选中]后面" with "[选中]" selected.
    void selectInTheMiddle();
    void paste(const QString &way);
    void contextMenuPaste();

    std::unique_ptr<MemoBox> m_box;
    FakeClipboardReader *m_reader = nullptr;
    bool m_menuPasteEnabled = false;
};

namespace {

const QString kBefore = QStringLiteral("前面[选中]后面");

} // namespace

void TestClipboardPaste::init()
{
    m_box = std::make_unique<MemoBox>();
    m_box->resize(632, 86);
    m_box->show();
    auto reader = std::make_unique<FakeClipboardReader>();
    m_reader = reader.get();
    m_box->setClipboardReader(std::move(reader));
    // Were Qt's own paste to read the clipboard, this is what would go in at once.
    QApplication::clipboard()->setText(QStringLiteral("同步读到的"));
}

void TestClipboardPaste::cleanup()
{
    m_box.reset();
    QApplication::clipboard()->clear();
}

void TestClipboardPaste::selectInTheMiddle()
{
    m_box->setPlainText(kBefore);
    QTextCursor cursor = m_box->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    m_box->setTextCursor(cursor);
}

void TestClipboardPaste::contextMenuPaste()
{
    // The menu the box shows on a right click, without its modal loop.
    std::unique_ptr<QMenu> menu(m_box->createStandardContextMenu());
    QAction *action = menu->findChild<QAction *>(QStringLiteral("edit-paste"));
    QVERIFY(action);
    m_menuPasteEnabled = action->isEnabled();
    action->trigger();
}

void TestClipboardPaste::paste(const QString &way)
{
    if (way == u"Ctrl+V")
        QTest::keyClick(m_box.get(), Qt::Key_V, Qt::ControlModifier);
    else if (way == u"Shift+Insert")
        QTest::keyClick(m_box.get(), Qt::Key_Insert, Qt::ShiftModifier);
    else if (way == u"context menu")
        contextMenuPaste();
    else if (way == u"paste()")
        m_box->paste();
    else
        m_box->pasteClipboard();
}

void TestClipboardPaste::pasteWaitsForTheReader_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Ctrl+V") << "Ctrl+V";
    QTest::newRow("Shift+Insert") << "Shift+Insert";
    QTest::newRow("the context menu's Paste") << "context menu";
    QTest::newRow("the text control's paste()") << "paste()";
    QTest::newRow("click-to-paste's pasteClipboard()") << "pasteClipboard()";
}

// Each way of pasting asks the reader instead of reading the clipboard itself, changes nothing
// until the answer comes, then puts the answer over the selection in one undo step.
void TestClipboardPaste::pasteWaitsForTheReader()
{
    QFETCH(QString, way);
    selectInTheMiddle();
    QSignalSpy changes(m_box.get(), &QPlainTextEdit::textChanged);
    paste(way);
    QCOMPARE(m_reader->requests, QList<QClipboard::Mode>{QClipboard::Clipboard});
    QCOMPARE(m_box->text(), kBefore);
    QCOMPARE(changes.size(), 0);
    if (way == u"context menu")
        QVERIFY(m_menuPasteEnabled);

    m_reader->answer(FakeClipboardReader::text(QStringLiteral("粘贴的字")));
    QCOMPARE(m_box->text(), QStringLiteral("前面粘贴的字后面"));
    QCOMPARE(m_box->textCursor().position(), 6);
    // An answer that came twice goes in once.
    m_reader->answer(FakeClipboardReader::text(QStringLiteral("粘贴的字")));
    QCOMPARE(m_box->text(), QStringLiteral("前面粘贴的字后面"));
    m_box->undo();
    QCOMPARE(m_box->text(), kBefore);
}

void TestClipboardPaste::lateAnswer_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("text");
    QTest::newRow("the cursor moved: the paste goes where the selection was")
        << "move" << QStringLiteral("前面粘贴的字后面");
    QTest::newRow("a key typed: what was typed is newer, the paste is dropped")
        << "type" << QStringLiteral("前面[选中]后面x");
    QTest::newRow("a new text came (copy to answer, a picture read): the paste is dropped")
        << "set text" << QStringLiteral("新的问题");
    QTest::newRow("a second paste asked at the end: one paste, where the second was asked")
        << "paste again" << QStringLiteral("前面[选中]后面粘贴的字");
}

void TestClipboardPaste::lateAnswer()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, text);
    selectInTheMiddle();
    QTest::keyClick(m_box.get(), Qt::Key_V, Qt::ControlModifier);
    QTextCursor end = m_box->textCursor();
    end.movePosition(QTextCursor::End);
    if (meanwhile == u"move") {
        m_box->setTextCursor(end);
    } else if (meanwhile == u"type") {
        m_box->setTextCursor(end);
        QTest::keyClick(m_box.get(), Qt::Key_X);
    } else if (meanwhile == u"set text") {
        m_box->setText(QStringLiteral("新的问题"));
    } else {
        m_box->setTextCursor(end);
        QTest::keyClick(m_box.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_reader->requests.size(), 2);
    }
    m_reader->answer(FakeClipboardReader::text(QStringLiteral("粘贴的字")));
    QTRY_VERIFY(!m_box->isFilling());
    QCOMPARE(m_box->text(), text);
    m_reader->answer(FakeClipboardReader::text(QStringLiteral("粘贴的字")));
    QCOMPARE(m_box->text(), text);
}

void TestClipboardPaste::clipboardWithoutText_data()
{
    QTest::addColumn<ClipboardContent>("answer");
    QTest::addColumn<bool>("clickToPaste");
    QTest::addColumn<bool>("pictureReported");
    QTest::addColumn<QString>("failure");
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QTest::newRow("a picture, click-to-paste: reported for reading")
        << FakeClipboardReader::picture(picture) << true << true << QString();
    QTest::newRow("a picture, Ctrl+V: left alone")
        << FakeClipboardReader::picture(picture) << false << false << QString();
    QTest::newRow("nothing on the clipboard") << ClipboardContent{} << true << false << QString();
    QTest::newRow("the owner did not answer: said")
        << FakeClipboardReader::failed(QStringLiteral("没有应答")) << false << false
        << QStringLiteral("没有应答");
}

// Without text, the box stays as it was: a picture goes to whoever reads pictures when the
// click asked for that, a failure is said.
void TestClipboardPaste::clipboardWithoutText()
{
    QFETCH(ClipboardContent, answer);
    QFETCH(bool, clickToPaste);
    QFETCH(bool, pictureReported);
    QFETCH(QString, failure);
    selectInTheMiddle();
    QSignalSpy changes(m_box.get(), &QPlainTextEdit::textChanged);
    QSignalSpy pictures(m_box.get(), &MemoBox::pictureOnClipboard);
    QSignalSpy failures(m_box.get(), &MemoBox::pasteFailed);
    if (clickToPaste)
        m_box->pasteClipboard(MemoBox::PictureOnClipboard::Reported);
    else
        QTest::keyClick(m_box.get(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_reader->requests.size(), 1);
    m_reader->answer(answer);
    QCOMPARE(m_box->text(), kBefore);
    QCOMPARE(changes.size(), 0);
    QCOMPARE(pictures.size(), pictureReported ? 1 : 0);
    if (pictureReported)
        QCOMPARE(pictures.at(0).at(0).value<QImage>(), answer.picture);
    QCOMPARE(failures.size(), failure.isEmpty() ? 0 : 1);
    if (!failure.isEmpty())
        QCOMPARE(failures.at(0).at(0).toString(), failure);
}

void TestClipboardPaste::watcherReadsThroughTheReader_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<ClipboardContent>("answer");
    QTest::addColumn<QStringList>("reported");
    const QString question = QStringLiteral("国家秘密的密级分为(  )三级。");
    QTest::newRow("on: the copied text")
        << true << FakeClipboardReader::text(question) << QStringList{question};
    QTest::newRow("on: an empty text is no question")
        << true << FakeClipboardReader::text(QString()) << QStringList{};
    QTest::newRow("on: a picture is no text")
        << true << FakeClipboardReader::picture(QImage(4, 4, QImage::Format_RGB32))
        << QStringList{};
    QTest::newRow("on: a failed read is not said (nobody asked)")
        << true << FakeClipboardReader::failed(QStringLiteral("没有应答")) << QStringList{};
    QTest::newRow("off: nothing read")
        << false << FakeClipboardReader::text(question) << QStringList{};
}

void TestClipboardPaste::watcherReadsThroughTheReader()
{
    QFETCH(bool, enabled);
    QFETCH(ClipboardContent, answer);
    QFETCH(QStringList, reported);
    ClipboardWatcher watcher(QApplication::clipboard());
    auto reader = std::make_unique<FakeClipboardReader>();
    FakeClipboardReader *fake = reader.get();
    watcher.setClipboardReader(std::move(reader));
    watcher.setEnabled(enabled);
    QSignalSpy copied(&watcher, &ClipboardWatcher::copiedText);
    // Another program's copy, as far as this process can tell offscreen.
    QApplication::clipboard()->setText(QStringLiteral("别处复制的"));
    QCOMPARE(fake->requests.size(), enabled ? 1 : 0);
    QCOMPARE(copied.size(), 0);
    if (enabled)
        fake->answer(answer);
    QStringList texts;
    for (const QList<QVariant> &signal : copied)
        texts << signal.at(0).toString();
    QCOMPARE(texts, reported);
}

QTEST_MAIN(TestClipboardPaste)
#include "tst_clipboardpaste.moc"
