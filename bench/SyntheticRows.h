#pragma once

#include "search/Question.h"

#include <functional>

// Question rows that look like the bank's: Chinese words drawn with a skewed frequency, answer
// blanks in parentheses, some digits and Latin letters; the same rows for the same seed.
void generateSyntheticRows(qsizetype count, quint32 seed,
                           const std::function<void(const Question &)> &take);
