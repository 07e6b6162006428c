#pragma once

#include "jet/BankRecord.h"
#include "jet/JetDataPage.h"

#include <QIODevice>

#include <optional>
#include <vector>

// Writes a question bank as a Jet 4 (Access 2000) database holding the table 问题, one row at
// a time: data and long-value pages go to the device as they fill, the definitions, usage maps
// and the header at finish(). The device must be seekable. The same rows give the same bytes.
class JetBankWriter {
public:
    // 2018-03-15 09:30, the fixed creation date that makes the output reproducible.
    static constexpr double kCreationDate = 43174.395833333336;
    static constexpr const char16_t *kPassword = u"kpwq";

    explicit JetBankWriter(QIODevice *out);

    // Rows are stored in the order they are added. Number must be positive and unique; the
    // caller checks uniqueness of numbers and texts. Throws BankInputError naming the row.
    void add(const BankRecord &record);
    // Throws BankInputError when the device fails.
    void finish();

    quint32 pageCount() const { return m_nextPage; }

private:
    struct LongValueColumn {
        std::optional<JetDataPage> current;
        quint32 currentNumber = 0;
        std::vector<quint32> pages;
    };

    quint32 allocatePage() { return m_nextPage++; }
    void writePage(quint32 number, const QByteArray &bytes);
    QByteArray memoValue(int memo, const QString &text);
    quint32 putLongValueRow(int memo, const QByteArray &row);
    void putTableRow(const QByteArray &row);
    void flushOpenPages();
    void writeCatalog();
    void writeUserTable();

    QIODevice *m_out;
    quint32 m_nextPage;
    quint32 m_rows = 0;
    qint32 m_lastNumber = 0;
    std::optional<JetDataPage> m_dataPage;
    quint32 m_dataPageNumber = 0;
    std::vector<quint32> m_dataPages;
    LongValueColumn m_memos[2];
};
