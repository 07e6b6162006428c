#include "data/BankQuery.h"

#include "app/AppError.h"
#include "data/BankConnection.h"
#include "data/LookupFragment.h"

std::optional<Question> BankQuery::findLast(const QString &inputText)
{
    if (!m_connection->Connected())
        m_connection->Open();
    if (!m_connection->table())
        throw AppError(m_connection->schemaError());
    return m_connection->table()->findLast(lookupFragment(inputText));
}
