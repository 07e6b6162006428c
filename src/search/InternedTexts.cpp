#include "search/InternedTexts.h"

void InternedTexts::append(QStringView text)
{
    if (m_unique) {
        m_ids.push_back(quint32(m_distinct.size()));
        m_distinct.append(text);
        return;
    }
    const QString key = text.toString();
    auto it = m_seen.constFind(key);
    if (it == m_seen.constEnd()) {
        it = m_seen.insert(key, quint32(m_distinct.size()));
        m_distinct.append(text);
    }
    m_ids.push_back(it.value());
    // A column whose texts hardly repeat (answers written out in full) would only make the
    // table of texts seen as big as the column: from then on each text is simply kept.
    if (m_ids.size() >= 4096 && std::size_t(m_distinct.size()) * 2 > m_ids.size()) {
        m_unique = true;
        m_seen = {};
    }
}

void InternedTexts::finish()
{
    m_seen = {};
    m_distinct.shrinkToFit();
    m_ids.shrink_to_fit();
}

std::size_t InternedTexts::bytes() const
{
    return m_distinct.bytes() + m_ids.capacity() * sizeof(quint32);
}
