#pragma once

#include <QChar>
#include <QFont>
#include <QRect>

#include <array>
#include <cstdint>

// The ink of one character drawn in one face, as a 48 x 48 bitmap, and how far another drawing
// is from it. Two drawings are close when nearly every ink pixel of each lies within one pixel of
// the other's ink: a recogniser, and an eye reading small print, confuses exactly those
// characters that differ in a short stroke or a dot (土/士, 未/末, 己/已).
class GlyphShape {
public:
    static constexpr int kSide = 48;

    // Which part of the cell a comparison looks at: one mask of kSide bits per row.
    using Rows = std::array<std::uint64_t, kSide>;

    GlyphShape() = default;
    GlyphShape(const QFont &font, QChar character);
    // The character squeezed into `part` of the cell, as it stands beside a radical that takes
    // the rest (属 in 嘱, 冈 in 岗).
    GlyphShape(const QFont &font, QChar character, const QRect &part);

    // The share of ink pixels, of both drawings together, that have no ink of the other drawing
    // within one pixel: 0 for the same drawing, near 1 for unrelated ones.
    double distanceTo(const GlyphShape &other) const;
    // The same for the ink inside `region` only.
    double distanceTo(const GlyphShape &other, const Rows &region) const;
    static Rows regionOf(const QRect &part);
    bool isBlank() const { return m_inkPixels == 0; }

private:
    Rows m_ink{};
    Rows m_grown{}; // the ink widened by one pixel in every direction
    int m_inkPixels = 0;
};
