#include "data/BankQuery.h"

#include "base/AppError.h"
#include "data/BankConnection.h"
#include "search/LookupFragment.h"
#include "search/QuestionTable.h"

const QuestionTable &BankQuery::table()
{
    if (!m_connection->Connected())
        m_connection->Open();
    if (!m_connection->table())
        throw AppError(m_connection->schemaError());
    return *m_connection->table();
}

LookupResult BankQuery::lookUp(const QString &inputText)
{
    const QuestionTable &questions = table();
    if (inputText.size() > QuestionLookup::longestInput(questions))
        return {};
    return QuestionLookup::run(questions, lookupFragment(inputText));
}

ReadingChoice::Found BankQuery::findsInReading(const QString &recognisedText)
{
    QString lines = recognisedText;
    lines.replace(u'\n', QStringLiteral("\r\n"));
    const LookupResult result = lookUp(lines);
    if (!result.found() || row(result.row).subject.isEmpty())
        return ReadingChoice::Found::Nothing;
    return result.kind == LookupResult::Kind::Similar ? ReadingChoice::Found::ForgivingMisreads
                                                      : ReadingChoice::Found::AsRead;
}

qsizetype BankQuery::longestInput()
{
    return QuestionLookup::longestInput(table());
}

Question BankQuery::row(qsizetype row) const
{
    return m_connection->table()->row(row);
}

qsizetype BankQuery::olderMatch(const LookupResult &result, qsizetype row) const
{
    return QuestionLookup::olderMatch(*m_connection->table(), result, row);
}

std::optional<Question> BankQuery::findLast(const QString &inputText)
{
    const LookupResult found = lookUp(inputText);
    if (!found.found())
        return std::nullopt;
    return row(found.row);
}
