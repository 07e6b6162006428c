#include "search/InternedTexts.h"

void InternedTexts::append(QStringView text)
{
    if (m_unique) {
        m_ids.push_back(quint32(m_distinct.size()));
        m_distinct.append(text);
        return;
    }
    // Looked up by hash and compared with the kept copy: no row costs an allocation.
    const size_t hash = qHash(text);
    quint32 id = quint32(m_distinct.size());
    for (auto it = m_seen.constFind(hash); it != m_seen.cend() && it.key() == hash; ++it) {
        if (m_distinct.at(it.value()) == text) {
            id = it.value();
            break;
        }
    }
    if (id == quint32(m_distinct.size())) {
        m_seen.insert(hash, id);
        m_distinct.append(text);
    }
    m_ids.push_back(id);
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
