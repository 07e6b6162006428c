#include "platform/XdgStartPageStore.h"

#include "app/AppError.h"
#include "app/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kSection = QStringLiteral("Main");

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
    const QString text = IniFile(m_filePath).readString(kSection, QString::fromStdU16String(name));
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
