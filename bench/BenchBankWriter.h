#pragma once

#include "data/Question.h"

#include <QString>

#include <functional>

// A bank file for the benchmarks when the bank tool's synthetic banks are not at hand: a Jet 4
// file with the table 问题 laid out like the shipped bank (database password kpwq, columns
// 科目, 题目内容, 选项, 标准答案, 编号), memos up to 512 characters inside their row, longer
// ones in chains of long-value rows. Only what libmdb needs to read the table is written: no
// indexes, no Access extras. Throws std::runtime_error
// when a row does not fit a page.
class BenchBankWriter {
public:
    using RowSource = std::function<void(const std::function<void(const Question &)> &)>;
    static void write(const QString &path, const RowSource &rows);
};
