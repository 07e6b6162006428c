#pragma once

#include "search/Question.h"
#include "search/QuestionLookup.h"

#include <QList>
#include <QString>

// What the answer box shows, independent of how it is drawn: the window paints these lines in
// their colours, the bank tool's find command prints them.
struct AnswerLine {
    quint32 rgb; // 0xRRGGBB
    QString text;
    // Text of a link at the end of the line, to the next question holding the same text.
    QString link = {};
};

namespace AnswerLines {

QList<AnswerLine> forQuestion(const Question &question);
// The four lines, and when the question was not found as typed, a fifth in grey that says so
// and marks the characters where the copy differs from the bank's text.
// When other questions hold the same text, a grey line more says how many and where this one
// stands among them (1 for the last row, the one shown first).
QList<AnswerLine> forResult(const Question &question, const LookupResult &result,
                            qsizetype position = 1);
// That line alone; empty when no other question holds the text.
QString matchesNote(const LookupResult &result, qsizetype position);
// That fifth line alone; empty for a question found as typed.
QString matchNote(const Question &question, const LookupResult &result);
// Shown when nothing usable was found; line 1 names the maker's site.
QList<AnswerLine> guidance();

} // namespace AnswerLines
