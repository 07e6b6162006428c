#include "ui/main/AnswerBox.h"

#include "data/AnswerLines.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

void AnswerBox::addLine(QTextEdit *box, const QColor &colour, const QString &text,
                        const QString &link)
{
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(colour);
    cursor.insertText(text, format);
    if (!link.isEmpty()) {
        QTextCharFormat anchor = format;
        anchor.setAnchor(true);
        anchor.setAnchorHref(kNextMatchLink);
        anchor.setFontUnderline(true);
        anchor.setForeground(QColor(0x00, 0x00, 0xFF));
        cursor.insertText(link, anchor);
    }
    cursor.insertBlock(cursor.blockFormat(), format);
}

namespace {

void addLines(QTextEdit *box, const QList<AnswerLine> &lines)
{
    for (const AnswerLine &line : lines)
        AnswerBox::addLine(box, QColor::fromRgb(line.rgb), line.text, line.link);
}

} // namespace

void AnswerBox::showQuestion(QTextEdit *box, const Question &question)
{
    addLines(box, AnswerLines::forQuestion(question));
}

void AnswerBox::showResult(QTextEdit *box, const Question &question, const LookupResult &result,
                           qsizetype position)
{
    addLines(box, AnswerLines::forResult(question, result, position));
}

void AnswerBox::showGuidance(QTextEdit *box)
{
    addLines(box, AnswerLines::guidance());
}
