#include "BankCsvReader.h"

#include "CsvParser.h"
#include "jet/BankInputError.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <array>
#include <limits>

namespace {

enum Column { Subject, Text, Options, Answer, Number, ColumnCount };

const std::array<QString, ColumnCount> &columnNames()
{
    static const std::array<QString, ColumnCount> names = {
        QStringLiteral("科目"), QStringLiteral("题目内容"), QStringLiteral("选项"),
        QStringLiteral("标准答案"), QStringLiteral("编号")};
    return names;
}

QString where(const QString &name, int line)
{
    return QStringLiteral("%1:%2: ").arg(name).arg(line);
}

int lineOfOffset(const QByteArray &bytes, qsizetype offset)
{
    return int(bytes.left(offset).count('\n')) + 1;
}

std::array<int, ColumnCount> locateColumns(const CsvParser::Record &header, const QString &name)
{
    std::array<int, ColumnCount> at;
    at.fill(-1);
    for (int f = 0; f < header.fields.size(); ++f) {
        const QString title = header.fields[f].value_or(QString());
        int column = -1;
        for (int c = 0; c < ColumnCount; ++c)
            if (columnNames()[c] == title)
                column = c;
        if (column < 0)
            throw BankInputError(where(name, header.line) +
                                 QStringLiteral("unknown column \"%1\" in the header").arg(title));
        if (at[column] >= 0)
            throw BankInputError(
                where(name, header.line) +
                QStringLiteral("column \"%1\" appears twice in the header").arg(title));
        at[column] = f;
    }
    for (int c = 0; c < ColumnCount; ++c)
        if (at[c] < 0)
            throw BankInputError(
                where(name, header.line) +
                QStringLiteral("the header lacks the column \"%1\"").arg(columnNames()[c]));
    return at;
}

void checkTextLength(const std::optional<QString> &value, int column, int line, const QString &name)
{
    if (value && value->size() > BankCsvReader::kTextLimit)
        throw BankInputError(where(name, line) +
                             QStringLiteral("\"%1\" holds %2 characters; a Text column takes at "
                                            "most %3")
                                 .arg(columnNames()[column])
                                 .arg(value->size())
                                 .arg(BankCsvReader::kTextLimit));
}

} // namespace

QVector<BankRecord> BankCsvReader::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BankInputError(
            QStringLiteral("%1: cannot open the source: %2").arg(path, file.errorString()));
    return parse(file.readAll(), path);
}

QVector<BankRecord> BankCsvReader::parse(const QByteArray &source, const QString &name)
{
    QByteArray bytes = source;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const qsizetype bad = CsvParser::firstInvalidUtf8(bytes);
    if (bad >= 0)
        throw BankInputError(
            where(name, lineOfOffset(bytes, bad)) +
            QStringLiteral("the file is not valid UTF-8 (byte %1 of the file)").arg(bad + 1));
    const QVector<CsvParser::Record> records = CsvParser::parse(QString::fromUtf8(bytes), name);
    if (records.isEmpty())
        throw BankInputError(where(name, 1) + QStringLiteral("the header row is missing"));
    const std::array<int, ColumnCount> at = locateColumns(records.first(), name);

    QVector<BankRecord> result;
    result.reserve(records.size() - 1);
    QHash<QString, int> texts;
    QHash<qint32, int> numbers;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const CsvParser::Record &record = records[r];
        if (record.fields.size() != ColumnCount)
            throw BankInputError(where(name, record.line) +
                                 QStringLiteral("%1 fields where the header has %2")
                                     .arg(record.fields.size())
                                     .arg(int(ColumnCount)));
        BankRecord row;
        row.line = record.line;
        row.subject = record.fields[at[Subject]];
        row.options = record.fields[at[Options]];
        row.answer = record.fields[at[Answer]];
        checkTextLength(row.subject, Subject, record.line, name);
        checkTextLength(row.answer, Answer, record.line, name);

        const std::optional<QString> &text = record.fields[at[Text]];
        if (!text || text->isEmpty())
            throw BankInputError(where(name, record.line) +
                                 QStringLiteral("\"题目内容\" is empty; it is the primary key and "
                                                "must hold a text"));
        if (const auto seen = texts.constFind(*text); seen != texts.constEnd())
            throw BankInputError(where(name, record.line) +
                                 QStringLiteral("\"题目内容\" repeats the question of line %1; "
                                                "the primary key must be unique")
                                     .arg(*seen));
        texts.insert(*text, record.line);
        row.text = *text;

        if (const std::optional<QString> &number = record.fields[at[Number]]) {
            bool ok = false;
            const qint32 value = number->toInt(&ok);
            if (!ok || value <= 0)
                throw BankInputError(where(name, record.line) +
                                     QStringLiteral("\"编号\" is \"%1\"; it must be a whole "
                                                    "number from 1 to 2147483647")
                                         .arg(*number));
            if (const auto seen = numbers.constFind(value); seen != numbers.constEnd())
                throw BankInputError(where(name, record.line) +
                                     QStringLiteral("\"编号\" %1 repeats the number of line %2")
                                         .arg(value)
                                         .arg(*seen));
            numbers.insert(value, record.line);
            row.number = value;
        }
        result.append(row);
    }
    // Rows without a number get the next ones after the highest given, as Access would hand
    // them out; given numbers keep their gaps.
    qint64 next = 1;
    for (auto it = numbers.constBegin(); it != numbers.constEnd(); ++it)
        next = qMax<qint64>(next, qint64(it.key()) + 1);
    for (BankRecord &row : result) {
        if (row.number != 0)
            continue;
        if (next > std::numeric_limits<qint32>::max())
            throw BankInputError(where(name, row.line) +
                                 QStringLiteral("no AutoNumber is left for \"编号\""));
        row.number = qint32(next++);
    }
    return result;
}
