#include "CsvParser.h"

#include "jet/BankInputError.h"

namespace {

QString where(const QString &name, int line)
{
    return QStringLiteral("%1:%2: ").arg(name).arg(line);
}

} // namespace

QVector<CsvParser::Record> CsvParser::parse(const QString &text, const QString &name)
{
    QVector<Record> records;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    while (i < n) {
        Record record;
        record.line = line;
        // An empty physical line carries no record (mdb-export ends its output with a line end).
        if (text[i] == u'\n' || (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')) {
            i += text[i] == u'\r' ? 2 : 1;
            ++line;
            continue;
        }
        for (;;) {
            if (i < n && text[i] == u'"') {
                const int openedOn = line;
                QString value;
                ++i;
                for (;;) {
                    if (i >= n)
                        throw BankInputError(
                            where(name, openedOn) +
                            QStringLiteral(
                                "unterminated quoted field (the closing \" is missing)"));
                    const QChar c = text[i];
                    if (c == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            value += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (c == u'\n')
                        ++line;
                    value += c;
                    ++i;
                }
                record.fields.append(value);
                if (i < n && text[i] != u',' && text[i] != u'\n' &&
                    !(text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n'))
                    throw BankInputError(
                        where(name, line) +
                        QStringLiteral("unexpected character after a closing quote in field %1")
                            .arg(record.fields.size()));
            } else {
                const qsizetype start = i;
                while (i < n && text[i] != u',' && text[i] != u'\n' &&
                       !(text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')) {
                    if (text[i] == u'"')
                        throw BankInputError(
                            where(name, line) +
                            QStringLiteral("a quote inside an unquoted field %1; quote the whole "
                                           "field and write \"\" for a quote")
                                .arg(record.fields.size() + 1));
                    ++i;
                }
                if (i == start)
                    record.fields.append(std::nullopt);
                else
                    record.fields.append(text.mid(start, i - start));
            }
            if (i < n && text[i] == u',') {
                ++i;
                continue;
            }
            break;
        }
        if (i < n) {
            i += text[i] == u'\r' ? 2 : 1;
            ++line;
        }
        records.append(record);
    }
    return records;
}

qsizetype CsvParser::firstInvalidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        quint32 cp = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            cp = b & 0x07;
        } else {
            return i;
        }
        if (i + extra >= n)
            return i;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return i;
            cp = cp << 6 | (p[i + k] & 0x3F);
        }
        static const quint32 minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return i;
        i += extra + 1;
    }
    return -1;
}
