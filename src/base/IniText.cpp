#include "base/IniText.h"

namespace {

// One line of the text: [start, end) without its line end, next the start of the line after.
// A line ends at LF; a CR right before the LF belongs to the line end, any other CR to the text.
struct Line {
    qsizetype start;
    qsizetype end;
    qsizetype next;
};

template <typename View> Line lineAt(View text, qsizetype start)
{
    const qsizetype lf = text.indexOf(QLatin1Char('\n'), start);
    if (lf < 0)
        return {start, text.size(), text.size()};
    const qsizetype end = lf > start && text[lf - 1] == QLatin1Char('\r') ? lf - 1 : lf;
    return {start, end, lf + 1};
}

// The section name when the line is a section header: "[name]" after blanks, name trimmed.
template <typename View> std::optional<View> sectionName(View line)
{
    const View t = line.trimmed();
    if (t.isEmpty() || t.front() != QLatin1Char('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return t.sliced(1, close - 1).trimmed();
}

template <typename View> std::optional<View> keyName(View line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return line.first(eq).trimmed();
}

template <typename View> bool sameName(View a, const QString &b)
{
    return a.compare(QStringView(b), Qt::CaseInsensitive) == 0;
}

template <typename View>
std::optional<QString> findIn(View text, const QString &section, const QString &key)
{
    bool inSection = false;
    for (qsizetype at = 0; at < text.size();) {
        const Line l = lineAt(text, at);
        at = l.next;
        const View line = text.sliced(l.start, l.end - l.start);
        if (const auto name = sectionName(line)) {
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (const auto k = keyName(line); k && sameName(*k, key))
            return line.sliced(line.indexOf(QLatin1Char('=')) + 1).toString();
    }
    return std::nullopt;
}

// Where the new text differs from the old: [from, to) of the old text gives way to `piece`.
struct Edit {
    qsizetype from;
    qsizetype to;
    QString piece;
};

template <typename View>
Edit editFor(View text, const QString &section, const QString &key, const QString &value)
{
    const bool lfOnly = !text.contains(QLatin1StringView("\r\n")) && text.contains(u'\n');
    const QString eol = lfOnly ? QStringLiteral("\n") : QStringLiteral("\r\n");
    const QString entry = key + u'=' + value;
    const bool endsWithEol = text.isEmpty() || text.back() == QLatin1Char('\n');

    bool found = false;      // in or after the first section of that name
    qsizetype insertAt = -1; // after the section's last non-blank line
    for (qsizetype at = 0; at < text.size();) {
        const Line l = lineAt(text, at);
        at = l.next;
        const View line = text.sliced(l.start, l.end - l.start);
        if (const auto name = sectionName(line)) {
            if (found)
                break; // the section ends here
            if (sameName(*name, section)) {
                found = true;
                insertAt = l.next;
            }
            continue;
        }
        if (!found)
            continue;
        if (const auto k = keyName(line); k && sameName(*k, key))
            return {l.start, l.end, k->toString() + u'=' + value};
        if (!line.trimmed().isEmpty())
            insertAt = l.next;
    }
    if (found) {
        // Behind a last line that has no line end the new line needs one before it.
        if (insertAt == text.size() && !endsWithEol)
            return {insertAt, insertAt, eol + entry};
        return {insertAt, insertAt, entry + eol};
    }
    const QString newSection = u'[' + section + u']' + eol + entry;
    if (endsWithEol)
        return {text.size(), text.size(), newSection + eol};
    return {text.size(), text.size(), eol + newSection};
}

} // namespace

std::optional<QString> IniText::find(QLatin1StringView text, const QString &section,
                                     const QString &key)
{
    return findIn(text, section, key);
}

std::optional<QString> IniText::find(QStringView text, const QString &section, const QString &key)
{
    return findIn(text, section, key);
}

QByteArray IniText::withValue(QLatin1StringView text, const QString &section, const QString &key,
                              const QString &value)
{
    const Edit edit = editFor(text, section, key, value);
    const QByteArray piece = edit.piece.toLatin1();
    QByteArray out;
    out.reserve(text.size() - (edit.to - edit.from) + piece.size());
    out.append(text.data(), edit.from);
    out.append(piece);
    out.append(text.data() + edit.to, text.size() - edit.to);
    return out;
}

QString IniText::withValue(QStringView text, const QString &section, const QString &key,
                           const QString &value)
{
    const Edit edit = editFor(text, section, key, value);
    QString out;
    out.reserve(text.size() - (edit.to - edit.from) + edit.piece.size());
    out.append(text.first(edit.from));
    out.append(edit.piece);
    out.append(text.sliced(edit.to));
    return out;
}
