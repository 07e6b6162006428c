#pragma once

#include "jet/BankRecord.h"

#include <QByteArray>
#include <QVector>

// Turns a bank source (CSV as mdb-export prints the table 问题) into records, checking
// everything the table's definition demands. Columns are found by name in any order, because
// mdb-export lists them by column number rather than in their design order.
namespace BankCsvReader {

inline constexpr int kTextLimit = 255;

// Throws BankInputError naming the file and the line.
QVector<BankRecord> readFile(const QString &path);
QVector<BankRecord> parse(const QByteArray &bytes, const QString &name);

} // namespace BankCsvReader
