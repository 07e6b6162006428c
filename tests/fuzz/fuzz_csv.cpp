// The bank tool's CSV reader on arbitrary bytes. Input it refuses must be refused with
// BankInputError, nothing else. Input it accepts is written as a bank and read back through the
// program's reader, which must return the same rows: a source the tool takes must never give a
// bank that reads differently.
#include "base/AppError.h"
#include "jet/JetDatabase.h"

#include "BankCsvReader.h"
#include "jet/BankInputError.h"
#include "jet/JetBankWriter.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Writing and reading back costs far more than parsing; larger sources only get parsed.
constexpr qsizetype kRoundTripRows = 64;

void fail(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

QString cellText(const JetRow &row, qsizetype column)
{
    return row[column].text;
}

void roundTrip(const QVector<BankRecord> &records)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    try {
        JetBankWriter writer(&buffer);
        for (const BankRecord &record : records)
            writer.add(record);
        writer.finish();
    } catch (const BankInputError &) {
        return; // refused by the writer with a message: fine
    }
    const QByteArray bank = buffer.data();
    try {
        const auto db = JetDatabase::openBytes(bank.constData(), bank.size());
        const QVector<JetColumn> columns = db->columns(QStringLiteral("问题"));
        qsizetype subject = -1, text = -1, options = -1, answer = -1;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            const QString &name = columns[i].name;
            subject = name == QStringLiteral("科目") ? i : subject;
            text = name == QStringLiteral("题目内容") ? i : text;
            options = name == QStringLiteral("选项") ? i : options;
            answer = name == QStringLiteral("标准答案") ? i : answer;
        }
        if (subject < 0 || text < 0 || options < 0 || answer < 0)
            fail("a column is missing");
        qsizetype at = 0;
        db->forEachRow(QStringLiteral("问题"), [&](const JetRow &row) {
            if (at >= records.size())
                fail("more rows read than written");
            const BankRecord &r = records[at++];
            if (cellText(row, subject) != r.subject.value_or(QString()) ||
                cellText(row, text) != r.text ||
                cellText(row, options) != r.options.value_or(QString()) ||
                cellText(row, answer) != r.answer.value_or(QString()))
                fail("a value reads back differently");
        });
        if (at != records.size())
            fail("fewer rows read than written");
    } catch (const AppError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        fail("the written bank does not open");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QVector<BankRecord> records;
    try {
        records = BankCsvReader::parse(bytes, QStringLiteral("fuzz.csv"));
    } catch (const BankInputError &) {
        return 0;
    }
    if (records.size() <= kRoundTripRows)
        roundTrip(records);
    return 0;
}
