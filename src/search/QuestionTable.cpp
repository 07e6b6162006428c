#include "search/QuestionTable.h"

#include "search/LooseText.h"
#include "search/TextFold.h"

#include <QList>

void QuestionTable::Builder::reserve(qsizetype rows, qsizetype unitsPerRow)
{
    m_texts.reserve(rows, rows * unitsPerRow);
    m_folded.reserve(rows, rows * unitsPerRow);
    m_loose.reserve(rows, rows * unitsPerRow);
}

void QuestionTable::Builder::append(QStringView subject, QStringView text, QStringView options,
                                    QStringView answer)
{
    m_subjects.append(subject);
    m_texts.append(text);
    m_options.append(options);
    m_answers.append(answer);
    m_folded.append(foldText(text));
    m_loose.append(looseText(text));
}

QuestionTable QuestionTable::Builder::build()
{
    QuestionTable table;
    for (PackedTexts *t : {&m_subjects, &m_texts, &m_options, &m_answers, &m_folded})
        t->shrinkToFit();
    table.m_subjects = std::move(m_subjects);
    table.m_texts = std::move(m_texts);
    table.m_options = std::move(m_options);
    table.m_answers = std::move(m_answers);
    table.m_index = std::make_unique<BigramIndex>(std::move(m_folded));
    m_loose.shrinkToFit();
    table.m_loose = std::make_unique<LooseMatcher>(std::move(m_loose));
    return table;
}

QuestionTable QuestionTable::fromRows(const QList<Question> &rows)
{
    Builder builder;
    for (const Question &q : rows)
        builder.append(q.subject, q.text, q.options, q.answer);
    return builder.build();
}

Question QuestionTable::row(qsizetype row) const
{
    return Question{m_subjects.at(row).toString(), m_texts.at(row).toString(),
                    m_options.at(row).toString(), m_answers.at(row).toString()};
}

qsizetype QuestionTable::findLastRow(const QString &fragment) const
{
    if (fragment.isEmpty())
        return -1;
    return m_index->findLast(foldText(fragment));
}

std::optional<Question> QuestionTable::findLast(const QString &fragment) const
{
    const qsizetype found = findLastRow(fragment);
    if (found < 0)
        return std::nullopt;
    return row(found);
}

std::size_t QuestionTable::bytes() const
{
    return m_subjects.bytes() + m_texts.bytes() + m_options.bytes() + m_answers.bytes() +
           m_index->bytes() + m_loose->bytes();
}
