#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Prints rows the way mdb-export does: a header of bare names, text-like values in double
// quotes with "" for a quote, everything else bare, NULL as nothing.
namespace CsvWriter {

QByteArray header(const QStringList &names);
void appendField(QByteArray &line, const std::optional<QString> &value, bool quoted);
// A binary value byte for byte (mdb-export's default "raw" mode), in quotes with "" for a quote.
void appendBytes(QByteArray &line, const QByteArray &bytes);

} // namespace CsvWriter
