#pragma once

#include "GlyphShape.h"

#include <QList>
#include <QRect>
#include <QString>

#include <vector>

// Compares a character with another one's main component, the part right of or below a
// radical, where the whole-glyph distance sees mostly the radical: 嘱 holds 属 beside 口, 试
// holds 式 beside 讠, 岗 holds 冈 under 山. Readers and recognisers drop or add such a radical,
// as the part that carries most of the strokes is the same, yet a one-pixel distance over the
// whole cell puts the two far apart. Two characters that share a main component beside two
// different radicals are not compared this way: the radical carries the meaning, and the pair
// is usually two real words (出境 and 出镜, 根 and 跟), which a lookup must not take for each
// other.
class ComponentShapes {
public:
    // Faces in the order of `shapes`, and the characters `shapes` holds for each face.
    using Shapes = std::vector<std::vector<GlyphShape>>;

    ComponentShapes(const QList<QFont> &fonts, const QString &characters, const Shapes &shapes);

    // How far the main component of character `whole` is from character `part` drawn squeezed
    // into its place, averaged over the faces, at the best of the places tried. A place whose
    // average is sure to end beyond `limit`, or where one face alone is far beyond it, is given
    // up at once (most pairs are far apart), so any result beyond `limit` only says "too far".
    double radicalAdded(qsizetype whole, qsizetype part, double limit) const;

private:
    const Shapes &m_shapes;
    std::vector<GlyphShape::Rows> m_regions;
    std::vector<Shapes> m_squeezed; // per place: per face, per character
};
