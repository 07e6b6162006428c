// Counts which characters the program's own recogniser reads as which: the other real source of
// look-alikes beside the glyph distance of qinglan-lookalikes.
//
// Every ideograph of GB 2312, in a shuffled order (so that no question bank and no list of
// commonly confused characters chooses them, and every character gets other neighbours in each
// drawing), is drawn in lines of 30 with Qt in the three faces that screenshots of exam pages
// show most (AR PL UMing CN, WenQuanYi Micro Hei, Noto Sans CJK SC) at 14, 15, 16, 17 and 18
// pixels, dark grey on white, anti-aliased. Each page of 20 lines goes through the recognition path
// of the window (TesseractRecognizer: PicturePreparation, Tesseract's chi_sim LSTM model,
// RecognizedText), and each read line is aligned with its drawn line by edit distance; an
// isolated one-for-one substitution of two ideographs counts as a confusion. The counts, per
// face and size, go to a file that qinglan-lookalikes turns into look-alike pairs (the
// thresholds are there). One round draws every character once in each of the 15 conditions,
// some 100,000 characters (about 3.5 minutes of one core when the machine is otherwise idle);
// the committed counts are of 3 rounds, each with its own shuffles (27 minutes on a shared
// 2-core machine):
//
//     OMP_THREAD_LIMIT=1 qinglan-confusions tools/lookalikes/recogniser-confusions.tsv 3
//
// A third argument draws only that many characters of each shuffle, to time a run.
//
// --aliased FACE draws that face alone, without anti-aliasing, and names it "FACE aliased" in
// the counts. The browser draws AR PL UMing so at 14 to 18 px (bench/ocr's pictures show it):
// Tesseract's misreads of it on pictures of pages (有 as 朋, 储 as 情, 深 as 次, 鞅 as 鞭) came
// back when Qt drew a line of ordinary text that way; anti-aliased, Qt's drawing of the same
// line was read right. The committed counts are the two runs one after the other (27 and 7
// minutes on a shared 2-core machine):
//
//     qinglan-confusions all.tsv 3
//     qinglan-confusions aliased.tsv 3 --aliased "AR PL UMing CN"
//     cat all.tsv aliased.tsv > tools/lookalikes/recogniser-confusions.tsv
//
// --corpus FILE draws lines of ordinary Chinese text instead: the model reads a character
// differently among the words it belongs to (储 in 存储 as 情), which shuffled lines never show.
// The file's ideographs and Chinese punctuation are kept in their order (everything else, Latin
// words, figures and markup, is left out), cut into lines of 30, and each face, rendering and
// size draws its own shuffle of those lines, SAMPLE characters of them (6,000 unless given).
// AR PL UMing is drawn both anti-aliased and not. Every substitution inside an equally long
// misread stretch counts (ConfusionCount), and the counts record how often each character was
// drawn, as ordinary text draws some characters far more often than others:
//
//     zcat /usr/share/man/zh_CN/man*/*.gz > build/corpus.txt    # manpages-zh
//     qinglan-confusions tools/lookalikes/corpus-confusions.tsv 1 6000 --corpus build/corpus.txt
//
// --degraded (with --corpus) draws the same lines as pictures that are no clean screenshot
// (DegradedPicture): shrunk to 80% (drawn at 14 and 16 px, so 11 and 13 px on the picture),
// recompressed as JPEG (14 and 16 px) and photographed off the screen (16 and 18 px: a photo
// is taken close enough to read), each in the three faces and in AR PL UMing without
// anti-aliasing. The counts name the condition "FACE KIND", "AR PL UMing CN aliased shrunk":
//
//     qinglan-confusions tools/lookalikes/degraded-confusions.tsv 1 6000 \
//         --corpus build/corpus.txt --degraded
#include "ConfusionCount.h"
#include "DegradedPicture.h"
#include "Gb2312.h"
#include "PrintedPage.h"
#include "platform/TesseractRecognizer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <vector>

namespace {

const QStringList kFaces = {QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Micro Hei"),
                            QStringLiteral("Noto Sans CJK SC")};
constexpr int kSmallest = 14;
constexpr int kLargest = 18;
constexpr int kLineLength = 30;
constexpr int kLinesPerPage = 20;

struct Condition {
    QString face;
    int pixelSize = 0;
    bool aliased = false;
    ConfusionCount count;
    std::optional<DegradedPicture::Kind> degraded;

    // The face as the counts name it: "AR PL UMing CN", "AR PL UMing CN aliased" or, for a
    // degraded picture, "AR PL UMing CN aliased jpeg".
    QString label() const
    {
        QString name = aliased ? face + QStringLiteral(" aliased") : face;
        if (degraded)
            name += u' ' + DegradedPicture::nameOf(*degraded);
        return name;
    }
};

// The sizes each kind of degraded picture is drawn at: text that the page shrinks is drawn at
// the usual sizes, a photograph is taken of text large enough to read.
std::vector<int> degradedSizes(DegradedPicture::Kind kind)
{
    if (kind == DegradedPicture::Kind::Blurred)
        return {16, 18};
    return {14, 16};
}

// The ideographs and Chinese punctuation of `text`, in order, in lines of kLineLength; each
// line once.
QStringList corpusLines(const QString &text)
{
    static const QString punctuation = QStringLiteral("，。、；：？！“”（）《》");
    QString kept;
    for (const QChar c : text) {
        if ((c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) || punctuation.contains(c))
            kept += c;
    }
    QStringList lines;
    for (qsizetype at = 0; at + kLineLength <= kept.size(); at += kLineLength) {
        const QString line = kept.mid(at, kLineLength);
        if (!lines.contains(line))
            lines.append(line);
    }
    return lines;
}

QStringList linesOf(const QString &text)
{
    QStringList lines;
    for (qsizetype at = 0; at < text.size(); at += kLineLength)
        lines.append(text.mid(at, kLineLength));
    return lines;
}

// False when the picture could not be made (a degraded one needs Qt's JPEG codec).
bool readPage(TextRecognizer &recognizer, const QFont &font, const QStringList &lines,
              const std::optional<DegradedPicture::Kind> &degraded, ConfusionCount &count)
{
    QImage picture = PrintedPage(font, lines).picture();
    if (degraded)
        picture = DegradedPicture::apply(picture, *degraded);
    if (picture.isNull())
        return false;
    const QString read = recognizer.read(picture);
    QStringList readLines = read.split(u'\n', Qt::SkipEmptyParts);
    for (QString &line : readLines)
        line.remove(u' ');
    if (readLines.size() == lines.size()) {
        for (qsizetype i = 0; i < lines.size(); ++i)
            count.add(lines[i], readLines[i]);
    } else {
        // A line lost or split: the page as one line still aligns.
        count.add(lines.join(QString()), readLines.join(QString()));
    }
    return true;
}

// Writes the counts so far: a run stopped after some rounds still leaves a usable file.
bool write(const char *path, const std::vector<Condition> &conditions, qsizetype sample,
           bool corpus)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "Cannot write %s.\n", path);
        return false;
    }
    QTextStream out(&file);
    out << "# Written by qinglan-confusions (tools/lookalikes/confusions.cpp): what Tesseract "
           "read\n";
    if (corpus) {
        out << "# for each ideograph drawn in lines of ordinary text. Do not edit; run it again.\n"
               "# condition FACE SIZE DRAWN READ-RIGHT\n"
               "# drawn FACE SIZE CHARACTER TIMES-DRAWN\n";
    } else {
        out << "# for each ideograph of GB 2312 drawn in shuffled lines. Do not edit; run it "
               "again.\n"
               "# condition FACE SIZE DRAWN READ-RIGHT: each character drawn DRAWN / "
            << sample << " times\n";
    }
    out << "# pair FACE SIZE DRAWN-CHARACTER READ-CHARACTER COUNT\n";
    for (const Condition &condition : conditions) {
        out << "condition\t" << condition.label() << '\t' << condition.pixelSize << '\t'
            << condition.count.drawn() << '\t' << condition.count.readRight() << '\n';
    }
    for (const Condition &condition : corpus ? conditions : std::vector<Condition>()) {
        for (const auto &[character, times] : condition.count.drawnOf())
            out << "drawn\t" << condition.label() << '\t' << condition.pixelSize << '\t'
                << QChar(character) << '\t' << times << '\n';
    }
    for (const Condition &condition : conditions) {
        for (const auto &[pair, count] : condition.count.substitutions())
            out << "pair\t" << condition.label() << '\t' << condition.pixelSize << '\t'
                << QChar(pair.first) << '\t' << QChar(pair.second) << '\t' << count << '\n';
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    QString aliasedFace;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--aliased"));
        at >= 0 && at + 1 < arguments.size()) {
        aliasedFace = arguments[at + 1];
        arguments.remove(at, 2);
    }
    QString corpusPath;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--corpus"));
        at >= 0 && at + 1 < arguments.size()) {
        corpusPath = arguments[at + 1];
        arguments.remove(at, 2);
    }
    const bool degraded = arguments.removeAll(QStringLiteral("--degraded")) > 0;
    if (arguments.isEmpty() || arguments.size() > 3 || (degraded && corpusPath.isEmpty()) ||
        (degraded && !aliasedFace.isEmpty())) {
        std::fprintf(stderr, "Usage: qinglan-confusions OUTPUT.tsv [ROUNDS] [SAMPLE] "
                             "[--aliased FACE] [--corpus TEXT [--degraded]]\n");
        return 2;
    }
    QStringList corpus;
    if (!corpusPath.isEmpty()) {
        QFile file(corpusPath);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "Cannot read %s.\n", qPrintable(corpusPath));
            return 1;
        }
        corpus = corpusLines(QString::fromUtf8(file.readAll()));
        std::fprintf(stderr, "%lld lines of text\n", (long long)corpus.size());
    }
    const QByteArray output = arguments[0].toLocal8Bit();
    const int rounds = arguments.size() >= 2 ? std::max(1, arguments[1].toInt()) : 3;
    const QString characters = Gb2312::ideographs();
    const qsizetype sample =
        arguments.size() >= 3 ? std::min<qsizetype>(arguments[2].toInt(),
                                                    corpus.isEmpty() ? characters.size()
                                                                     : corpus.size() * kLineLength)
        : corpus.isEmpty()    ? characters.size()
                              : std::min<qsizetype>(6000, corpus.size() * kLineLength);
    if (characters.size() < 6000) {
        std::fprintf(stderr, "This Qt cannot decode GB 2312.\n");
        return 1;
    }
    const auto stretches = corpus.isEmpty() ? ConfusionCount::Stretches::IsolatedOnly
                                            : ConfusionCount::Stretches::EqualLength;
    std::vector<Condition> conditions;
    if (degraded) {
        for (const auto kind : {DegradedPicture::Kind::Shrunk, DegradedPicture::Kind::Jpeg,
                                DegradedPicture::Kind::Blurred}) {
            for (const int size : degradedSizes(kind)) {
                for (const QString &face : kFaces)
                    conditions.push_back({face, size, false, ConfusionCount(stretches), kind});
                conditions.push_back({kFaces[0], size, true, ConfusionCount(stretches), kind});
            }
        }
    }
    for (const QString &face : aliasedFace.isEmpty() ? kFaces : QStringList{aliasedFace}) {
        for (int size = kSmallest; size <= kLargest && !degraded; ++size)
            conditions.push_back({face, size, !aliasedFace.isEmpty(), ConfusionCount(stretches)});
    }
    if (!corpus.isEmpty() && aliasedFace.isEmpty() && !degraded) {
        for (int size = kSmallest; size <= kLargest; ++size)
            conditions.push_back({kFaces[0], size, true, ConfusionCount(stretches)});
    }

    TesseractRecognizer recognizer;
    std::mt19937 random(20261211);
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < rounds; ++round) {
        for (Condition &condition : conditions) {
            QFont font(condition.face);
            font.setPixelSize(condition.pixelSize);
            font.setStyleStrategy(
                condition.aliased ? QFont::StyleStrategy(QFont::NoFontMerging | QFont::NoAntialias)
                                  : QFont::NoFontMerging);
            if (QFontInfo(font).family() != condition.face) {
                std::fprintf(stderr, "The face \"%s\" is not installed.\n",
                             qPrintable(condition.face));
                return 1;
            }
            QStringList lines;
            if (corpus.isEmpty()) {
                std::vector<char16_t> order(characters.utf16(),
                                            characters.utf16() + characters.size());
                std::shuffle(order.begin(), order.end(), random);
                lines = linesOf(QString(reinterpret_cast<const QChar *>(order.data()), sample));
            } else {
                QStringList shuffled = corpus;
                std::shuffle(shuffled.begin(), shuffled.end(), random);
                lines = shuffled.mid(0, (sample + kLineLength - 1) / kLineLength);
            }
            for (qsizetype at = 0; at < lines.size(); at += kLinesPerPage) {
                if (!readPage(recognizer, font, lines.mid(at, kLinesPerPage), condition.degraded,
                              condition.count)) {
                    std::fprintf(stderr, "Cannot make a %s picture.\n",
                                 qPrintable(condition.label()));
                    return 1;
                }
            }
            std::fprintf(stderr, "round %d, %s %d px: %.1f%% read right, %zu pairs, %.0f s\n",
                         round + 1, qPrintable(condition.label()), condition.pixelSize,
                         100.0 * double(condition.count.readRight()) /
                             double(std::max(1LL, condition.count.drawn())),
                         condition.count.substitutions().size(), timer.elapsed() / 1000.0);
        }
        if (!write(output.constData(), conditions, sample, !corpus.isEmpty()))
            return 1;
    }

    return 0;
}
