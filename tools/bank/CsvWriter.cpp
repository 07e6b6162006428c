#include "CsvWriter.h"

QByteArray CsvWriter::header(const QStringList &names)
{
    return names.join(u',').toUtf8() + '\n';
}

void CsvWriter::appendField(QByteArray &line, const std::optional<QString> &value, bool quoted)
{
    if (!value)
        return;
    if (!quoted) {
        line += value->toUtf8();
        return;
    }
    line += '"';
    line += QString(*value).replace(u'"', QStringLiteral("\"\"")).toUtf8();
    line += '"';
}

void CsvWriter::appendBytes(QByteArray &line, const QByteArray &bytes)
{
    line += '"';
    line += QByteArray(bytes).replace('"', "\"\"");
    line += '"';
}
