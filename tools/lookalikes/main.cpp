// Writes the table of look-alike characters that the tolerant lookup accepts as misreadings.
// Two real sources make it, neither a hand list, so it covers the whole character set evenly:
//
// The glyphs. Every character of GB 2312, the characters question banks are written in, is
// drawn in four common Chinese faces (a Ming and a Hei face each from two families, as exam
// pages and screenshots show them), and so is every other unified ideograph of the basic block
// that all four faces draw, as a misreading may produce one. Two characters are look-alikes when
//  - their whole drawings are close in all faces on average (kFarthest) and one is among the
//    other's nearest characters of GB 2312 (kNearest), or one is the other's very nearest
//    within kFarthestOfNearest;
//  - or, among GB 2312, one is the other's main component with a radical added (属/嘱, 式/试,
//    冈/岗): the part right of or below the radical matches the other character squeezed into
//    its place within kComponentFarthest (ComponentShapes), and the pair is among the
//    character's kComponentNearest by that measure. Two characters that share a component
//    beside different radicals are left to the whole-glyph distance: they are mostly two real
//    words (出境/出镜), and a lookup must not take one for the other.
//  - or one is among the other's kNearest within kFarthestOfNearest, the bound of the very
//    nearest, and both have the same full four-corner code (FourCornerCodes: the stroke shapes
//    at all four corners and above the lower right one, as a dictionary codes them). The code
//    is a second, independent witness that the outlines agree and the characters differ
//    inside, where a reader's eye slips (白/自). The code alone says too little: in a
//    character with a radical two corners are the radical's, so 桐/棚 and 碎/醉 share theirs,
//    and even single shapes share codes with characters that look nothing like them (三/正,
//    中/史); the drawing bounds keep those out.
//
// The recogniser. qinglan-confusions drew all of GB 2312 in shuffled lines in three faces at
// 14 to 18 px (AR PL UMing also without anti-aliasing, as the browser draws it) and counted
// what Tesseract, through the window's own recognition path, read for each character. A pair whose
// drawn character was read as the other at least kSightings times and in at least kShare of its
// drawings is a look-alike: a single reading may come from its neighbours on the line, a repeated
// one, with other neighbours each time, from the shape. It also drew lines of ordinary
// Chinese text (--corpus-confusions), where the model misreads a character among its own words;
// the same rule holds there per character drawn, and the drawings must be near (kCorpusWhole).
// The same lines drawn as pictures that are no clean screenshot, shrunk, recompressed or
// photographed (--degraded-confusions), are counted under the same rule.
//
// Run this again after changing a face, a threshold or the confusion counts:
//
//     bzcat /usr/share/unicode/Unihan_DictionaryLikeData.txt.bz2 > build/unihan-shapes.txt
//     qinglan-lookalikes src/search/LookalikeData.cpp tools/lookalikes/recogniser-confusions.tsv \
//         --corpus-confusions tools/lookalikes/corpus-confusions.tsv \
//         --degraded-confusions tools/lookalikes/degraded-confusions.tsv \
//         --unihan build/unihan-shapes.txt
//
// --report FILE lists each pair with its sources and whole-glyph distance, to check a change.
//
// --without-face FACE or --without-size PX leaves that face's or size's confusion counts out,
// for a table to measure pictures of that face or size with (held out from the source).
#include "ComponentShapes.h"
#include "FourCornerCodes.h"
#include "Gb2312.h"
#include "GlyphShape.h"
#include "RecogniserConfusions.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numeric>
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
// A character's very nearest drawing is the likeliest misreading of it, even a little further.
constexpr double kFarthestOfNearest = 0.25;
// A main component is compared on some two thirds of the cell and leaves the radical out, so it
// must match more closely than a whole drawing: as close as pairs that differ in one short
// stroke do over the whole cell (清/请 0.09 on average). Drawings further apart on the whole
// than kComponentWhole share little more than a radical. A character keeps as many nearest
// by its main component as by its whole drawing.
constexpr double kComponentFarthest = 0.12;
constexpr double kComponentWhole = 0.40;
constexpr int kComponentNearest = kNearest;
// A misread word of ordinary text is another word of the same length, which the model may
// choose for the words around it rather than for each character's shape (允 read as 多, 又 as
// 素 in misread stretches). Its characters count as look-alikes only when their drawings are
// no further apart than a character's very nearest drawing may be.
constexpr double kCorpusWhole = kFarthestOfNearest;
// Recogniser confusions: seen at least twice, and in at least 1 of 20 drawings of the
// character (3 drawings in each of 20 faces, renderings and sizes make 60: 3 sightings).
constexpr int kSightings = 2;
constexpr double kShare = 0.05;

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

// Why a pair is in the table, for the figures the tool prints.
enum Source {
    WholeGlyph = 1,
    Component = 2,
    Recogniser = 4,
    FourCorner = 8,
    Corpus = 16,
    Degraded = 32
};

struct Options {
    QString output;
    QString confusions;
    QString corpusConfusions;
    QString degradedConfusions;
    QString unihan;
    QString report;
    QString leftOutFace;
    int leftOutPixelSize = 0;
};

bool parse(const QStringList &arguments, Options &options)
{
    QStringList positional;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == u"--without-face" && i + 1 < arguments.size())
            options.leftOutFace = arguments[++i];
        else if (arguments[i] == u"--without-size" && i + 1 < arguments.size())
            options.leftOutPixelSize = arguments[++i].toInt();
        else if (arguments[i] == u"--corpus-confusions" && i + 1 < arguments.size())
            options.corpusConfusions = arguments[++i];
        else if (arguments[i] == u"--degraded-confusions" && i + 1 < arguments.size())
            options.degradedConfusions = arguments[++i];
        else if (arguments[i] == u"--unihan" && i + 1 < arguments.size())
            options.unihan = arguments[++i];
        else if (arguments[i] == u"--report" && i + 1 < arguments.size())
            options.report = arguments[++i];
        else
            positional.append(arguments[i]);
    }
    if (positional.isEmpty() || positional.size() > 2)
        return false;
    options.output = positional[0];
    options.confusions = positional.value(1);
    return true;
}

bool writeTable(const QString &path, const std::map<std::pair<char16_t, char16_t>, int> &pairs)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&file);
    out << "// Look-alike characters: written by tools/lookalikes from the glyphs of four Chinese\n"
           "// faces and from the recogniser's confusions. Do not edit; run the tool again "
           "instead.\n"
           "#include \"search/LookalikeData.h\"\n\n"
           "// Pairs of characters, smaller code first, in ascending order.\n"
           "const char16_t kLookalikePairs[] =\n";
    QString line;
    for (const auto &entry : pairs) {
        line += QChar(entry.first.first);
        line += QChar(entry.first.second);
        if (line.size() >= 48) {
            out << "    u\"" << line << "\"\n";
            line.clear();
        }
    }
    if (!line.isEmpty())
        out << "    u\"" << line << "\"\n";
    out << "    ;\n\nconst qsizetype kLookalikePairCount = " << pairs.size() << ";\n";
    return true;
}

// One line a pair: both characters, the sources (w whole glyph, c component, r recogniser,
// f four-corner code, t recogniser on ordinary text, d the same on degraded pictures) and the
// whole-glyph distance.
bool writeReport(const QString &path, const std::map<std::pair<char16_t, char16_t>, int> &pairs,
                 const std::function<double(char16_t, char16_t)> &wholeDistance)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&file);
    for (const auto &[pair, source] : pairs) {
        QString sources;
        for (const auto &[bit, letter] :
             {std::pair{WholeGlyph, u'w'}, std::pair{Component, u'c'}, std::pair{Recogniser, u'r'},
              std::pair{FourCorner, u'f'}, std::pair{Corpus, u't'}, std::pair{Degraded, u'd'}}) {
            if (source & bit)
                sources += QChar(letter);
        }
        out << QChar(pair.first) << QChar(pair.second) << '\t' << sources << '\t'
            << QString::number(wholeDistance(pair.first, pair.second), 'f', 3) << '\n';
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    Options options;
    if (!parse(app.arguments(), options)) {
        std::fprintf(stderr, "Usage: qinglan-lookalikes OUTPUT.cpp [CONFUSIONS.tsv] "
                             "[--corpus-confusions TSV] [--degraded-confusions TSV] [--unihan "
                             "UNIHAN.txt] [--report FILE] "
                             "[--without-face FACE] [--without-size PX]\n");
        return 2;
    }
    const QString common = Gb2312::ideographs();
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
    const ComponentShapes components(fonts, common, shapes);

    FourCornerCodes cornerCodes;
    if (!options.unihan.isEmpty() && !cornerCodes.load(options.unihan)) {
        std::fprintf(stderr, "Cannot read four-corner codes from %s.\n",
                     qPrintable(options.unihan));
        return 1;
    }
    auto sameCornerCode = [&](QChar a, QChar b) {
        const QString code = cornerCodes.fullCode(a.unicode());
        return !code.isEmpty() && code == cornerCodes.fullCode(b.unicode());
    };

    std::map<std::pair<char16_t, char16_t>, int> pairs;
    auto addPair = [&](char16_t a, char16_t b, Source source) {
        if (a != b)
            pairs[{std::min(a, b), std::max(a, b)}] |= source;
    };
    std::vector<double> distance(static_cast<std::size_t>(n));
    std::vector<qsizetype> order(static_cast<std::size_t>(n));
    std::vector<std::pair<double, qsizetype>> added;
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
        bool nearestSeen = false;
        for (int k = 0; k <= nearest; ++k) {
            const qsizetype j = order[std::size_t(k)];
            if (j == i)
                continue;
            const double d = distance[std::size_t(j)];
            if (d <= kFarthest || (!nearestSeen && d <= kFarthestOfNearest))
                addPair(characters[i].unicode(), characters[j].unicode(), WholeGlyph);
            else if (d <= kFarthestOfNearest && i < n &&
                     sameCornerCode(characters[i], characters[j]))
                addPair(characters[i].unicode(), characters[j].unicode(), FourCorner);
            nearestSeen = true;
        }
        if (i >= n)
            continue;
        // Main components, among the characters of GB 2312 that are not far apart on the whole.
        added.clear();
        for (qsizetype j = 0; j < n; ++j) {
            if (j == i || distance[std::size_t(j)] > kComponentWhole)
                continue;
            const double d = components.radicalAdded(i, j, kComponentFarthest);
            if (d <= kComponentFarthest)
                added.emplace_back(d, j);
        }
        std::sort(added.begin(), added.end());
        for (std::size_t k = 0; k < added.size() && k < std::size_t(kComponentNearest); ++k)
            addPair(characters[i].unicode(), characters[added[k].second].unicode(), Component);
    }

    std::map<char16_t, std::size_t> index;
    for (qsizetype i = 0; i < all; ++i)
        index[characters[i].unicode()] = std::size_t(i);
    // The whole-glyph distance averaged over the faces; 1 for a character no face draws.
    auto wholeDistance = [&](char16_t a, char16_t b) {
        const auto at = index.find(a), bt = index.find(b);
        if (at == index.end() || bt == index.end())
            return 1.0;
        double sum = 0;
        for (const auto &face : shapes)
            sum += face[at->second].distanceTo(face[bt->second]);
        return sum / double(shapes.size());
    };
    // A pair counts when its drawn character was read as the other at least kSightings times and
    // in at least kShare of that character's drawings.
    auto addConfusions = [&](const QString &path, Source source) {
        RecogniserConfusions confusions;
        if (!confusions.load(path, options.leftOutFace, options.leftOutPixelSize)) {
            std::fprintf(stderr, "Cannot read %s.\n", qPrintable(path));
            return false;
        }
        for (const auto &[pair, count] : confusions.counts()) {
            const double needed = std::ceil(
                std::max<double>(kSightings, kShare * double(confusions.timesDrawn(pair.first))));
            if (count < needed)
                continue;
            if ((source == Corpus || source == Degraded) &&
                wholeDistance(pair.first, pair.second) > kCorpusWhole)
                continue;
            addPair(pair.first, pair.second, source);
        }
        std::fprintf(stderr, "%s: %zu pairs counted\n", qPrintable(path),
                     confusions.counts().size());
        return true;
    };
    if (!options.confusions.isEmpty() && !addConfusions(options.confusions, Recogniser))
        return 1;
    if (!options.corpusConfusions.isEmpty() && !addConfusions(options.corpusConfusions, Corpus))
        return 1;
    if (!options.degradedConfusions.isEmpty() &&
        !addConfusions(options.degradedConfusions, Degraded))
        return 1;

    if (!writeTable(options.output, pairs)) {
        std::fprintf(stderr, "Cannot write %s.\n", qPrintable(options.output));
        return 1;
    }
    std::map<int, int> bySource;
    for (const auto &entry : pairs)
        ++bySource[entry.second];
    std::fprintf(stderr, "%zu pairs of %lld characters\n", pairs.size(), (long long)all);
    for (const auto &[source, count] : bySource)
        std::fprintf(stderr, "  %s%s%s%s%s%s: %d\n", source & WholeGlyph ? "whole glyph " : "",
                     source & Component ? "component " : "",
                     source & Recogniser ? "recogniser " : "",
                     source & FourCorner ? "four-corner " : "", source & Corpus ? "corpus " : "",
                     source & Degraded ? "degraded" : "", count);
    if (!options.report.isEmpty() && !writeReport(options.report, pairs, wholeDistance)) {
        std::fprintf(stderr, "Cannot write %s.\n", qPrintable(options.report));
        return 1;
    }
    return 0;
}
