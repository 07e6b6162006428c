// Console test of the registry start-page store, cross-built with mingw-w64 and run under Wine
// against Wine's real registry. Exits 0 when every check passed.
#include "platform/RegistryStartPageStore.h"
#include "platform/StartPage.h"
#include "platform/StartPageError.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t kKeyPath[] = L"Software\\Microsoft\\Internet Explorer\\Main";
const std::u16string kAddress = u"http://hao.qinglan.example";
int g_failures = 0;

void check(bool ok, const char *what)
{
    std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what);
    if (!ok)
        ++g_failures;
}

// Forwards to the real store and counts the writes, so "not rewritten" is observable.
class CountingStore : public StartPageStore {
public:
    bool openKey() override { return m_real.openKey(); }
    bool createKey() override { return m_real.createKey(); }
    void closeKey() override { m_real.closeKey(); }
    bool queryValueInfo(const std::u16string &name, ValueType &type, std::size_t &byteSize) override
    {
        return m_real.queryValueInfo(name, type, byteSize);
    }
    bool queryValueData(const std::u16string &name, ValueType &type,
                        std::vector<std::uint8_t> &data) override
    {
        return m_real.queryValueData(name, type, data);
    }
    bool setStringValue(const std::u16string &name, const std::u16string &text) override
    {
        ++writes;
        return m_real.setStringValue(name, text);
    }
    int writes = 0;

private:
    RegistryStartPageStore m_real;
};

void deleteKey()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKeyPath);
}

bool keyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Replaces the key by one holding "Start Page" with exactly these bytes and this type.
void putValue(DWORD type, const std::vector<BYTE> &bytes)
{
    deleteKey();
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExW(key, L"Start Page", 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

std::vector<BYTE> utf16(const std::u16string &text, bool withNul = true)
{
    std::vector<BYTE> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    if (withNul) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

struct Stored {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

Stored readValue()
{
    Stored stored;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return stored;
    DWORD size = 0;
    if (RegQueryValueExW(key, L"start page", nullptr, &stored.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        stored.bytes.resize(size);
        stored.present = RegQueryValueExW(key, L"start page", nullptr, &stored.type,
                                          stored.bytes.data(), &size) == ERROR_SUCCESS;
        stored.bytes.resize(size);
    }
    RegCloseKey(key);
    return stored;
}

// Runs the exit step; returns the error message, or "" when none was raised.
std::string runStep(CountingStore &store)
{
    try {
        setStartPageUnlessCurrent(store, kAddress);
    } catch (const StartPageError &error) {
        return error.what();
    }
    return {};
}

bool holdsAddressAsString()
{
    const Stored stored = readValue();
    return stored.present && stored.type == REG_SZ && stored.bytes == utf16(kAddress);
}

void missingKeyIsCreated()
{
    deleteKey();
    check(!keyExists(), "key removed before the run");
    RegistryStartPageStore probe;
    check(!probe.openKey(), "opening a missing key fails and does not create it");
    check(!keyExists(), "the failed open left no key behind");
    CountingStore store;
    check(runStep(store).empty(), "missing key: no error");
    check(store.writes == 1, "missing key: written once");
    check(holdsAddressAsString(), "missing key: created, REG_SZ with its NUL");
}

void valueMissingOrEmpty()
{
    putValue(REG_SZ, {});
    CountingStore empty;
    check(runStep(empty).empty() && empty.writes == 1, "empty value: written");
    check(holdsAddressAsString(), "empty value: now the address");

    deleteKey();
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegCloseKey(key);
    CountingStore missing;
    check(runStep(missing).empty() && missing.writes == 1, "value missing in the key: written");
    check(holdsAddressAsString(), "value missing in the key: now the address");
}

void equalValueNotRewritten()
{
    putValue(REG_SZ, utf16(kAddress));
    CountingStore store;
    check(runStep(store).empty(), "equal REG_SZ: no error");
    check(store.writes == 0, "equal REG_SZ: not rewritten");
}

void expandableStringReadAsStored()
{
    putValue(REG_EXPAND_SZ, utf16(kAddress));
    CountingStore store;
    check(runStep(store).empty() && store.writes == 0, "equal REG_EXPAND_SZ: not rewritten");
    check(readValue().type == REG_EXPAND_SZ, "equal REG_EXPAND_SZ: type kept");

    // Taken as stored, not expanded: %SystemRoot% never equals anything but itself.
    RegistryStartPageStore reader;
    putValue(REG_EXPAND_SZ, utf16(u"%SystemRoot%\\x"));
    std::u16string page = u"untouched";
    ReadStartPage(reader, page);
    check(page == u"%SystemRoot%\\x", "REG_EXPAND_SZ read without expansion");
}

void differencesAreWritten()
{
    const std::u16string variants[] = {u"http://HAO.qinglan.example", kAddress + u"/",
                                       kAddress + u" ", u"about:blank"};
    for (const std::u16string &variant : variants) {
        putValue(REG_SZ, utf16(variant));
        CountingStore store;
        check(runStep(store).empty() && store.writes == 1 && holdsAddressAsString(),
              "differing REG_SZ (case, slash, space, other): overwritten");
    }
}

void embeddedNul()
{
    putValue(REG_SZ, utf16(kAddress + u'\0' + u"tail"));
    CountingStore equalBefore;
    check(runStep(equalBefore).empty() && equalBefore.writes == 0,
          "address, NUL, tail: only the part before the NUL counts, not rewritten");

    putValue(REG_SZ, utf16(u"x" + std::u16string(1, u'\0') + kAddress));
    CountingStore differentBefore;
    check(runStep(differentBefore).empty() && differentBefore.writes == 1 && holdsAddressAsString(),
          "other text, NUL, address: rewritten");

    // No terminating NUL at all: the whole data is the text.
    putValue(REG_SZ, utf16(kAddress, false));
    CountingStore unterminated;
    check(runStep(unterminated).empty() && unterminated.writes == 0,
          "REG_SZ without its NUL still equals the address");
}

void otherTypesAreInvalid()
{
    const DWORD number = 1;
    putValue(REG_DWORD, std::vector<BYTE>(reinterpret_cast<const BYTE *>(&number),
                                          reinterpret_cast<const BYTE *>(&number) + 4));
    CountingStore dword;
    check(runStep(dword) == "Invalid data type for 'start page'", "REG_DWORD: invalid type");
    check(dword.writes == 0 && readValue().type == REG_DWORD, "REG_DWORD: nothing written");

    std::vector<BYTE> multi = utf16(kAddress);
    multi.push_back(0);
    multi.push_back(0);
    putValue(REG_MULTI_SZ, multi);
    CountingStore multiString;
    check(runStep(multiString) == "Invalid data type for 'start page'",
          "REG_MULTI_SZ: invalid type");
    check(multiString.writes == 0, "REG_MULTI_SZ: nothing written");
}

void keyIsClosedAfterEachCall()
{
    // A store whose key stays open after an error would keep a handle; closing twice is safe.
    putValue(REG_DWORD, std::vector<BYTE>(4, 0));
    RegistryStartPageStore store;
    std::u16string page;
    try {
        ReadStartPage(store, page);
    } catch (const StartPageError &) {
    }
    std::size_t size = 0;
    StartPageStore::ValueType type;
    check(!store.queryValueInfo(u"start page", type, size), "key closed after a failed read");
    check(!store.setStringValue(u"Start Page", kAddress), "no write without an open key");
}

} // namespace

int main()
{
    missingKeyIsCreated();
    valueMissingOrEmpty();
    equalValueNotRewritten();
    expandableStringReadAsStored();
    differencesAreWritten();
    embeddedNul();
    otherTypesAreInvalid();
    keyIsClosedAfterEachCall();
    deleteKey();
    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
