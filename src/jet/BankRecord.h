#pragma once

#include <QString>

#include <optional>

// One row of the table 问题 as the writer takes it. An absent optional is NULL; an empty string
// is an empty text, which Jet keeps apart from NULL.
struct BankRecord {
    std::optional<QString> subject; // 科目, Text(255)
    QString text;                   // 题目内容, Memo, primary key: never NULL or empty
    std::optional<QString> options; // 选项, Memo
    std::optional<QString> answer;  // 标准答案, Text(255)
    qint32 number = 0;              // 编号, AutoNumber; 0 = hand out the next one
    int line = 0;                   // where the row started in its source, for messages
};
