#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Where the browser start page lives: the registry key of the current user on Windows, a small
// settings file on Linux. The operations mirror the registry calls one by one so that the
// rules built on them (StartPage.h) are the same everywhere and a fake can fail at any step.
// Plain C++ on purpose: the Windows implementation and its test are built without Qt.
class StartPageStore {
public:
    enum class ValueType { String, ExpandableString, Other };

    virtual ~StartPageStore() = default;

    // Opens the existing key; never creates it. False when it is missing or not accessible.
    virtual bool openKey() = 0;
    // Opens the key, creating it when missing. False when neither worked.
    virtual bool createKey() = 0;
    // Closes whatever key is open; harmless when none is.
    virtual void closeKey() = 0;
    // Type and size in bytes of a value of the open key. False when the value is missing.
    virtual bool queryValueInfo(const std::u16string &name, ValueType &type,
                                std::size_t &byteSize) = 0;
    // Reads the value into data (sized by the caller from queryValueInfo); on success type and
    // data hold what was read and data is cut to the bytes actually delivered.
    virtual bool queryValueData(const std::u16string &name, ValueType &type,
                                std::vector<std::uint8_t> &data) = 0;
    // Stores text as a plain string value with its terminating NUL. False on any failure,
    // including no open key.
    virtual bool setStringValue(const std::u16string &name, const std::u16string &text) = 0;
};
