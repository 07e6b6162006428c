#pragma once

#include <QString>

// ADOConnection1: the open question bank. Stand-in until the bank reader lands.
class BankConnection {
public:
    void setFileName(const QString &path) { m_path = path; }
    const QString &fileName() const { return m_path; }
    void Open();
    bool Connected() const { return m_open; }

private:
    QString m_path;
    bool m_open = false;
};
