#pragma once

#include "platform/StartPageStore.h"

#include <QString>

// Linux has no system browser start page. The value is kept where the user's own settings
// live, "$XDG_CONFIG_HOME/qinglan/start-page.ini" (default "~/.config"), key "Start Page" of
// section "Main", so that the write-once rule stays observable. No browser profile is touched.
class XdgStartPageStore : public StartPageStore {
public:
    // The file under the XDG configuration folder of the current environment.
    XdgStartPageStore();
    explicit XdgStartPageStore(const QString &filePath);

    static QString defaultFilePath();
    const QString &filePath() const { return m_filePath; }

    bool openKey() override;
    bool createKey() override;
    void closeKey() override;
    bool queryValueInfo(const std::u16string &name, ValueType &type,
                        std::size_t &byteSize) override;
    bool queryValueData(const std::u16string &name, ValueType &type,
                        std::vector<std::uint8_t> &data) override;
    bool setStringValue(const std::u16string &name, const std::u16string &text) override;

private:
    // The value as UTF-16LE with its NUL, as the registry would hand it out; empty if missing.
    std::vector<std::uint8_t> storedBytes(const std::u16string &name) const;

    QString m_filePath;
    bool m_open = false;
};
