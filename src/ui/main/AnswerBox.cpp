#include "ui/main/AnswerBox.h"

#include "data/Question.h"

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

void AnswerBox::showQuestion(QTextEdit *box, const Question &question)
{
    addLine(box, QColor(0x00, 0x00, 0xFF), QStringLiteral("科目：") + question.subject);
    addLine(box, QColor(0x00, 0x00, 0x00), QStringLiteral("题目内容:") + question.text);
    addLine(box, QColor(0x00, 0x00, 0x00), QStringLiteral("选项:") + question.options);
    addLine(box, QColor(0xFF, 0x00, 0x00), QStringLiteral("标准答案:") + question.answer);
}

void AnswerBox::showGuidance(QTextEdit *box, const QString &siteHost)
{
    addLine(box, QColor(0x00, 0x00, 0xFF),
            QStringLiteral("未找到答案，请确认软件为最新版本，请到官网") + siteHost +
                QStringLiteral("下载!"));
    addLine(box, QColor(0xFF, 0x00, 0xFF),
            QStringLiteral("请确认复制的只是问题，问题前后不包括其他字符"));
    addLine(box, QColor(0xFF, 0x00, 0x00), QStringLiteral("如果还未找到答案，请联系我们！"));
}
