#pragma once

#include "data/JetDatabase.h"

#include <array>

// The table the lookup reads and the four columns it reads by name.
namespace BankSchema {

QString tableName();
// In the order the lookup reads them: 科目, 题目内容, 选项, 标准答案.
const std::array<QString, 4> &columnNames();
// Where each of the four columns stands in `columns`. Throws AppError
// "ADOQuery1: Field '%s' not found" naming the first one that is missing.
std::array<int, 4> locateColumns(const QVector<JetColumn> &columns);

} // namespace BankSchema
