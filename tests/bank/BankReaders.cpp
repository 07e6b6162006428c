#include "BankReaders.h"

#include "CsvParser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

BankReaders::Run BankReaders::run(const QString &program, const QStringList &args,
                                  const QString &workDir)
{
    QProcess p;
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    Run r;
    if (!p.waitForStarted(30000)) {
        r.err = QStringLiteral("%1 did not start: %2").arg(program, p.errorString()).toUtf8();
        return r;
    }
    p.waitForFinished(600000);
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

BankReaders::Run BankReaders::tool(const QStringList &args)
{
    return run(QStringLiteral(QINGLAN_BANK_TOOL), args);
}

QVector<BankReaders::Row> BankReaders::parseCsv(const QByteArray &csv)
{
    const QVector<CsvParser::Record> records =
        CsvParser::parse(QString::fromUtf8(csv), QStringLiteral("output"));
    QVector<Row> rows;
    if (records.isEmpty())
        return rows;
    QStringList names;
    for (const auto &f : records.first().fields)
        names.append(f.value_or(QString()));
    for (qsizetype i = 1; i < records.size(); ++i) {
        Row row;
        for (qsizetype c = 0; c < names.size() && c < records[i].fields.size(); ++c)
            row.insert(names[c], records[i].fields[c]);
        rows.append(row);
    }
    return rows;
}

QVector<BankReaders::Row> BankReaders::viaDump(const QString &file, const QString &table)
{
    const Run r = tool({QStringLiteral("dump"), file, table});
    if (r.exitCode != 0 || r.crashed)
        qWarning("dump failed: %s", r.err.constData());
    return parseCsv(r.out);
}

QVector<BankReaders::Row> BankReaders::viaMdbExport(const QString &file, const QString &table)
{
    const Run r = run(QStringLiteral("mdb-export"), {file, table});
    if (r.exitCode != 0 || r.crashed)
        qWarning("mdb-export failed: %s", r.err.constData());
    return parseCsv(r.out);
}

BankReaders::MdbReaderResult BankReaders::viaMdbReader(const QString &file, const QString &table)
{
    const QString dir = qEnvironmentVariable("QINGLAN_MDB_READER_DIR");
    const Run r =
        run(QStringLiteral("node"), {dir + QStringLiteral("/read-bank.js"), file, table}, dir);
    MdbReaderResult result;
    if (r.exitCode != 0 || r.crashed) {
        qWarning("mdb-reader failed: %s", r.err.constData());
        return result;
    }
    const QJsonObject doc = QJsonDocument::fromJson(r.out).object();
    result.password = doc.value(QStringLiteral("password")).toString();
    for (const QJsonValue &t : doc.value(QStringLiteral("tables")).toArray())
        result.tables.append(t.toString());
    for (const QJsonValue &v : doc.value(QStringLiteral("rows")).toArray()) {
        Row row;
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            row.insert(it.key(),
                       it.value().isNull() ? std::nullopt : std::optional<QString>(it->toString()));
        result.rows.append(row);
    }
    return result;
}

std::optional<QString> BankReaders::asLibmdbSees(const std::optional<QString> &value)
{
    if (!value || value->isEmpty())
        return std::nullopt;
    QString seen = *value;
    for (QChar &c : seen)
        if (c.isSurrogate())
            c = u'?';
    return seen;
}
