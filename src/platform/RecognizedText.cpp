#include "platform/RecognizedText.h"

#include <QStringList>

namespace {

bool isWide(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x2E80 && u <= 0x9FFF) // CJK radicals, punctuation, kana, ideographs
           || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) ||
           (u >= 0xFF00 && u <= 0xFFEF) // full-width forms
           || u == 0x201C || u == 0x201D || u == 0x2018 || u == 0x2019 || u == 0x2026;
}

QString tidyLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    QString out;
    out.reserve(trimmed.size());
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (c.isSpace()) {
            // Runs of blanks count as one; a run beside a wide character goes.
            qsizetype end = i;
            while (end < trimmed.size() && trimmed[end].isSpace())
                ++end;
            const bool wideBefore = !out.isEmpty() && isWide(out.back());
            const bool wideAfter = end < trimmed.size() && isWide(trimmed[end]);
            if (!wideBefore && !wideAfter)
                out += u' ';
            i = end - 1;
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

QString RecognizedText::tidy(const QString &raw)
{
    QStringList lines;
    for (const QString &line : raw.split(u'\n')) {
        const QString tidied = tidyLine(line);
        if (!tidied.isEmpty())
            lines << tidied;
    }
    return lines.join(u'\n');
}
