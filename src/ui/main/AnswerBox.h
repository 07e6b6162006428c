#pragma once

#include <QColor>
#include <QString>

class QTextEdit;
struct Question;

// Draws the answer box: each line in its own colour, added at the end of the box.
namespace AnswerBox {

void addLine(QTextEdit *box, const QColor &colour, const QString &text);
void showQuestion(QTextEdit *box, const Question &question);
void showGuidance(QTextEdit *box);

} // namespace AnswerBox
