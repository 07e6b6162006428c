#pragma once

#include "search/IndexTexts.h"

#include <QStringView>

#include <cstdlib>
#include <memory>

// Many strings in one buffer: a million short texts without a heap block and a header each.
// The buffers grow with realloc, which moves a large block by remapping its pages rather than
// copying them, and give back their unused end in place: a bank of a million rows is packed
// without copying its texts again and again.
class PackedTexts final : public IndexTexts {
public:
    PackedTexts();
    PackedTexts(PackedTexts &&other) noexcept;
    PackedTexts &operator=(PackedTexts &&other) noexcept;

    void append(QStringView text);
    void shrinkToFit();
    qsizetype size() const override { return m_rows; }
    QStringView at(qsizetype row) const;
    qsizetype length(qsizetype row) const
    {
        return m_offsets.get()[row + 1] - m_offsets.get()[row];
    }
    qsizetype maxLength() const override { return m_maxLength; }
    QStringView text(qsizetype row, QString &) const override { return at(row); }
    std::size_t bytes() const override;

private:
    void startOffsets();

    struct Free {
        void operator()(void *p) const { std::free(p); }
    };

    std::unique_ptr<char16_t[], Free> m_units;
    std::size_t m_unitCount = 0, m_unitCapacity = 0;
    // Offsets of row starts, plus the end; 32 bits suffice as a Jet file holds less than 4 G
    // characters.
    std::unique_ptr<quint32[], Free> m_offsets;
    std::size_t m_offsetCapacity = 0;
    qsizetype m_rows = 0;
    qsizetype m_maxLength = 0;
};
