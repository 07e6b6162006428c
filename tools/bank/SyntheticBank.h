#pragma once

#include "jet/BankRecord.h"

#include <QStringList>

// Deterministic made-up questions for benchmarks and tests: subjects, question lengths, option
// layouts and answers in the proportions of a real bank, Chinese text with ASCII mixed in.
class SyntheticBank {
public:
    // longEvery > 0 gives every longEvery-th row options several pages long.
    explicit SyntheticBank(quint64 seed = 1, int longEvery = 0);

    // Row `index` (0-based) of the bank; its question text is unique across the bank.
    BankRecord row(qint64 index);

private:
    quint32 next();
    int below(int n) { return int(next() % quint32(n)); }
    QString chinese(int length);
    QString optionsFor(int layout, int count, QString *answer);

    quint64 m_state;
    int m_longEvery;
    QStringList m_subjects;
    QString m_characters;
};
