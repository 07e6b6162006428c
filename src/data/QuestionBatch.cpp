#include "data/QuestionBatch.h"

void QuestionBatch::clear()
{
    m_units.clear();
    m_ends.clear();
}

void QuestionBatch::add(const std::array<QStringView, kFields> &fields)
{
    for (const QStringView text : fields) {
        m_units.insert(m_units.end(), text.utf16(), text.utf16() + text.size());
        m_ends.push_back(m_units.size());
    }
}

QStringView QuestionBatch::field(qsizetype row, int field) const
{
    const std::size_t at = std::size_t(row) * kFields + std::size_t(field);
    const std::size_t start = at == 0 ? 0 : m_ends[at - 1];
    return QStringView(m_units.data() + start, qsizetype(m_ends[at] - start));
}
