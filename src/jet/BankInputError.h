#pragma once

#include <QString>

#include <stdexcept>

// Bad input to the bank tool: a source file it cannot turn into a bank, a file it cannot read.
// The message already names the file and the line or row.
class BankInputError : public std::runtime_error {
public:
    explicit BankInputError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
