#pragma once

#include "data/Question.h"

#include <QList>
#include <QString>

// What the answer box shows, independent of how it is drawn: the window paints these lines in
// their colours, the bank tool's find command prints them.
struct AnswerLine {
    quint32 rgb; // 0xRRGGBB
    QString text;
};

namespace AnswerLines {

QList<AnswerLine> forQuestion(const Question &question);
// Shown when nothing usable was found; line 1 names the maker's site.
QList<AnswerLine> guidance();

} // namespace AnswerLines
