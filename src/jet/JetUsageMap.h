#pragma once

#include <QByteArray>

#include <functional>
#include <vector>

// Usage maps: which pages belong to a table or a long-value column. A map is one row on a
// usage-map page, either inline (a start page and a 512-page bitmap) or, for pages spread
// wider, a reference to bitmap pages of type 0x05 covering 32736 pages each.
namespace JetUsageMap {

inline constexpr int kRowSize = 69;
inline constexpr quint32 kInlinePages = 64 * 8;
inline constexpr quint32 kPagesPerBitmapPage = (4096 - 4) * 8;

struct BitmapPage {
    quint32 number;
    QByteArray bytes;
};

// `pages` ascending. `allocate` hands out page numbers for bitmap pages, which are appended
// to `bitmapPages`. Throws BankInputError when the pages lie beyond what a map can reach.
QByteArray build(const std::vector<quint32> &pages, const std::function<quint32()> &allocate,
                 std::vector<BitmapPage> *bitmapPages);
bool needsReference(const std::vector<quint32> &pages);

// The global free-page map: bit set for every page at or past `pageCount`.
QByteArray freePages(quint32 pageCount, const std::function<quint32()> &allocate,
                     std::vector<BitmapPage> *bitmapPages);
// How many bitmap pages freePages() will allocate when the file has `pageCount` pages.
quint32 freePagesBitmapCount(quint32 pageCount);

} // namespace JetUsageMap
