#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Prints rows the way mdb-export does: a header of bare names, text-like values in double
// quotes with "" for a quote, everything else bare, NULL as nothing. Unlike mdb-export it
// prints an empty text as "", since it can tell it from NULL.
namespace CsvWriter {

QByteArray header(const QStringList &names);
void appendField(QByteArray &line, const std::optional<QString> &value, bool quoted);

} // namespace CsvWriter
