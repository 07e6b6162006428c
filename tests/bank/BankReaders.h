#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// Runs the bank tool and the outside readers on a bank file and brings their rows into one
// shape: per row, column name to value, NULL as an absent optional.
namespace BankReaders {

using Row = QMap<QString, std::optional<QString>>;

struct Run {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

Run run(const QString &program, const QStringList &args, const QString &workDir = {});
Run tool(const QStringList &args);

// CSV in the mdb-export dialect to rows keyed by the header's names.
QVector<Row> parseCsv(const QByteArray &csv);
QVector<Row> viaDump(const QString &file, const QString &table = QStringLiteral("问题"));
QVector<Row> viaMdbExport(const QString &file, const QString &table = QStringLiteral("问题"));

struct MdbReaderResult {
    QString password;
    QStringList tables;
    QVector<Row> rows;
};
MdbReaderResult viaMdbReader(const QString &file, const QString &table = QStringLiteral("问题"));

// What libmdb makes of a value: NULL and empty alike (""), and each UTF-16 unit of a
// character outside the BMP as "?".
std::optional<QString> asLibmdbSees(const std::optional<QString> &value);

} // namespace BankReaders
