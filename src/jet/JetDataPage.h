#pragma once

#include <QByteArray>

// A data page being filled: rows packed from the end of the page downwards, their offsets in a
// table after the 14-byte header. Table rows, long-value rows and usage maps all live on such
// pages; only the owner field tells them apart.
class JetDataPage {
public:
    // Owner: the definition page of the table, or the bytes "LVAL" for long values.
    explicit JetDataPage(quint32 owner);
    static JetDataPage longValuePage();

    bool fits(qsizetype rowSize) const;
    // Returns the row's number on the page. The caller checks fits() first.
    int add(const QByteArray &row);
    int rowCount() const { return m_rows; }
    const QByteArray &bytes() const { return m_page; }

private:
    QByteArray m_page;
    int m_rows = 0;
    int m_lowest;
};
