#pragma once

#include <QStringView>

#include <vector>

// Many strings in one buffer: a million short texts without a heap block and a header each.
class PackedTexts {
public:
    void append(QStringView text);
    void reserve(qsizetype count, qsizetype units);
    void shrinkToFit();
    qsizetype size() const { return qsizetype(m_offsets.size()) - 1; }
    QStringView at(qsizetype row) const;
    qsizetype length(qsizetype row) const { return m_offsets[row + 1] - m_offsets[row]; }
    qsizetype maxLength() const { return m_maxLength; }
    std::size_t bytes() const;

private:
    std::vector<char16_t> m_units;
    std::vector<qsizetype> m_offsets{0};
    qsizetype m_maxLength = 0;
};
