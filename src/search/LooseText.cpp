#include "search/LooseText.h"

#include <QRegularExpression>

#include <array>

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

// For every unit outside the surrogate range: 0 when the loose form drops it, else its case fold.
// A table, because a million question texts pass through here when a bank is opened.
const std::array<char16_t, 0x10000> &unitTable()
{
    static const auto table = [] {
        std::array<char16_t, 0x10000> t{};
        for (char32_t u = 0; u < 0x10000; ++u) {
            if (QChar::isSurrogate(u) || dropped(u))
                continue;
            const char32_t folded = QChar::toCaseFolded(u);
            t[u] = QChar::requiresSurrogates(folded) ? char16_t(u) : char16_t(folded);
        }
        return t;
    }();
    return table;
}

QString looseOfNormalised(QStringView text)
{
    const auto &table = unitTable();
    QString out(text.size(), Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    qsizetype k = 0;
    const char16_t *u = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (!QChar::isSurrogate(u[i])) {
            if (const char16_t kept = table[u[i]])
                o[k++] = kept;
            continue;
        }
        if (!QChar::isHighSurrogate(u[i]) || i + 1 == n || !QChar::isLowSurrogate(u[i + 1])) {
            o[k++] = u[i]; // a lone surrogate is kept as it is
            continue;
        }
        const char32_t c = QChar::toCaseFolded(QChar::surrogateToUcs4(u[i], u[i + 1]));
        ++i;
        if (dropped(c))
            continue;
        o[k++] = QChar::highSurrogate(c);
        o[k++] = QChar::lowSurrogate(c);
    }
    out.truncate(k);
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

namespace {

constexpr qsizetype kPart = 4096;
// Units looked at past a part's end for a place to cut it.
constexpr qsizetype kMostUncut = 64;
constexpr qsizetype kLongestMarks = 30;

// NFKC of a concatenation is the concatenation of the parts' NFKC when each cut lies before an
// ASCII character or a CJK ideograph: neither decomposes, composes with what precedes it, or
// takes a combining mark across the cut.
bool safeCutBefore(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x80 || (u >= 0x4E00 && u <= 0x9FFF);
}

// Nearly as safe: any other starter but the conjoining jamo of Hangul, which compose with what
// precedes them.
bool starter(QChar c)
{
    const char16_t u = c.unicode();
    return !c.isLowSurrogate() && QChar::combiningClass(u) == 0 && !(u >= 0x1100 && u <= 0x11FF);
}

// Where the part of `text` that begins at `at` ends: about kPart units on, at a cut that keeps
// NFKC exact. Without such a cut near there, before another starter, or kMostUncut units further
// whatever stands there. And a run of more than kLongestMarks combining marks is cut inside
// (as the stream-safe text format of Unicode does): the normaliser sorts a run in time that
// grows with the square of its length, and no real question holds such a run.
qsizetype partEnd(QStringView text, qsizetype at)
{
    const qsizetype target = std::min(at + kPart, text.size());
    qsizetype marks = 0;
    for (qsizetype i = at; i < text.size(); ++i) {
        const QChar c = text[i];
        if (i > at && !c.isLowSurrogate()) {
            if (i >= target && safeCutBefore(c))
                return i;
            if ((i >= target + kMostUncut && starter(c)) || i >= target + 2 * kMostUncut ||
                marks >= kLongestMarks)
                return i;
        }
        marks = QChar::combiningClass(c.unicode()) != 0 ? marks + 1 : 0;
    }
    return text.size();
}

QString normalisedPart(QStringView part)
{
    return needsNormalising(part) ? part.toString().normalized(QString::NormalizationForm_KC)
                                  : part.toString();
}

} // namespace

QString looseText(QStringView text)
{
    if (!needsNormalising(text))
        return looseOfNormalised(text);
    QString loose;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype end = partEnd(text, at);
        loose += looseOfNormalised(normalisedPart(text.mid(at, end - at)));
        at = end;
    }
    return loose;
}

bool looseByDropping(QStringView text, QString &out, std::vector<qsizetype> *joins)
{
    const auto &table = unitTable();
    out.resize(text.size());
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    qsizetype k = 0;
    bool droppedSince = false;
    if (joins)
        joins->clear();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char16_t kept = table[u];
        if (kept == 0) {
            if (QChar::isSurrogate(u))
                return false;
            droppedSince = true;
        } else if (kept == u) {
            if (joins && droppedSince && k > 0)
                joins->push_back(k);
            droppedSince = false;
            o[k++] = u;
        } else {
            return false;
        }
    }
    if (joins && droppedSince && k > 0)
        joins->push_back(k);
    out.truncate(k);
    return true;
}

QString looseFragment(QStringView fragment, qsizetype stopAfter)
{
    // Full-width marks are listed too: text made of plain units is not normalised first.
    static const QRegularExpression questionNumber(
        QStringLiteral("^\\s*(?:"
                       "第\\s*[0-9一二三四五六七八九十百零〇]+\\s*[题題]"  // 第12题
                       "|[(（\\[［【〔〖<]\\s*[0-9]+\\s*[)）\\]］】〕〗>]" // (12) [12] 【12】
                       "|[0-9]+(?=\\s*[、.．:：,，)）])"                   // 12、 12.
                       ")\\s*[、.．:：,，]?"));
    QString loose;
    qsizetype at = 0;
    while (at < fragment.size() && (stopAfter < 0 || loose.size() <= stopAfter)) {
        const qsizetype end = partEnd(fragment, at);
        const QString normalised = normalisedPart(fragment.mid(at, end - at));
        qsizetype skip = 0;
        if (at == 0) {
            const QRegularExpressionMatch m = questionNumber.match(normalised);
            skip = m.hasMatch() ? m.capturedLength() : 0;
        }
        loose += looseOfNormalised(QStringView(normalised).mid(skip));
        at = end;
    }
    return loose;
}

QList<qsizetype> looseSourceIndexes(QStringView text)
{
    QList<qsizetype> sources;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width =
            QChar::isHighSurrogate(text[i].unicode()) && i + 1 < text.size() ? 2 : 1;
        const qsizetype units = looseText(text.mid(i, width)).size();
        for (qsizetype k = 0; k < units; ++k)
            sources.append(i);
        i += width;
    }
    return sources;
}
