#include "platform/RegistryStartPageStore.h"

#include <windows.h>

namespace {

const wchar_t kKeyPath[] = L"Software\\Microsoft\\Internet Explorer\\Main";

// wchar_t is the UTF-16 code unit on Windows; copy rather than alias the two types.
std::wstring toWide(const std::u16string &text)
{
    return std::wstring(text.begin(), text.end());
}

StartPageStore::ValueType typeOf(DWORD registryType)
{
    switch (registryType) {
    case REG_SZ:
        return StartPageStore::ValueType::String;
    case REG_EXPAND_SZ:
        return StartPageStore::ValueType::ExpandableString;
    default:
        return StartPageStore::ValueType::Other;
    }
}

} // namespace

RegistryStartPageStore::~RegistryStartPageStore()
{
    closeKey();
}

bool RegistryStartPageStore::openKey()
{
    closeKey();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    m_key = key;
    return true;
}

bool RegistryStartPageStore::createKey()
{
    closeKey();
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    m_key = key;
    return true;
}

void RegistryStartPageStore::closeKey()
{
    if (m_key == nullptr)
        return;
    RegCloseKey(static_cast<HKEY>(m_key));
    m_key = nullptr;
}

bool RegistryStartPageStore::queryValueInfo(const std::u16string &name, ValueType &type,
                                            std::size_t &byteSize)
{
    DWORD registryType = REG_NONE;
    DWORD size = 0;
    if (m_key == nullptr ||
        RegQueryValueExW(static_cast<HKEY>(m_key), toWide(name).c_str(), nullptr, &registryType,
                         nullptr, &size) != ERROR_SUCCESS)
        return false;
    type = typeOf(registryType);
    byteSize = size;
    return true;
}

bool RegistryStartPageStore::queryValueData(const std::u16string &name, ValueType &type,
                                            std::vector<std::uint8_t> &data)
{
    DWORD registryType = REG_NONE;
    DWORD size = static_cast<DWORD>(data.size());
    if (m_key == nullptr ||
        RegQueryValueExW(static_cast<HKEY>(m_key), toWide(name).c_str(), nullptr, &registryType,
                         data.data(), &size) != ERROR_SUCCESS)
        return false;
    type = typeOf(registryType);
    data.resize(size);
    return true;
}

bool RegistryStartPageStore::setStringValue(const std::u16string &name, const std::u16string &text)
{
    if (m_key == nullptr)
        return false;
    const std::wstring wide = toWide(text);
    // REG_SZ data carries its terminating NUL.
    const DWORD size = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(static_cast<HKEY>(m_key), toWide(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE *>(wide.c_str()), size) == ERROR_SUCCESS;
}
