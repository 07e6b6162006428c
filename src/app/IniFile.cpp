#include "app/IniFile.h"

#include "app/AppError.h"
#include "app/IniNumber.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <optional>

namespace {

constexpr qsizetype kMaxValueLength = 2047;

struct IniLines {
    QStringList lines;
    QString eol = QStringLiteral("\r\n");
    bool endsWithEol = true;
};

IniLines readLines(const QString &path)
{
    IniLines ini;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ini;
    // One character per byte, so that lines the program does not touch are written back byte for
    // byte: a comment in another code page (say GBK, typed on a Chinese Windows) is not valid
    // UTF-8 and would otherwise come back as replacement characters. Names and values the program
    // reads and writes are ASCII.
    const QString text = QString::fromLatin1(file.readAll());
    if (text.isEmpty())
        return ini;
    if (!text.contains(QStringLiteral("\r\n")) && text.contains(u'\n'))
        ini.eol = QStringLiteral("\n");
    ini.endsWithEol = text.endsWith(u'\n');
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ini.lines = normalised.split(u'\n');
    if (ini.endsWithEol)
        ini.lines.removeLast();
    return ini;
}

// Returns the section name when the line is a section header.
std::optional<QString> sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

std::optional<QString> keyName(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    return line.left(eq).trimmed();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(kMaxValueLength);
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path) {}

QString IniFile::readString(const QString &section, const QString &key) const
{
    const IniLines ini = readLines(m_path);
    bool inSection = false;
    for (const QString &line : ini.lines) {
        if (const auto name = sectionName(line)) {
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (const auto k = keyName(line); k && sameName(*k, key))
            return unquoted(line.mid(line.indexOf(u'=') + 1));
    }
    return {};
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    const auto number = parseIniInteger(readString(section, key));
    return number ? *number != 0 : defaultValue;
}

void IniFile::WriteBool(const QString &section, const QString &key, bool value) const
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value) const
{
    IniLines ini = readLines(m_path);
    const QString entry = key + u'=' + value;

    qsizetype sectionStart = -1; // index of the header line
    qsizetype sectionEnd = -1;   // one past the last key line of the section
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < ini.lines.size(); ++i) {
        if (const auto name = sectionName(ini.lines[i])) {
            if (sectionStart >= 0 && sectionEnd < 0)
                sectionEnd = i;
            if (sectionStart < 0 && sameName(*name, section))
                sectionStart = i;
            continue;
        }
        if (sectionStart >= 0 && sectionEnd < 0 && keyLine < 0) {
            if (const auto k = keyName(ini.lines[i]); k && sameName(*k, key))
                keyLine = i;
        }
    }
    if (sectionStart >= 0 && sectionEnd < 0)
        sectionEnd = ini.lines.size();

    if (keyLine >= 0) {
        ini.lines[keyLine] = keyName(ini.lines[keyLine]).value() + u'=' + value;
    } else if (sectionStart >= 0) {
        // After the section's last non-blank line, so a blank separator line stays in place.
        qsizetype at = sectionEnd;
        while (at > sectionStart + 1 && ini.lines[at - 1].trimmed().isEmpty())
            --at;
        ini.lines.insert(at, entry);
    } else {
        ini.lines << u'[' + section + u']' << entry;
    }

    const QString unableToWrite = QStringLiteral("Unable to write to %1").arg(m_path);
    // Replacing through a rename would succeed over a read-only file in a writable folder;
    // the file's own write protection must still be honoured.
    // The owner's write bit is checked as well, so that the read-only mark holds even for root.
    const QFileInfo info(m_path);
    if (info.exists() && (!info.isFile() || !info.isWritable() ||
                          !info.permissions().testFlag(QFileDevice::WriteOwner)))
        throw AppError(unableToWrite);

    // Write beside the old file and rename over it: a crash or a full disk mid-write leaves
    // either the complete old content or the complete new one, never a truncated file.
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        throw AppError(unableToWrite);
    const QString text = ini.lines.join(ini.eol) + (ini.endsWithEol ? ini.eol : QString());
    const QByteArray bytes = text.toLatin1();
    if (out.write(bytes) != bytes.size() || !out.commit())
        throw AppError(unableToWrite);
    if (info.exists())
        QFile::setPermissions(m_path, info.permissions());
}
