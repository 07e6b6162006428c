#include "platform/StartPage.h"

#include "platform/StartPageError.h"
#include "platform/StartPageStore.h"

namespace {

// Value names are case-insensitive in the registry; the two spellings come from the two
// messages that name them.
const std::u16string kReadName = u"start page";
const std::u16string kWriteName = u"Start Page";

// Closes the key on every way out, errors included.
class OpenKey {
public:
    explicit OpenKey(StartPageStore &store) : m_store(store) {}
    ~OpenKey() { m_store.closeKey(); }
    OpenKey(const OpenKey &) = delete;
    OpenKey &operator=(const OpenKey &) = delete;

private:
    StartPageStore &m_store;
};

std::u16string textUpToNul(const std::vector<std::uint8_t> &data)
{
    std::u16string text;
    // UTF-16LE; an odd trailing byte is not a code unit.
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == u'\0')
            break;
        text.push_back(unit);
    }
    return text;
}

} // namespace

void ReadStartPage(StartPageStore &store, std::u16string &page)
{
    if (!store.openKey())
        return;
    OpenKey closer(store);
    StartPageStore::ValueType type = StartPageStore::ValueType::Other;
    std::size_t size = 0;
    if (!store.queryValueInfo(kReadName, type, size) || size == 0) {
        page.clear();
        return;
    }
    std::vector<std::uint8_t> data(size);
    if (!store.queryValueData(kReadName, type, data))
        throw StartPageError("Failed to get data for 'start page'");
    if (type != StartPageStore::ValueType::String &&
        type != StartPageStore::ValueType::ExpandableString)
        throw StartPageError("Invalid data type for 'start page'");
    page = textUpToNul(data);
}

void WriteStartPage(StartPageStore &store, const std::u16string &address)
{
    // A failed create leaves no key open, and then the store itself refuses the write.
    store.createKey();
    OpenKey closer(store);
    if (!store.setStringValue(kWriteName, address))
        throw StartPageError("Failed to set data for 'Start Page'");
}

bool setStartPageUnlessCurrent(StartPageStore &store, const std::u16string &address)
{
    std::u16string current;
    ReadStartPage(store, current);
    if (current == address)
        return false;
    WriteStartPage(store, address);
    return true;
}
