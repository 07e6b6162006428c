#pragma once

#include <QString>

#include <array>

// How the values of the table 问题 are stored, read straight from the pages (libmdb does not
// say). Rows are those of the table's data pages, deleted or moved rows skipped.
struct BankFileStats {
    struct Column {
        QString name;
        int number = -1;
        bool memo = false;
        qint64 nulls = 0;
        qint64 empty = 0;
        qint64 inlined = 0;    // memo inside its row
        qint64 singleRow = 0;  // memo in one long-value row
        qint64 chained = 0;    // memo in a chain of long-value rows
        qint64 compressed = 0; // stored in the compressed Unicode form
        qint64 broken = 0;     // memo whose long-value rows are missing or do not add up
    };

    qint64 rows = 0;
    QString firstBroken; // where the first broken memo is, for the message
    int definitionPage = 0;
    std::array<Column, 5> columns; // 科目, 题目内容, 选项, 标准答案, 编号

    // Throws BankInputError when the file holds no readable definition of 问题.
    static BankFileStats scan(const QString &path);
};
