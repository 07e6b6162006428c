#pragma once

#include "data/Question.h"
#include "data/QuestionLookup.h"

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
// The four lines, and when the question was not found as typed, a fifth in grey that says so
// and marks the characters where the copy differs from the bank's text.
QList<AnswerLine> forResult(const Question &question, const LookupResult &result);
// That fifth line alone; empty for a question found as typed.
QString matchNote(const Question &question, const LookupResult &result);
// Shown when nothing usable was found; line 1 names the maker's site.
QList<AnswerLine> guidance();

} // namespace AnswerLines
