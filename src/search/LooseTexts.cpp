#include "search/LooseTexts.h"

#include "search/LooseText.h"

#include <algorithm>
#include <stdexcept>

void LooseTexts::append(QStringView folded, QStringView loose)
{
    if (!looseByDropping(folded, m_check) || m_check != loose) {
        m_storedRows.push_back(quint32(m_rows));
        m_stored.append(loose);
    }
    ++m_rows;
    m_maxLength = qMax(m_maxLength, loose.size());
}

void LooseTexts::attach(std::shared_ptr<const PackedTexts> folded)
{
    if (!folded || folded->size() != m_rows)
        throw std::logic_error("LooseTexts: folded texts of another table");
    m_folded = std::move(folded);
    m_stored.shrinkToFit();
    m_storedRows.shrink_to_fit();
    m_check = QString();
}

QStringView LooseTexts::text(qsizetype row, QString &scratch) const
{
    const auto it = std::lower_bound(m_storedRows.begin(), m_storedRows.end(), quint32(row));
    if (it != m_storedRows.end() && *it == quint32(row))
        return m_stored.at(it - m_storedRows.begin());
    // Checked when the row was appended: dropping gives exactly its loose form.
    looseByDropping(m_folded->at(row), scratch);
    return scratch;
}

std::size_t LooseTexts::bytes() const
{
    return m_storedRows.capacity() * sizeof(quint32) + m_stored.bytes();
}
