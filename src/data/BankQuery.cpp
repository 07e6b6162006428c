#include "data/BankQuery.h"

#include "app/AppError.h"
#include "data/BankConnection.h"
#include "data/LookupFragment.h"
#include "data/QuestionTable.h"

std::optional<Question> BankQuery::findLast(const QString &inputText)
{
    if (!m_connection->Connected())
        m_connection->Open();
    if (!m_connection->table())
        throw AppError(m_connection->schemaError());
    const QuestionTable &table = *m_connection->table();
    const QString fragment = lookupFragment(inputText);
    if (std::optional<Question> literal = table.findLast(fragment))
        return literal;
    // Nothing holds the text as typed: try it again without what copying from a page changes.
    const qsizetype tolerant = table.looseMatcher().findLast(fragment).row;
    if (tolerant < 0)
        return std::nullopt;
    return table.row(tolerant);
}
