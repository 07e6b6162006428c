#include "FourCornerCodes.h"

#include <QFile>
#include <QTextStream>

bool FourCornerCodes::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    m_codes.clear();
    QTextStream in(&file);
    while (!in.atEnd()) {
        // "U+81EA	kFourCornerCode	2600.0": some characters have two codes, the first is the
        // usual one.
        const QString line = in.readLine();
        if (!line.startsWith(u"U+"))
            continue;
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 3 || fields[1] != u"kFourCornerCode")
            continue;
        bool ok = false;
        const uint code = fields[0].mid(2).toUInt(&ok, 16);
        if (!ok || code > 0xFFFF)
            continue;
        m_codes[char16_t(code)] = fields[2].section(u' ', 0, 0);
    }
    return !m_codes.empty();
}

QString FourCornerCodes::fullCode(char16_t c) const
{
    const auto it = m_codes.find(c);
    if (it == m_codes.end() || !it->second.contains(u'.'))
        return {};
    return it->second;
}
