#pragma once

#include <QColor>
#include <QString>

class QTextEdit;
struct Question;
struct LookupResult;

// Draws the answer box: each line in its own colour, added at the end of the box.
namespace AnswerBox {

// The href of the link to the next question holding the same text.
inline const QString kNextMatchLink = QStringLiteral("next-match");

void addLine(QTextEdit *box, const QColor &colour, const QString &text,
             const QString &link = QString());
void showQuestion(QTextEdit *box, const Question &question);
// The four lines and, for a question not found as typed, the grey note of how it was found.
void showResult(QTextEdit *box, const Question &question, const LookupResult &result,
                qsizetype position = 1);
void showGuidance(QTextEdit *box);

} // namespace AnswerBox
