#include "platform/XdgStartPageStore.h"

#include "base/AppError.h"
#include "base/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <optional>

namespace {

const QString kSection = QStringLiteral("Main");

// The value exactly as it stands after "=" up to the end of its line. The registry hands out
// the stored text unchanged, so the comparison at exit must see blanks and quotation marks
// that the profile-string functions would strip. Names are matched without regard to case.
std::optional<QString> storedText(const QString &path, const QString &section, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One character per byte, as the settings writer stores it.
    const QStringList lines = QString::fromLatin1(file.readAll()).split(u'\n');
    bool inSection = false;
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[') && trimmed.contains(u']')) {
            const QString name = trimmed.mid(1, trimmed.indexOf(u']') - 1).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (inSection && eq >= 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return std::nullopt;
}

} // namespace

XdgStartPageStore::XdgStartPageStore() : XdgStartPageStore(defaultFilePath()) {}

XdgStartPageStore::XdgStartPageStore(const QString &filePath) : m_filePath(filePath) {}

QString XdgStartPageStore::defaultFilePath()
{
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/qinglan/start-page.ini");
}

bool XdgStartPageStore::openKey()
{
    const QFileInfo file(m_filePath);
    m_open = file.isFile() && file.isReadable();
    return m_open;
}

bool XdgStartPageStore::createKey()
{
    m_open = QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    return m_open;
}

void XdgStartPageStore::closeKey()
{
    m_open = false;
}

std::vector<std::uint8_t> XdgStartPageStore::storedBytes(const std::u16string &name) const
{
    const QString text =
        storedText(m_filePath, kSection, QString::fromStdU16String(name)).value_or(QString());
    std::vector<std::uint8_t> bytes;
    if (text.isEmpty())
        return bytes;
    for (const QChar unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit.unicode() & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit.unicode() >> 8));
    }
    bytes.insert(bytes.end(), 2, 0);
    return bytes;
}

bool XdgStartPageStore::queryValueInfo(const std::u16string &name, ValueType &type,
                                       std::size_t &byteSize)
{
    if (!m_open)
        return false;
    const std::vector<std::uint8_t> bytes = storedBytes(name);
    if (bytes.empty())
        return false;
    type = ValueType::String;
    byteSize = bytes.size();
    return true;
}

bool XdgStartPageStore::queryValueData(const std::u16string &name, ValueType &type,
                                       std::vector<std::uint8_t> &data)
{
    if (!m_open)
        return false;
    const std::vector<std::uint8_t> bytes = storedBytes(name);
    // Like the registry: a buffer too small for what is stored now is a failed read.
    if (bytes.empty() || bytes.size() > data.size())
        return false;
    type = ValueType::String;
    data = bytes;
    return true;
}

bool XdgStartPageStore::setStringValue(const std::u16string &name, const std::u16string &text)
{
    if (!m_open)
        return false;
    try {
        IniFile(m_filePath)
            .writeString(kSection, QString::fromStdU16String(name),
                         QString::fromStdU16String(text));
    } catch (const AppError &) {
        return false;
    }
    return true;
}
