// Writes the table of look-alike characters that the tolerant lookup accepts as misreadings.
//
// Every character of GB 2312, the characters question banks are written in, is drawn in four
// common Chinese faces (a Ming and a Hei face each from two families, as exam pages and
// screenshots show them), and so is every other unified ideograph of the basic block that all
// four faces draw, as a misreading may produce one. Two characters are look-alikes when their
// drawings are close in all faces on average and one is among the other's nearest characters
// of GB 2312.
// The table is made from the fonts, not written by hand, so it covers the whole character set
// evenly; run this again after changing a face or a threshold:
//
//     qinglan-lookalikes src/search/LookalikeData.cpp
#include "GlyphShape.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <set>
#include <vector>

namespace {

const QStringList kFaces = {QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Micro Hei"),
                            QStringLiteral("Noto Serif CJK SC"),
                            QStringLiteral("Noto Sans CJK SC")};
constexpr int kPixelSize = 44;
// A look-alike is among the character's nearest kNearest and within kFarthest on average.
// Checked against pairs that teachers list as commonly confused (土/士, 侯/候, 辩/辨 ...): most
// of them are within these bounds, while characters that merely share a radical are not.
// A rare character, which a bank hardly holds, keeps only its few nearest, enough for the
// misreadings that produce it.
constexpr int kNearest = 10;
constexpr int kNearestOfRare = 3;
constexpr double kFarthest = 0.20;

// The other ideographs of the basic block that every face draws.
QString otherIdeographs(const QString &gb2312, const QList<QFont> &fonts)
{
    QString out;
    for (char16_t u = 0x4E00; u <= 0x9FFF; ++u) {
        if (gb2312.contains(QChar(u)))
            continue;
        const bool drawn = std::all_of(fonts.begin(), fonts.end(), [&](const QFont &font) {
            return QFontMetrics(font).inFontUcs4(u);
        });
        if (drawn)
            out += QChar(u);
    }
    return out;
}

QString gb2312Ideographs()
{
    QStringDecoder decoder("GB18030");
    QString out;
    for (int high = 0xB0; high <= 0xF7; ++high) {
        for (int low = 0xA1; low <= 0xFE; ++low) {
            const char bytes[2] = {char(high), char(low)};
            const QString c = decoder.decode(QByteArrayView(bytes, 2));
            if (c.size() == 1 && c[0].unicode() >= 0x4E00 && c[0].unicode() <= 0x9FFF)
                out += c;
        }
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Usage: qinglan-lookalikes OUTPUT.cpp\n");
        return 2;
    }
    const QString common = gb2312Ideographs();
    const qsizetype n = common.size();
    if (n < 6000) {
        std::fprintf(stderr, "This Qt cannot decode GB 2312 (%lld characters).\n", (long long)n);
        return 1;
    }
    QList<QFont> fonts;
    for (const QString &face : kFaces) {
        QFont font(face);
        font.setPixelSize(kPixelSize);
        font.setStyleStrategy(QFont::NoFontMerging);
        if (QFontInfo(font).family() != face) {
            std::fprintf(stderr, "The face \"%s\" is not installed.\n", qPrintable(face));
            return 1;
        }
        fonts.append(font);
    }
    // The common characters first: the nearest are looked for among them.
    const QString characters = common + otherIdeographs(common, fonts);
    const qsizetype all = characters.size();

    std::vector<std::vector<GlyphShape>> shapes;
    for (const QFont &font : fonts) {
        std::vector<GlyphShape> drawn;
        drawn.reserve(std::size_t(all));
        for (const QChar c : characters)
            drawn.emplace_back(font, c);
        shapes.push_back(std::move(drawn));
    }

    std::set<std::pair<char16_t, char16_t>> pairs;
    std::vector<double> distance(static_cast<std::size_t>(n));
    std::vector<qsizetype> order(static_cast<std::size_t>(n));
    for (qsizetype i = 0; i < all; ++i) {
        for (qsizetype j = 0; j < n; ++j) {
            double sum = 0;
            for (const auto &face : shapes)
                sum += face[std::size_t(i)].distanceTo(face[std::size_t(j)]);
            distance[std::size_t(j)] = sum / double(shapes.size());
        }
        std::iota(order.begin(), order.end(), 0);
        std::partial_sort(order.begin(), order.begin() + kNearest + 1, order.end(),
                          [&](qsizetype a, qsizetype b) {
                              return distance[std::size_t(a)] < distance[std::size_t(b)];
                          });
        const int nearest = i < n ? kNearest : kNearestOfRare;
        for (int k = 0; k <= nearest; ++k) {
            const qsizetype j = order[std::size_t(k)];
            if (j == i || distance[std::size_t(j)] > kFarthest)
                continue;
            const char16_t a = characters[i].unicode();
            const char16_t b = characters[j].unicode();
            pairs.insert({std::min(a, b), std::max(a, b)});
        }
    }

    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "Cannot write %s.\n", argv[1]);
        return 1;
    }
    QTextStream out(&file);
    out << "// Look-alike characters: written by tools/lookalikes from the glyphs of four Chinese\n"
           "// faces. Do not edit; run the tool again instead.\n"
           "#include \"search/LookalikeData.h\"\n\n"
           "// Pairs of characters, smaller code first, in ascending order.\n"
           "const char16_t kLookalikePairs[] =\n";
    QString line;
    qsizetype count = 0;
    for (const auto &[a, b] : pairs) {
        line += QChar(a);
        line += QChar(b);
        ++count;
        if (line.size() >= 48) {
            out << "    u\"" << line << "\"\n";
            line.clear();
        }
    }
    if (!line.isEmpty())
        out << "    u\"" << line << "\"\n";
    out << "    ;\n\nconst qsizetype kLookalikePairCount = " << count << ";\n";
    std::fprintf(stderr, "%lld pairs of %lld characters\n", (long long)count, (long long)all);
    return 0;
}
