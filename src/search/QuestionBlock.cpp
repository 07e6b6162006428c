#include "search/QuestionBlock.h"

#include <QRegularExpression>

namespace {

// The kinds of question a page names; the longer names first, so that they win.
const QString kLabels = QStringLiteral(
    "(?:不定项选择题|单项选择题|多项选择题|单选题|多选题|判断题|填空题|简答题|问答题|选择题|"
    "不定项|单选|多选|判断|填空)");
const QString kScore = QStringLiteral(
    "[(（\\[［【]\\s*(?:本题|分值[:：]?)?\\s*[0-9]+(?:\\.[0-9]+)?\\s*分\\s*[)）\\]］】]");

const QRegularExpression &leadingNumber()
{
    // A number before a full stop followed by a digit is a figure ("3.5倍"), not the page's.
    static const QRegularExpression re(QStringLiteral(
        "^(?:第\\s*[0-9]+\\s*[题題][、.．:：]?|[(（\\[［【]\\s*[0-9]+\\s*[)）\\]］】][、.．:：]?"
        "|[0-9]+\\s*(?:[、:：)）]|[.．](?![0-9])))\\s*"));
    return re;
}

const QRegularExpression &bracketedLabel()
{
    static const QRegularExpression re(QStringLiteral("[【\\[［(（]\\s*") + kLabels +
                                       QStringLiteral("\\s*[】\\]］)）]"));
    return re;
}

const QRegularExpression &bareLeadingLabel()
{
    static const QRegularExpression re(QStringLiteral("^") + kLabels +
                                       QStringLiteral("(?:\\s*[:：、.．]\\s*|\\s+|$)"));
    return re;
}

const QRegularExpression &score()
{
    static const QRegularExpression re(kScore);
    return re;
}

// A line a marked page adds after the question.
const QRegularExpression &answerLine()
{
    static const QRegularExpression re(QStringLiteral(
        "^(?:正确答案|参考答案|标准答案|我的答案|你的答案|答案|答题解析|解析)\\s*[:：]"));
    return re;
}

// A heading over a group of questions: "一、单选题（共10题，每题2分）".
const QRegularExpression &sectionHeading()
{
    static const QRegularExpression re(QStringLiteral("^[一二三四五六七八九十]+\\s*[、.．]\\s*") +
                                       kLabels);
    return re;
}

bool isBlank(QChar c)
{
    return c.isSpace() || c.unicode() < 0x20;
}

// Where the option marker for `letter` starts at `at`, and how long it is; 0 when none is there.
// The marker must stand at the start of a line or after a blank or a closing mark, so that a
// letter inside a word ("U盘", "维生素A") is never taken for one.
qsizetype markerLength(QStringView text, qsizetype at, char16_t letter)
{
    const bool lineStart = at == 0 || text[at - 1] == u'\n';
    if (!lineStart) {
        const QChar before = text[at - 1];
        static const QString closing = QStringLiteral("。．.？?！!；;，,)）]】」』\"”'’");
        if (!isBlank(before) && !closing.contains(before))
            return 0;
    }
    const auto upper = QChar(letter);
    const auto lower = QChar(letter - u'A' + u'a');
    const auto isLetter = [&](qsizetype i) {
        return i < text.size() && (text[i] == upper || text[i] == lower);
    };
    static const QString opening = QStringLiteral("(（[【");
    static const QString closingMarks = QStringLiteral(")）]】");
    if (at < text.size() && opening.contains(text[at]) && isLetter(at + 1) &&
        at + 2 < text.size() && closingMarks.contains(text[at + 2]))
        return 3;
    if (!isLetter(at))
        return 0;
    static const QString separators = QStringLiteral(".．、:：)）");
    if (at + 1 < text.size() && separators.contains(text[at + 1]))
        return 2;
    // A bare capital at the start of a line, followed by a blank or a Chinese character.
    if (lineStart && text[at] == upper && at + 1 < text.size() &&
        (isBlank(text[at + 1]) || text[at + 1].unicode() >= 0x2E80))
        return 1;
    return 0;
}

struct Marker {
    qsizetype at;
    qsizetype length;
};

// The markers A, B, C ... in order; none unless at least A and B are there.
QList<Marker> optionMarkers(QStringView text)
{
    QList<Marker> markers;
    char16_t letter = u'A';
    for (qsizetype at = 0; at < text.size() && letter <= u'H'; ++at) {
        if (const qsizetype length = markerLength(text, at, letter)) {
            markers.append({at, length});
            at += length - 1;
            ++letter;
        }
    }
    if (markers.size() < 2)
        markers.clear();
    return markers;
}

QString trimmedText(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

// Takes the page's number, type labels and scores off a stem, from its start and wherever a
// label or score stands in brackets.
QString strippedStem(QString stem)
{
    stem.remove(score());
    stem.remove(bracketedLabel());
    for (bool again = true; again;) {
        stem = trimmedText(stem);
        const qsizetype before = stem.size();
        for (const QRegularExpression *re : {&leadingNumber(), &bareLeadingLabel()}) {
            const QRegularExpressionMatch m = re->match(stem);
            if (m.hasMatch() && m.capturedLength() > 0)
                stem.remove(0, m.capturedLength());
        }
        again = stem.size() != before;
    }
    return stem;
}

} // namespace

QuestionBlock QuestionBlock::read(QStringView paste)
{
    // Lines apart, blanks around each line off, answer lines and headings dropped.
    QStringList lines;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= paste.size(); ++i) {
        if (i < paste.size() && paste[i] != u'\n' && paste[i] != u'\r')
            continue;
        const QString line = trimmedText(paste.mid(from, i - from));
        from = i + 1;
        if (line.isEmpty() || answerLine().match(line).hasMatch() ||
            sectionHeading().match(line).hasMatch())
            continue;
        lines.append(line);
    }
    const QString joined = lines.join(u'\n');

    QuestionBlock block;
    const QList<Marker> markers = optionMarkers(joined);
    QString stem = markers.isEmpty() ? joined : joined.left(markers.front().at);
    for (qsizetype k = 0; k < markers.size(); ++k) {
        const qsizetype begin = markers[k].at + markers[k].length;
        const qsizetype end = k + 1 < markers.size() ? markers[k + 1].at : joined.size();
        QString option = joined.mid(begin, end - begin);
        option.remove(score());
        option = trimmedText(option);
        if (!option.isEmpty())
            block.m_options.append(option);
    }
    // Each line of the stem loses its own number, label and score ("单选题" above "32. …");
    // a stem the page wrapped over lines is one line in the bank.
    QStringList stemLines;
    for (const QString &line : stem.split(u'\n'))
        stemLines.append(strippedStem(line));
    block.m_stem = strippedStem(stemLines.join(QString()));
    block.m_changed = block.m_stem != paste;
    return block;
}
