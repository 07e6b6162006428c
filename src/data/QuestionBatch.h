#pragma once

#include <QStringView>

#include <array>
#include <vector>

// The texts of a run of question rows (subject, question, options, answer, and the question's
// folded and loose forms), copied into one buffer so that they can be handed from the thread
// that reads the file to the one that builds the table: no string of one thread is ever freed
// on the other.
class QuestionBatch {
public:
    enum Field { Subject, Text, Options, Answer, Folded, Loose, kFields };

    void clear();
    void add(const std::array<QStringView, kFields> &fields);
    qsizetype rows() const { return qsizetype(m_ends.size() / kFields); }
    QStringView field(qsizetype row, int field) const;

private:
    std::vector<char16_t> m_units;
    std::vector<std::size_t> m_ends; // kFields per row: where each text ends in m_units
};
