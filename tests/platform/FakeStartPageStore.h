#pragma once

#include "platform/StartPageStore.h"

#include <optional>
#include <string>
#include <vector>

// An in-memory start-page store that records every call and can fail at any step.
class FakeStartPageStore : public StartPageStore {
public:
    struct Value {
        ValueType type = ValueType::String;
        std::vector<std::uint8_t> bytes;
    };

    // Contents: whether the key exists, and the value "Start Page" if there is one.
    bool keyExists = true;
    std::optional<Value> value;

    // Injected failures.
    bool failOpen = false;
    bool failCreate = false;
    bool failDataRead = false;
    bool failSet = false;

    // What happened.
    std::vector<std::string> calls;
    int writes = 0;
    bool keyOpen = false;

    static Value stringValue(const std::u16string &text, ValueType type = ValueType::String,
                             bool withNul = true);
    std::u16string storedText() const;

    bool openKey() override;
    bool createKey() override;
    void closeKey() override;
    bool queryValueInfo(const std::u16string &name, ValueType &type,
                        std::size_t &byteSize) override;
    bool queryValueData(const std::u16string &name, ValueType &type,
                        std::vector<std::uint8_t> &data) override;
    bool setStringValue(const std::u16string &name, const std::u16string &text) override;
};
