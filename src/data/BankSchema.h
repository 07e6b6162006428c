#pragma once

#include "jet/JetDatabase.h"

#include <array>

// The table the lookup reads and the four columns it reads by name.
namespace BankSchema {

QString tableName();
// In the order the lookup reads them: 科目, 题目内容, 选项, 标准答案.
const std::array<QString, 4> &columnNames();
// Where each of the four columns stands in `columns`. Throws AppError
// "ADOQuery1: Field '%s' not found" naming the first one that is missing.
std::array<int, 4> locateColumns(const QVector<JetColumn> &columns);
// What keeps the located columns from serving the lookup, or an empty string. The questions
// are searched as text, so 题目内容 must be a Memo (or a Text) column: of any other type no
// fragment could ever match, and every lookup would look like a question missing from the bank.
QString typeProblem(const QVector<JetColumn> &columns, const std::array<int, 4> &at);

} // namespace BankSchema
