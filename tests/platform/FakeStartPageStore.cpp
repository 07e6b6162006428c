#include "FakeStartPageStore.h"

#include <algorithm>
#include <cctype>

namespace {

// Value names are case-insensitive, as in the registry.
bool isStartPage(const std::u16string &name)
{
    const std::u16string expected = u"start page";
    return name.size() == expected.size() &&
           std::equal(name.begin(), name.end(), expected.begin(),
                      [](char16_t a, char16_t b) { return (a < 128 ? std::tolower(a) : a) == b; });
}

} // namespace

FakeStartPageStore::Value FakeStartPageStore::stringValue(const std::u16string &text,
                                                          ValueType type, bool withNul)
{
    Value value;
    value.type = type;
    for (char16_t unit : text) {
        value.bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        value.bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    if (withNul)
        value.bytes.insert(value.bytes.end(), 2, 0);
    return value;
}

std::u16string FakeStartPageStore::storedText() const
{
    std::u16string text;
    if (!value)
        return text;
    for (std::size_t i = 0; i + 1 < value->bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(value->bytes[i] | (value->bytes[i + 1] << 8)));
    return text;
}

bool FakeStartPageStore::openKey()
{
    calls.push_back("open");
    keyOpen = keyExists && !failOpen;
    return keyOpen;
}

bool FakeStartPageStore::createKey()
{
    calls.push_back("create");
    if (failCreate)
        return false;
    keyExists = true;
    keyOpen = true;
    return true;
}

void FakeStartPageStore::closeKey()
{
    calls.push_back("close");
    keyOpen = false;
}

bool FakeStartPageStore::queryValueInfo(const std::u16string &name, ValueType &type,
                                        std::size_t &byteSize)
{
    calls.push_back("info");
    if (!keyOpen || !value || !isStartPage(name))
        return false;
    type = value->type;
    byteSize = value->bytes.size();
    return true;
}

bool FakeStartPageStore::queryValueData(const std::u16string &name, ValueType &type,
                                        std::vector<std::uint8_t> &data)
{
    calls.push_back("data");
    if (!keyOpen || !value || !isStartPage(name) || failDataRead ||
        data.size() < value->bytes.size())
        return false;
    type = value->type;
    data = value->bytes;
    return true;
}

bool FakeStartPageStore::setStringValue(const std::u16string &name, const std::u16string &text)
{
    calls.push_back("set");
    if (!keyOpen || failSet || !isStartPage(name))
        return false;
    ++writes;
    value = stringValue(text);
    return true;
}
