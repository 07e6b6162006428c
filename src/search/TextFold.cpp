#include "search/TextFold.h"

#include <array>

namespace {

char16_t computeFold(char16_t unit)
{
    if (unit >= 0xFF01 && unit <= 0xFF5E)
        unit = char16_t(unit - 0xFEE0);
    else if (unit == 0x3000)
        unit = u' ';
    if (unit >= u'A' && unit <= u'Z')
        return char16_t(unit + (u'a' - u'A'));
    // Other Latin letters (accented, extended): simple case folding, which stays in the BMP
    // and in one unit for these blocks.
    if ((unit >= 0x00C0 && unit < 0x0250) || (unit >= 0x1E00 && unit < 0x1F00))
        return char16_t(QChar::toCaseFolded(char32_t(unit)));
    return unit;
}

// One table for all 65,536 units: folding a million questions at connect time stays cheap.
const std::array<char16_t, 0x10000> &foldTable()
{
    static const auto table = [] {
        std::array<char16_t, 0x10000> t{};
        for (int u = 0; u < 0x10000; ++u)
            t[u] = computeFold(char16_t(u));
        return t;
    }();
    return table;
}

} // namespace

char16_t foldUnit(char16_t unit)
{
    return foldTable()[unit];
}

QString foldText(QStringView text)
{
    const auto &table = foldTable();
    QString folded(text.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(folded.data());
    const char16_t *in = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = table[in[i]];
    return folded;
}
