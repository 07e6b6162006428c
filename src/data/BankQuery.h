#pragma once

#include "platform/ReadingChoice.h"
#include "search/Question.h"
#include "search/QuestionLookup.h"

#include <optional>

class BankConnection;
class QuestionTable;

// ADOQuery1: finds the last question, in storage order, whose text holds the fragment.
class BankQuery {
public:
    explicit BankQuery(BankConnection *connection) : m_connection(connection) {}
    // The whole text of the input box. The fragment is matched as literal text; an empty
    // fragment matches nothing. When no row holds it, the tolerant passes of LooseMatcher
    // look for the question again under looser rules. Throws AppError when the bank cannot be
    // opened (a closed connection is opened first) or lacks the table or a column.
    std::optional<Question> findLast(const QString &inputText);
    // The same lookup, saying how the row was found (see QuestionLookup).
    LookupResult lookUp(const QString &inputText);
    // What the answer box would show for a text read from a picture once it is in the input box
    // (its lines then separated by CR LF): an answer found as read, one found by forgiving a
    // look-alike, or nothing (no row, or a row without a subject, which shows the guidance).
    // The window and the command line choose among a picture's readings by it.
    ReadingChoice::Found findsInReading(const QString &recognisedText);
    // How long an input the lookup reads at most (see QuestionLookup::longestInput); opens the
    // connection as lookUp does.
    qsizetype longestInput();
    // The row of a result, as read from the bank.
    Question row(qsizetype row) const;
    // The next older row than `row` holding what the result's pass searched for; -1 for none.
    qsizetype olderMatch(const LookupResult &result, qsizetype row) const;

private:
    const QuestionTable &table();

    BankConnection *m_connection;
};
