#include "ComponentShapes.h"

#include <algorithm>
#include <limits>

namespace {

// Where a main component stands: right of a left radical or below a top one that takes a
// quarter to three eighths of the cell (口, 讠, 亻 and 阝 take about that; 山, 艹 and 宀 on
// top). A larger radical leaves a part too small to call the character's main one.
QList<QRect> componentPlaces()
{
    constexpr int side = GlyphShape::kSide;
    QList<QRect> places;
    for (const int radical : {12, 15, 18}) {
        places.append(QRect(radical, 0, side - radical, side));
        places.append(QRect(0, radical, side, side - radical));
    }
    return places;
}

// A component must match in every face, not in three of them with the fourth far off: no face
// may be further than this many times the limit on the average. It also lets most pairs, which
// are far apart in the first face already, be given up after one face.
constexpr double kFaceFactor = 2.5;

} // namespace

ComponentShapes::ComponentShapes(const QList<QFont> &fonts, const QString &characters,
                                 const Shapes &shapes)
    : m_shapes(shapes)
{
    for (const QRect &place : componentPlaces()) {
        m_regions.push_back(GlyphShape::regionOf(place));
        Shapes squeezed;
        for (const QFont &font : fonts) {
            std::vector<GlyphShape> drawn;
            drawn.reserve(std::size_t(characters.size()));
            for (const QChar c : characters)
                drawn.emplace_back(font, c, place);
            squeezed.push_back(std::move(drawn));
        }
        m_squeezed.push_back(std::move(squeezed));
    }
}

double ComponentShapes::radicalAdded(qsizetype whole, qsizetype part, double limit) const
{
    const double faces = double(m_shapes.size());
    double best = std::numeric_limits<double>::max();
    for (std::size_t p = 0; p < m_regions.size(); ++p) {
        double sum = 0;
        for (std::size_t face = 0; face < m_shapes.size(); ++face) {
            const double d = m_shapes[face][std::size_t(whole)].distanceTo(
                m_squeezed[p][face][std::size_t(part)], m_regions[p]);
            sum += d;
            if (d > kFaceFactor * limit || sum > limit * faces) {
                sum = std::numeric_limits<double>::max();
                break;
            }
        }
        best = std::min(best, sum / faces);
    }
    return best;
}
