#pragma once

#include <QString>

// One row of the table 问题 as the answer box shows it; NULL columns read as empty text.
struct Question {
    QString subject; // 科目
    QString text;    // 题目内容
    QString options; // 选项
    QString answer;  // 标准答案
};
