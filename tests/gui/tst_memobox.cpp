#include "ui/main/MemoBox.h"
#include "ui/main/MemoFiller.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>

// The input box keeps what was pasted exactly, however long, while holding no block long enough
// to make the text layout slow.
class TestMemoBox : public QObject {
    Q_OBJECT
private slots:
    void pastedTextComesBackWhole_data();
    void pastedTextComesBackWhole();
    void pasteReplacesSelectionInTheMiddle();
    void longPasteIsOneUndoStep();
    void newTextDuringFillReplacesIt();
    void readOnlyWhileFilling();

private:
    static void paste(MemoBox &box, const QString &text);
    static qsizetype longestBlock(const MemoBox &box);
    // Long enough that no machine inserts it in one step.
    static QString manyLines();
};

void TestMemoBox::paste(MemoBox &box, const QString &text)
{
    QApplication::clipboard()->setText(text);
    box.paste();
    QTRY_VERIFY_WITH_TIMEOUT(!box.isFilling(), 60000);
}

qsizetype TestMemoBox::longestBlock(const MemoBox &box)
{
    qsizetype longest = 0;
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next())
        longest = qMax<qsizetype>(longest, b.length());
    return longest;
}

QString TestMemoBox::manyLines()
{
    QString lines;
    for (int i = 0; i < 1'000'000; ++i)
        lines += QStringLiteral("第%1行\n").arg(i);
    return lines;
}

void TestMemoBox::pastedTextComesBackWhole_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");
    const QString question = QStringLiteral("国家秘密的密级分为(  )三级。");
    QTest::newRow("a question") << question << question;
    QTest::newRow("no-break spaces kept")
        << QStringLiteral("\u00A0国家秘密\u00A0") << QStringLiteral("\u00A0国家秘密\u00A0");
    QTest::newRow("CR LF and lone CR become LF")
        << QStringLiteral("甲\r\n乙\r丙\n丁\u2029戊") << QStringLiteral("甲\n乙\n丙\n丁\n戊");
    const QString word(300000, u'a');
    QTest::newRow("unbroken word of 300,000 letters") << word << word;
    QString marks = QStringLiteral("a");
    marks += QString(40000, QChar(0x0301));
    marks += QStringLiteral("b");
    QTest::newRow("one letter with 40,000 combining marks") << marks << marks;
    QString words;
    for (int i = 0; i < 20000; ++i)
        words += QStringLiteral("слово%1 ").arg(i);
    QTest::newRow("one paragraph of 20,000 words") << words << words;
    QString pairs;
    for (int i = 0; i < 30000; ++i)
        pairs += QStringLiteral("😀");
    QTest::newRow("surrogate pairs") << pairs << pairs;
    QString accents;
    for (int i = 0; i < 20000; ++i)
        accents += QStringLiteral("e\u0301\u0302");
    QTest::newRow("letters with two marks each") << accents << accents;
    QString crlf = QString(16383, u'x') + QStringLiteral("\r\n") + QString(20000, u'y');
    QTest::newRow("CR LF across a piece boundary")
        << crlf << QString(16383, u'x') + u'\n' + QString(20000, u'y');
    QString lines;
    for (int i = 0; i < 200000; ++i)
        lines += QStringLiteral("line %1\n").arg(i);
    QTest::newRow("200,000 short lines") << lines << lines;
    const QString mixed = question + u'\n' + word + u'\n' + question;
    QTest::newRow("long paragraph between lines") << mixed << mixed;
}

void TestMemoBox::pastedTextComesBackWhole()
{
    QFETCH(QString, pasted);
    QFETCH(QString, text);
    MemoBox box;
    box.resize(632, 86);
    box.show();
    paste(box, pasted);
    QCOMPARE(box.text(), text);
    QVERIFY(box.lengthAtMost() >= text.size());
    QVERIFY(longestBlock(box) <= MemoFiller::kLongestBlock + 1);
    // The cursor ends after the pasted text, as after any paste.
    QCOMPARE(box.textCursor().position(), box.document()->characterCount() - 1);
    // Copied out again, it is the same text: the blocks' inner breaks do not come with it.
    box.selectAll();
    box.copy();
    QCOMPARE(QApplication::clipboard()->text(), text);
}

void TestMemoBox::pasteReplacesSelectionInTheMiddle()
{
    MemoBox box;
    box.setPlainText(QStringLiteral("前面[选中]后面"));
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(2);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
    const QString word(20000, u'z');
    paste(box, word);
    QCOMPARE(box.text(), QStringLiteral("前面") + word + QStringLiteral("后面"));
    // A selection across a block's inner break copies the characters on both sides only.
    cursor = box.textCursor();
    cursor.setPosition(1);
    cursor.setPosition(box.document()->characterCount() - 2, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
    box.copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("面") + word + QStringLiteral("后"));
}

void TestMemoBox::longPasteIsOneUndoStep()
{
    MemoBox box;
    box.setPlainText(QStringLiteral("原来的问题"));
    box.selectAll();
    const QString lines = manyLines();
    QApplication::clipboard()->setText(lines);
    box.paste();
    // The paste takes several steps; the test would prove nothing about joining them otherwise.
    QVERIFY(box.isFilling());
    QTRY_VERIFY_WITH_TIMEOUT(!box.isFilling(), 60000);
    QCOMPARE(box.text(), lines);
    // A block costs far more than a character: the million lines are held in few blocks.
    QVERIFY2(box.blockCount() < 10000, qPrintable(QString::number(box.blockCount())));
    box.undo();
    QCOMPARE(box.text(), QStringLiteral("原来的问题"));
}

void TestMemoBox::newTextDuringFillReplacesIt()
{
    MemoBox box;
    const QString lines = manyLines();
    box.setText(lines);
    QVERIFY(box.isFilling());
    box.setText(QStringLiteral("新复制的问题"));
    QVERIFY(!box.isFilling());
    QCOMPARE(box.text(), QStringLiteral("新复制的问题"));
    // Nothing of the dropped fill arrives later.
    QTest::qWait(50);
    QCOMPARE(box.text(), QStringLiteral("新复制的问题"));
}

void TestMemoBox::readOnlyWhileFilling()
{
    MemoBox box;
    const QString lines = manyLines();
    box.setText(lines);
    QVERIFY(box.isFilling());
    QVERIFY(box.isReadOnly());
    // A paste meanwhile would land in the middle of the arriving text.
    QApplication::clipboard()->setText(QStringLiteral("插入"));
    box.paste();
    QTRY_VERIFY_WITH_TIMEOUT(!box.isFilling(), 60000);
    QVERIFY(!box.isReadOnly());
    QCOMPARE(box.text(), lines);
}

QTEST_MAIN(TestMemoBox)
#include "tst_memobox.moc"
