#include "ui/main/AnswerBox.h"

#include "data/AnswerLines.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

void AnswerBox::addLine(QTextEdit *box, const QColor &colour, const QString &text)
{
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(colour);
    cursor.insertText(text, format);
    cursor.insertBlock(cursor.blockFormat(), format);
}

namespace {

void addLines(QTextEdit *box, const QList<AnswerLine> &lines)
{
    for (const AnswerLine &line : lines)
        AnswerBox::addLine(box, QColor::fromRgb(line.rgb), line.text);
}

} // namespace

void AnswerBox::showQuestion(QTextEdit *box, const Question &question)
{
    addLines(box, AnswerLines::forQuestion(question));
}

void AnswerBox::showResult(QTextEdit *box, const Question &question, const LookupResult &result)
{
    addLines(box, AnswerLines::forResult(question, result));
}

void AnswerBox::showGuidance(QTextEdit *box)
{
    addLines(box, AnswerLines::guidance());
}
