#include "platform/RecognizedText.h"

#include <QRegularExpression>
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

// An option line's letter as the model reads it: "A." often comes out as "A，", "a，", "A.，"
// or "A。".
const QRegularExpression &optionLetter()
{
    static const QRegularExpression letter(
        QStringLiteral("^([A-Ha-h])\\s*[.．。、，,:：]+\\s*(?=\\S)"));
    return letter;
}

QChar letterOf(const QString &line)
{
    const QRegularExpressionMatch m = optionLetter().match(line);
    return m.hasMatch() ? m.captured(1).at(0).toUpper() : QChar();
}

// A score the page wrote "（2分）" whose brackets were read as other brackets ("【2分)",
// "《2分)"), sometimes with the line broken before 分.
QString repairScores(QString text)
{
    static const QRegularExpression score(
        QStringLiteral("[(（【《〈\\[]\\s*(\\d+(?:\\.\\d+)?)\\s*\\n?\\s*分\\s*[)）】》〉\\]]"));
    text.replace(score, QStringLiteral("（\\1分）"));
    // Its opening bracket lost after the question's full stop: "。2分)".
    static const QRegularExpression unopened(
        QStringLiteral("([。？?])\\s*(\\d+(?:\\.\\d+)?)\\s*\\n?\\s*分\\s*[)）】》〉\\]]"));
    text.replace(unopened, QStringLiteral("\\1（\\2分）"));
    return text;
}

// The question's number 7 read as 了 ("了、【单选题】"): 了 never opens a sentence, and the lookup
// drops only a number it sees as one.
QString repairNumber(const QString &firstLine)
{
    static const QRegularExpression seven(QStringLiteral("^了(?=\\s*[、.．])"));
    return QString(firstLine).replace(seven, QStringLiteral("7"));
}

// The page's label of the question's kind, "【单选题】" after the number, with one of its
// characters misread ("【单选盟】", "【判断愿】", "【多选题"): the lookup drops the labels it
// knows, and a misread one would stay in the question's words, which then match nothing. Three
// characters between the brackets that agree with one label in two places are that label; a
// first character that could be 单 or 多 gives the kind both are, 选择题.
QString repairTypeLabel(const QString &firstLine)
{
    static const QRegularExpression label(
        QStringLiteral("^((?:\\d{1,3}\\s*[、.．,，]\\s*)?)[【\\[［]\\s*([^\\s【】\\[\\]［］]{3})"
                       "\\s*[】\\]］]*\\s*"));
    const QRegularExpressionMatch m = label.match(firstLine);
    if (!m.hasMatch())
        return firstLine;
    const QString read = m.captured(2);
    static const QStringList known = {QStringLiteral("单选题"), QStringLiteral("多选题"),
                                      QStringLiteral("判断题")};
    QStringList agreeing;
    for (const QString &k : known) {
        int same = 0;
        for (int i = 0; i < 3; ++i)
            same += read[i] == k[i];
        if (same == 3)
            return firstLine;
        if (same == 2)
            agreeing << k;
    }
    if (agreeing.isEmpty())
        return firstLine;
    const QString kind = agreeing.size() == 1 ? agreeing.front() : QStringLiteral("选择题");
    return m.captured(1) + u'【' + kind + u'】' + firstLine.mid(m.capturedEnd());
}

// Option lines. Letters read as letters are written "A."; a letter is taken for an option's only
// when the letter lines around it run on in order (A, B, C ...; a long option's wrapped lines
// may stand between). A line squeezed between two such options whose letter was misread
// ("8心理健康" between A and C), or the line just before B when no A was read ("上，等级"), gets
// the letter its place gives. So a question line that happens to begin with a letter stays as
// read.
void repairOptionLetters(QStringList &lines)
{
    const qsizetype n = lines.size();
    QList<QChar> letters(n);
    QList<qsizetype> lettered;
    for (qsizetype i = 1; i < n; ++i) {
        letters[i] = letterOf(lines[i]);
        if (!letters[i].isNull())
            lettered << i;
    }
    QList<bool> option(n, false);
    for (qsizetype k = 0; k + 1 < lettered.size(); ++k)
        if (letters[lettered[k + 1]].unicode() == letters[lettered[k]].unicode() + 1)
            option[lettered[k]] = option[lettered[k + 1]] = true;
    bool hasA = false;
    for (qsizetype i = 1; i < n; ++i)
        hasA = hasA || (option[i] && letters[i] == u'A');

    static const QRegularExpression withMark(QStringLiteral("^\\S{1,2}?[.．。、，,:：]+\\s*"));
    static const QRegularExpression oneCharacter(QStringLiteral("^\\S"));
    static const QRegularExpression aAsSign(QStringLiteral("^[84&]\\s*(?=[\\x{4E00}-\\x{9FFF}])"));
    for (qsizetype i = 1; i + 1 < n; ++i) {
        if (!letters[i].isNull())
            continue;
        QChar wanted;
        const QRegularExpression *misread = &withMark;
        if (!hasA && letters[i + 1] == u'B' && (option[i + 1] || i + 2 == n)) {
            wanted = u'A';
            // "A." read as one sign that is no Chinese character: "8完善评价标准", "&正确".
            if (!withMark.match(lines[i]).hasMatch() && aAsSign.match(lines[i]).hasMatch())
                misread = &aAsSign;
        } else if (!letters[i - 1].isNull() && !letters[i + 1].isNull() &&
                   letters[i + 1].unicode() == letters[i - 1].unicode() + 2) {
            wanted = QChar(letters[i - 1].unicode() + 1);
            misread = &oneCharacter; // squeezed between two options: it can only be the letter
            const QRegularExpressionMatch marked = withMark.match(lines[i]);
            if (marked.hasMatch())
                misread = &withMark;
        }
        if (wanted.isNull())
            continue;
        const QRegularExpressionMatch m = misread->match(lines[i]);
        if (!m.hasMatch() || m.capturedLength() >= lines[i].size())
            continue;
        lines[i] = QString(wanted) + u'.' + lines[i].mid(m.capturedLength());
        letters[i] = wanted;
        option[i] = option[i + 1] = true;
        if (wanted != u'A')
            option[i - 1] = true;
        hasA = hasA || wanted == u'A';
    }
    for (qsizetype i = 1; i < n; ++i) {
        if (!option[i])
            continue;
        const QRegularExpressionMatch m = optionLetter().match(lines[i]);
        if (m.hasMatch())
            lines[i] = QString(letters[i]) + u'.' + lines[i].mid(m.capturedLength());
    }
}

// The dash between two figures ("GB/T 1.1—2020") read as the character 一, which would stay
// in the question's words where the dash drops out.
QString repairDashes(QString text)
{
    static const QRegularExpression dash(QStringLiteral("(?<=[0-9])一(?=[0-9])"));
    return text.replace(dash, QStringLiteral("—"));
}

} // namespace

QString RecognizedText::tidy(const QString &raw)
{
    QStringList lines;
    for (const QString &line : repairDashes(repairScores(raw)).split(u'\n')) {
        const QString tidied = tidyLine(line);
        if (!tidied.isEmpty())
            lines << tidied;
    }
    if (!lines.isEmpty())
        lines.front() = repairTypeLabel(repairNumber(lines.front()));
    repairOptionLetters(lines);
    return lines.join(u'\n');
}
