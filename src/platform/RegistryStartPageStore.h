#pragma once

#include "platform/StartPageStore.h"

// The start page of the system browser: HKEY_CURRENT_USER
// "Software\Microsoft\Internet Explorer\Main". Windows only; plain Win32, no Qt.
class RegistryStartPageStore : public StartPageStore {
public:
    RegistryStartPageStore() = default;
    ~RegistryStartPageStore() override;
    RegistryStartPageStore(const RegistryStartPageStore &) = delete;
    RegistryStartPageStore &operator=(const RegistryStartPageStore &) = delete;

    bool openKey() override;
    bool createKey() override;
    void closeKey() override;
    bool queryValueInfo(const std::u16string &name, ValueType &type,
                        std::size_t &byteSize) override;
    bool queryValueData(const std::u16string &name, ValueType &type,
                        std::vector<std::uint8_t> &data) override;
    bool setStringValue(const std::u16string &name, const std::u16string &text) override;

private:
    // An HKEY, kept opaque so that this header does not pull in <windows.h>.
    void *m_key = nullptr;
};
