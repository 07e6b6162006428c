#pragma once

#include "jet/BankRecord.h"

#include <QString>
#include <QVector>

// Small banks for the tests, written by the bank tool's Jet 4 writer: memos of up to 64 bytes
// inside their row, longer ones in one long-value row, beyond 4076 bytes in a chain of them.
namespace WrittenBank {

// Writes `rows` to `path`; fails the calling test (returns false) when the writer throws.
bool write(const QString &path, const QVector<BankRecord> &rows);
// A row with every column set. write() numbers rows without a 编号 after the one before.
BankRecord row(const QString &subject, const QString &text, const QString &options,
               const QString &answer);

} // namespace WrittenBank
