#include "GlyphShape.h"

#include <QImage>
#include <QPainter>

#include <bit>

namespace {

constexpr std::uint64_t kRowMask = (std::uint64_t(1) << GlyphShape::kSide) - 1;

} // namespace

GlyphShape::GlyphShape(const QFont &font, QChar character)
    : GlyphShape(font, character, QRect(0, 0, kSide, kSide))
{
}

GlyphShape::GlyphShape(const QFont &font, QChar character, const QRect &part)
{
    QImage image(kSide, kSide, QImage::Format_Grayscale8);
    image.fill(0);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.translate(part.x(), part.y());
    painter.scale(double(part.width()) / kSide, double(part.height()) / kSide);
    // Centred in the cell as text sits in a line: the position of a stroke counts, as it does
    // for a reader.
    painter.drawText(QRect(0, 0, kSide, kSide), Qt::AlignCenter, QString(character));
    painter.end();

    for (int y = 0; y < kSide; ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < kSide; ++x) {
            if (line[x] >= 128)
                m_ink[y] |= std::uint64_t(1) << x;
        }
        m_inkPixels += std::popcount(m_ink[y]);
    }
    for (int y = 0; y < kSide; ++y) {
        std::uint64_t grown = 0;
        for (int dy = -1; dy <= 1; ++dy) {
            if (y + dy < 0 || y + dy >= kSide)
                continue;
            const std::uint64_t row = m_ink[y + dy];
            grown |= row | (row << 1) | (row >> 1);
        }
        m_grown[y] = grown & kRowMask;
    }
}

double GlyphShape::distanceTo(const GlyphShape &other) const
{
    int apart = 0;
    for (int y = 0; y < kSide; ++y) {
        apart += std::popcount(m_ink[y] & ~other.m_grown[y]);
        apart += std::popcount(other.m_ink[y] & ~m_grown[y]);
    }
    return double(apart) / double(m_inkPixels + other.m_inkPixels + 1);
}

double GlyphShape::distanceTo(const GlyphShape &other, const Rows &region) const
{
    int apart = 0;
    int ink = 0;
    for (int y = 0; y < kSide; ++y) {
        const std::uint64_t mine = m_ink[y] & region[y];
        const std::uint64_t theirs = other.m_ink[y] & region[y];
        apart += std::popcount(mine & ~other.m_grown[y]) + std::popcount(theirs & ~m_grown[y]);
        ink += std::popcount(mine) + std::popcount(theirs);
    }
    return double(apart) / double(ink + 1);
}

GlyphShape::Rows GlyphShape::regionOf(const QRect &part)
{
    Rows rows{};
    const std::uint64_t columns = ((std::uint64_t(1) << part.width()) - 1) << part.x();
    for (int y = part.top(); y <= part.bottom(); ++y)
        rows[y] = columns & kRowMask;
    return rows;
}
