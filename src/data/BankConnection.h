#pragma once

#include "search/QuestionTable.h"

#include <QFile>
#include <QString>

#include <memory>

// ADOConnection1: the open question bank. Opening checks the file and its database password
// and loads the table 问题 into memory; the file stays open until Close() or destruction.
class BankConnection {
public:
    static constexpr const char16_t *kPassword = u"kpwq";

    BankConnection();
    ~BankConnection();

    void setFileName(const QString &path) { m_path = path; }
    const QString &fileName() const { return m_path; }
    // Throws AppError when the file is missing, no Jet 4 database, damaged or has another
    // database password, or when its 题目内容 column is of a type no text can match; the
    // connection then stays closed.
    void Open();
    void Close();
    bool Connected() const { return m_open; }

    // After a successful Open: the loaded table, or null when the file lacks the table or one
    // of its four columns; schemaError() then holds what a lookup reports.
    const QuestionTable *table() const { return m_table.get(); }
    const QString &schemaError() const { return m_schemaError; }

private:
    QString m_path;
    bool m_open = false;
    QFile m_file;
    std::unique_ptr<QuestionTable> m_table;
    QString m_schemaError;
};
