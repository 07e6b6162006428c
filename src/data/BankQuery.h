#pragma once

#include "data/Question.h"

#include <optional>

class BankConnection;

// ADOQuery1: finds the last question, in storage order, whose text holds the fragment.
class BankQuery {
public:
    explicit BankQuery(BankConnection *connection) : m_connection(connection) {}
    // The whole text of the input box; throws AppError when the bank cannot be opened.
    std::optional<Question> findLast(const QString &inputText);

private:
    BankConnection *m_connection;
};
