#include "search/QuestionTable.h"

#include "search/LooseText.h"
#include "search/TextFold.h"

#include <QList>

#include <exception>
#include <stdexcept>
#include <thread>

void QuestionTable::Builder::append(QStringView subject, QStringView text, QStringView options,
                                    QStringView answer)
{
    appendForms(subject, text, options, answer, foldText(text), looseText(text));
}

void QuestionTable::Builder::appendForms(QStringView subject, QStringView text, QStringView options,
                                         QStringView answer, QStringView folded, QStringView loose)
{
    // The patch below compares the two unit by unit.
    if (folded.size() != text.size())
        throw std::invalid_argument("QuestionTable::Builder: a folded text of another length");
    m_subjects.append(subject);
    m_options.append(options);
    m_answers.append(answer);
    // Positions fit one unit only in texts of up to 65,535 units.
    QString patch;
    TextForm form = Folded;
    if (folded != text) {
        form = Whole;
        if (text.size() <= 0xFFFF) {
            for (qsizetype i = 0; i < text.size() && patch.size() < text.size(); ++i) {
                if (folded[i] != text[i])
                    patch.append(QChar(char16_t(i))).append(text[i]);
            }
            if (patch.size() < text.size())
                form = Patched;
        }
    }
    m_textForms.push_back(form);
    m_texts.append(form == Patched ? QStringView(patch) : form == Whole ? text : QStringView());
    m_folded.append(folded);
    m_loose.append(folded, loose);
}

QuestionTable QuestionTable::Builder::build()
{
    QuestionTable table;
    for (PackedTexts *t : {&m_texts, &m_options, &m_folded})
        t->shrinkToFit();
    const auto folded = std::make_shared<const PackedTexts>(std::move(m_folded));
    m_loose.attach(folded);
    table.m_folded = folded;
    m_subjects.finish();
    m_answers.finish();
    table.m_subjects = std::move(m_subjects);
    table.m_texts = std::move(m_texts);
    table.m_options = std::move(m_options);
    table.m_answers = std::move(m_answers);
    table.m_textForms = std::move(m_textForms);
    table.m_textForms.shrink_to_fit();
    // The loose index lists a row under the folded texts' lists and under the few pairs its
    // loose form holds beyond them; those were collected with the rows and are listed on a
    // second core meanwhile.
    PairLists beyondFolded;
    std::exception_ptr looseFailure;
    std::thread looseBuild([&] {
        try {
            beyondFolded = m_loose.takePairsBeyondFolded();
        } catch (...) {
            looseFailure = std::current_exception();
        }
    });
    try {
        table.m_index = std::make_unique<BigramIndex>(folded);
    } catch (...) {
        looseBuild.join();
        throw;
    }
    looseBuild.join();
    if (looseFailure)
        std::rethrow_exception(looseFailure);
    const auto loose = std::make_shared<const LooseTexts>(std::move(m_loose));
    table.m_loose =
        std::make_unique<LooseMatcher>(loose, table.m_index->lists(), std::move(beyondFolded));
    return table;
}

QuestionTable QuestionTable::fromRows(const QList<Question> &rows)
{
    Builder builder;
    for (const Question &q : rows)
        builder.append(q.subject, q.text, q.options, q.answer);
    return builder.build();
}

QString QuestionTable::text(qsizetype row) const
{
    switch (m_textForms[std::size_t(row)]) {
    case Whole:
        return m_texts.at(row).toString();
    case Patched: {
        QString text = m_folded->at(row).toString();
        const QStringView patch = m_texts.at(row);
        for (qsizetype i = 0; i + 1 < patch.size(); i += 2)
            text[patch[i].unicode()] = patch[i + 1];
        return text;
    }
    default:
        return m_folded->at(row).toString();
    }
}

Question QuestionTable::row(qsizetype row) const
{
    return Question{m_subjects.at(row).toString(), text(row), m_options.at(row).toString(),
                    m_answers.at(row).toString()};
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
           m_textForms.capacity() + m_index->bytes() + m_loose->bytes();
}
