#include "jet/JetUsageMap.h"

#include "jet/BankInputError.h"
#include "jet/JetFormat.h"

using namespace JetFormat;

namespace {

constexpr int kReferenceSlots = (JetUsageMap::kRowSize - 1) / 4;

void setBit(QByteArray &bits, qsizetype at, quint32 k)
{
    bits[at + k / 8] = char(bits[at + k / 8] | (1 << (k % 8)));
}

QByteArray bitmapPage()
{
    QByteArray page(kPageSize, '\0');
    page[0] = 0x05;
    page[1] = 0x01;
    return page;
}

} // namespace

bool JetUsageMap::needsReference(const std::vector<quint32> &pages)
{
    if (pages.empty())
        return false;
    const quint32 start = pages.front() / 8 * 8;
    return pages.back() - start >= kInlinePages;
}

QByteArray JetUsageMap::build(const std::vector<quint32> &pages,
                              const std::function<quint32()> &allocate,
                              std::vector<BitmapPage> *bitmapPages)
{
    QByteArray row(kRowSize, '\0');
    if (!needsReference(pages)) {
        const quint32 start = pages.empty() ? 0 : pages.front() / 8 * 8;
        put32(row, 1, start);
        for (const quint32 page : pages)
            setBit(row, 5, page - start);
        return row;
    }
    row[0] = 0x01;
    const quint32 last = pages.back() / kPagesPerBitmapPage;
    if (last >= quint32(kReferenceSlots))
        throw BankInputError(QStringLiteral("the bank would need more than %1 pages")
                                 .arg(kReferenceSlots * kPagesPerBitmapPage));
    std::size_t next = 0;
    for (quint32 j = 0; j <= last; ++j) {
        QByteArray page = bitmapPage();
        bool any = false;
        while (next < pages.size() && pages[next] / kPagesPerBitmapPage == j) {
            setBit(page, 4, pages[next] - j * kPagesPerBitmapPage);
            ++next;
            any = true;
        }
        if (!any)
            continue;
        const quint32 number = allocate();
        put32(row, 1 + 4 * j, number);
        bitmapPages->push_back({number, page});
    }
    return row;
}

quint32 JetUsageMap::freePagesBitmapCount(quint32 pageCount)
{
    if (pageCount < kInlinePages)
        return 0;
    // Bitmap pages for every window up to and including the one holding the first free page.
    quint32 count = pageCount / kPagesPerBitmapPage + 1;
    while ((pageCount + count) / kPagesPerBitmapPage + 1 != count)
        count = (pageCount + count) / kPagesPerBitmapPage + 1;
    return count;
}

QByteArray JetUsageMap::freePages(quint32 pageCount, const std::function<quint32()> &allocate,
                                  std::vector<BitmapPage> *bitmapPages)
{
    QByteArray row(kRowSize, '\0');
    if (pageCount < kInlinePages) {
        for (quint32 k = pageCount; k < kInlinePages; ++k)
            setBit(row, 5, k);
        return row;
    }
    row[0] = 0x01;
    const quint32 windows = freePagesBitmapCount(pageCount);
    if (windows > quint32(kReferenceSlots))
        throw BankInputError(QStringLiteral("the bank would need more than %1 pages")
                                 .arg(kReferenceSlots * kPagesPerBitmapPage));
    const quint32 total = pageCount + windows; // the bitmap pages themselves are in use
    for (quint32 j = 0; j < windows; ++j) {
        QByteArray page = bitmapPage();
        for (quint32 k = 0; k < kPagesPerBitmapPage; ++k)
            if (j * kPagesPerBitmapPage + k >= total)
                setBit(page, 4, k);
        const quint32 number = allocate();
        put32(row, 1 + 4 * j, number);
        bitmapPages->push_back({number, page});
    }
    return row;
}
