#include "data/BankQuery.h"

#include "data/BankConnection.h"

std::optional<Question> BankQuery::findLast(const QString &)
{
    if (!m_connection->Connected())
        m_connection->Open();
    return std::nullopt;
}
