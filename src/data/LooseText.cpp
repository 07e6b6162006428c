#include "data/LooseText.h"

#include <QRegularExpression>

namespace {

bool dropped(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
        return true;
    default:
        return false;
    }
}

// Text that NFKC leaves unchanged unit by unit: printable ASCII and the common CJK ideographs.
// Most question texts are made of these plus full-width punctuation, which is dropped anyway,
// so the costly normalisation runs only for the rest.
bool plainUnit(char16_t u)
{
    return (u >= 0x20 && u < 0x7F) || (u >= 0x4E00 && u <= 0x9FFF);
}

bool droppedWithoutNormalising(char16_t u)
{
    // Full-width and CJK punctuation and blanks whose NFKC forms are dropped as well.
    return (u >= 0x3000 && u <= 0x3003) || (u >= 0x3008 && u <= 0x3011) ||
           (u >= 0x3014 && u <= 0x301F) ||
           (u >= 0xFF01 && u <= 0xFF0F && u != 0xFF04 && u != 0xFF0B) ||
           (u >= 0xFF1A && u <= 0xFF1F && u != 0xFF1C && u != 0xFF1D && u != 0xFF1E) ||
           u == 0xFF3B || u == 0xFF3D || u == 0xFF3F || u == 0xFF5B || u == 0xFF5D || u == 0x00A0 ||
           u == 0x2014 || u == 0x2026 || u == 0x201C || u == 0x201D || u == 0x2018 || u == 0x2019 ||
           u == 0x00B7;
}

QString looseOfNormalised(QStringView text)
{
    QString out;
    out.reserve(text.size());
    const char16_t *u = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = u[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(u[i + 1])) {
            c = QChar::surrogateToUcs4(u[i], u[i + 1]);
            ++i;
        }
        if (dropped(c))
            continue;
        c = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(c)) {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        } else {
            out.append(QChar(char16_t(c)));
        }
    }
    return out;
}

bool needsNormalising(QStringView text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!plainUnit(u) && !droppedWithoutNormalising(u))
            return true;
    }
    return false;
}

} // namespace

QString looseText(QStringView text)
{
    if (!needsNormalising(text))
        return looseOfNormalised(text);
    // Case folding can leave text that is no longer NFKC (and the reverse), so fold twice.
    const QString normalised = text.toString().normalized(QString::NormalizationForm_KC);
    return looseOfNormalised(normalised);
}

QString looseFragment(QStringView fragment)
{
    static const QRegularExpression questionNumber(
        QStringLiteral("^\\s*(?:"
                       "第\\s*[0-9一二三四五六七八九十百零〇]+\\s*[题題]" // 第12题
                       "|[(\\[【〔〖<]\\s*[0-9]+\\s*[)\\]】〕〗>]"        // (12) [12] 【12】
                       "|[0-9]+(?=\\s*[、.:,)])"                          // 12、 12.
                       ")\\s*[、.:,]?"));
    QString normalised = fragment.toString().normalized(QString::NormalizationForm_KC);
    const QRegularExpressionMatch m = questionNumber.match(normalised);
    if (m.hasMatch())
        normalised.remove(0, m.capturedLength());
    return looseOfNormalised(normalised);
}
