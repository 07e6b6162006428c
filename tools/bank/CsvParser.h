#pragma once

#include <QString>
#include <QVector>

#include <optional>

// The CSV dialect mdb-export prints: comma separators, fields in double quotes with "" for a
// quote (line breaks allowed inside), an empty unquoted field for NULL and "" for an empty text.
namespace CsvParser {

struct Record {
    int line = 0; // physical line the record starts on, 1-based
    QVector<std::optional<QString>> fields;
};

// Throws BankInputError "<name>:<line>: ..." on an unterminated quote or stray characters after
// a closing quote. Accepts LF and CR LF line ends; a final line end is optional.
QVector<Record> parse(const QString &text, const QString &name);

// Offset of the first byte that is not valid UTF-8 (overlong forms and surrogates included),
// or -1 when all of it is valid.
qsizetype firstInvalidUtf8(const QByteArray &bytes);

} // namespace CsvParser
