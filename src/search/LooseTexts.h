#pragma once

#include "search/IndexTexts.h"
#include "search/PackedTexts.h"
#include "search/PairLists.h"

#include <memory>
#include <vector>

// The loose forms of the question texts (see LooseText), kept without a copy for nearly every
// row: a folded question text usually becomes its loose form by dropping its blanks and
// punctuation, so only the texts where that is not so (NFKC changes something) are stored.
// A million questions' loose forms would otherwise hold as much memory as the folded texts.
class LooseTexts final : public IndexTexts {
public:
    // Rows are appended in order while the folded texts are collected elsewhere; attach the
    // folded texts once they are complete.
    void append(QStringView folded, QStringView loose);
    void attach(std::shared_ptr<const PackedTexts> folded);

    qsizetype size() const override { return m_rows; }
    qsizetype maxLength() const override { return m_maxLength; }
    QStringView text(qsizetype row, QString &scratch) const override;
    std::size_t bytes() const override;
    // Rows whose loose form is stored, not derived.
    qsizetype storedCount() const { return m_stored.size(); }
    const std::vector<quint32> &storedRows() const { return m_storedRows; }

    // For a pair index on top of the folded texts' one: the pairs each loose form holds beyond
    // its folded text's pairs (where dropping joined two units, and every pair of a stored
    // form), collected as the rows were appended and handed over once; and, sorted by key, how
    // many stored rows the folded lists hold under each key.
    PairLists takePairsBeyondFolded();
    std::vector<std::pair<quint32, quint32>> storedRowsInFoldedPairs() const;

private:
    std::shared_ptr<const PackedTexts> m_folded;
    std::vector<quint32> m_storedRows; // ascending
    PackedTexts m_stored;
    qsizetype m_rows = 0;
    qsizetype m_maxLength = 0;
    QString m_check;                   // reused by append
    std::vector<qsizetype> m_joins;    // reused by append
    std::vector<quint32> m_beyondKeys; // each row's pairs beyond its folded text's, in row order
    std::vector<quint32> m_beyondStart{0}; // m_rows + 1: where each row's keys start
};
