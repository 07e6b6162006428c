#pragma once

#include "search/PackedTexts.h"

#include <QMultiHash>
#include <QStringView>

#include <vector>

// Texts that repeat from row to row, such as a bank's subjects and answers, each kept once: a
// row holds the number of its text. The table of texts seen is dropped by finish().
class InternedTexts {
public:
    void append(QStringView text);
    void finish();
    qsizetype size() const { return qsizetype(m_ids.size()); }
    QStringView at(qsizetype row) const { return m_distinct.at(m_ids[std::size_t(row)]); }
    std::size_t bytes() const;

private:
    PackedTexts m_distinct;
    std::vector<quint32> m_ids;
    QMultiHash<size_t, quint32> m_seen; // hash of a text -> its number
    bool m_unique = false;              // the texts stopped repeating; m_seen is no longer kept
};
