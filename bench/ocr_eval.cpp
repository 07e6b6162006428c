// Answers from pictures of exam pages: each block that bench/ocr/make-pictures.py drew with
// chromium is cut out of its page as a user's rectangle would be, read by the recogniser the
// window uses (the usual reading, and the other ways when that finds nothing, as the window
// chooses), and looked up in the demo bank as the input box does. A block counts as found when
// it gets the row that a perfect copy of the page's text gets; any other row is a false answer,
// and so is any answer to a question the bank lacks or to a bank question whose meaning was
// changed. Time is from the cut-out picture to the lookup's result (preparation, recognition,
// lookup, every extra reading), on one thread, after a first picture that loads the engine.
// Prints Markdown tables.
// OCR_EVAL_EVERY=N reads every N-th block only, OCR_EVAL_FONT=NAME only the blocks of the faces
// whose name holds NAME, OCR_EVAL_ROWS=R,S,... only the blocks of those bank rows (-1 the absent
// questions, -2 the changed ones), OCR_EVAL_MISSES=1 lists every miss with what was read,
// OCR_EVAL_USUAL=1 reads the usual way only, and OCR_EVAL_WAYS=1 reads every block the usual
// reading finds nothing in each other way and tallies what each way alone would have answered.
//
//   ocr_eval PICTURES_DIR [BANK.slg]
#include "data/BankConnection.h"
#include "platform/ReadingChoice.h"
#include "platform/TesseractRecognizer.h"
#include "search/LookupFragment.h"
#include "search/QuestionLookup.h"
#include "search/QuestionTable.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

struct Tally {
    int pictures = 0, found = 0, missed = 0, falseAnswers = 0;
    std::vector<double> ms;

    void add(bool inBank, qsizetype expected, qsizetype got, double time)
    {
        ++pictures;
        ms.push_back(time);
        if (inBank && got >= 0 && got == expected)
            ++found;
        else if (got >= 0)
            ++falseAnswers;
        else
            ++missed;
    }
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * (v.size() - 1) + 0.5))];
}

void printRow(const QString &name, const Tally &t, bool inBank)
{
    if (inBank)
        std::printf("| %s | %d | %.1f%% | %d | %d | %.0f | %.0f |\n", qPrintable(name), t.pictures,
                    t.pictures ? 100.0 * t.found / t.pictures : 0.0, t.missed, t.falseAnswers,
                    percentile(t.ms, 0.5), percentile(t.ms, 0.9));
    else
        std::printf("| %s | %d | — | — | %d | %.0f | %.0f |\n", qPrintable(name), t.pictures,
                    t.falseAnswers, percentile(t.ms, 0.5), percentile(t.ms, 0.9));
}

// The row the window would show for the text, and how it was found.
std::pair<qsizetype, ReadingChoice::Found> lookUpKind(const QuestionTable &table, QString text)
{
    // As the input box hands its text to the lookup: lines separated by CR LF.
    text.replace(u'\n', QStringLiteral("\r\n"));
    const LookupResult r = QuestionLookup::run(table, lookupFragment(text));
    if (!r.found() || table.row(r.row).subject.isEmpty())
        return {-1, ReadingChoice::Found::Nothing};
    return {r.row, r.kind == LookupResult::Kind::Similar ? ReadingChoice::Found::ForgivingMisreads
                                                         : ReadingChoice::Found::AsRead};
}

qsizetype lookUp(const QuestionTable &table, const QString &text)
{
    return lookUpKind(table, text).first;
}

// What one other way alone made of the blocks the usual reading found nothing in.
struct WayTally {
    int read = 0, rightAsRead = 0, rightForgiving = 0, wrongAsRead = 0, wrongForgiving = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fputs("Usage: ocr_eval PICTURES_DIR [BANK.slg]\n", stderr);
        return 2;
    }
    const QString dir = args[1];
    BankConnection connection;
    connection.setFileName(args.size() > 2 ? args[2] : QStringLiteral(QINGLAN_DEMO_BANK));
    connection.Open();
    const QuestionTable &table = *connection.table();

    QFile manifestFile(dir + QStringLiteral("/manifest.json"));
    if (!manifestFile.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(manifestFile.fileName()));
    const QJsonArray manifest = QJsonDocument::fromJson(manifestFile.readAll()).array();

    TesseractRecognizer recognizer;
    QElapsedTimer clock;
    QHash<QString, QImage> pages;
    std::map<QString, Tally> byFont, bySize, byOptions, byScale;
    std::map<QString, Tally> byChange;
    Tally inBankAll, absentAll, absentByOptions[2], changedAll, everyPicture;
    int exactTextMisses = 0, exactTextAnswersAbsent = 0, notOwnRow = 0, exactTextAnswersChanged = 0;
    std::map<int, int> takenFromWay;
    const bool usualOnly = qEnvironmentVariableIsSet("OCR_EVAL_USUAL");
    const bool tallyWays = qEnvironmentVariableIsSet("OCR_EVAL_WAYS");
    std::vector<WayTally> ways(recognizer.otherWays() + 1);
    double firstMs = -1;
    const bool listMisses = qEnvironmentVariableIsSet("OCR_EVAL_MISSES");
    const int every = std::max(1, qEnvironmentVariableIntValue("OCR_EVAL_EVERY"));
    const QString onlyFont = qEnvironmentVariable("OCR_EVAL_FONT");
    QSet<int> onlyRows;
    for (const QString &row : qEnvironmentVariable("OCR_EVAL_ROWS").split(u',', Qt::SkipEmptyParts))
        onlyRows.insert(row.toInt());
    int index = -1;
    for (const QJsonValue &v : manifest) {
        if (++index % every)
            continue;
        const QJsonObject e = v.toObject();
        if (!onlyFont.isEmpty() && !e.value(u"font"_qs).toString().contains(onlyFont))
            continue;
        if (!onlyRows.isEmpty() && !onlyRows.contains(e.value(u"row"_qs).toInt()))
            continue;
        const QString pageName = e.value(u"picture"_qs).toString();
        if (!pages.contains(pageName))
            pages.insert(pageName, QImage(dir + u'/' + pageName));
        const QJsonArray r = e.value(u"rect"_qs).toArray();
        const QImage picture =
            pages.value(pageName).copy(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
        const QString pageText = e.value(u"text"_qs).toString();
        const int bankRow = e.value(u"row"_qs).toInt();
        const bool inBank = bankRow >= 0;
        const QString change = e.value(u"change"_qs).toString();
        const qsizetype expected = lookUp(table, pageText);
        if (inBank) {
            exactTextMisses += expected < 0;
            notOwnRow += expected >= 0 && expected != bankRow;
        } else if (change.isEmpty()) {
            exactTextAnswersAbsent += expected >= 0;
        } else if (expected >= 0) {
            // The changed text stands in a question after all: no test of a false answer.
            ++exactTextAnswersChanged;
            continue;
        }

        QString read;
        qsizetype got = -1;
        const auto lookUpRead = [&](const QString &text) { return lookUpKind(table, text).second; };
        const auto readAndLookUp = [&] {
            clock.start();
            if (usualOnly) {
                read = recognizer.read(picture);
            } else {
                const ReadingChoice choice = ReadingChoice::read(recognizer, picture, lookUpRead);
                read = choice.text();
                if (choice.found())
                    ++takenFromWay[choice.way()];
            }
            got = lookUp(table, read);
            return clock.nsecsElapsed() / 1e6;
        };
        double counted = readAndLookUp();
        if (firstMs < 0) {
            // The first picture loads the engine and its model: reported, not counted.
            firstMs = counted;
            counted = readAndLookUp();
        }
        const bool options = e.value(u"options"_qs).toBool();
        everyPicture.ms.push_back(counted);
        ++everyPicture.pictures;
        if (listMisses && ((inBank && got != expected) || (!inBank && got >= 0)))
            std::fprintf(stderr, "%s row %d got %lld:\n--- page\n%s\n--- read\n%s\n\n",
                         qPrintable(pageName), bankRow, qlonglong(got), qPrintable(pageText),
                         qPrintable(read));
        if (tallyWays && lookUp(table, recognizer.read(picture)) < 0) {
            for (int way = 1; way <= recognizer.otherWays(); ++way) {
                const QString other = recognizer.readOtherWay(picture, way);
                const auto [row, found] = lookUpKind(table, other);
                WayTally &w = ways[way];
                ++w.read;
                const bool right = inBank && row == expected;
                const bool similar = found == ReadingChoice::Found::ForgivingMisreads;
                if (row < 0)
                    continue;
                if (right)
                    ++(similar ? w.rightForgiving : w.rightAsRead);
                else
                    ++(similar ? w.wrongForgiving : w.wrongAsRead);
                if (listMisses)
                    std::fprintf(stderr, "way %d %s (%s) row %d got %lld:\n--- read\n%s\n\n", way,
                                 right ? "right" : "WRONG", similar ? "similar" : "as read",
                                 bankRow, qlonglong(row), qPrintable(other));
            }
        }
        if (!change.isEmpty()) {
            changedAll.add(false, -1, got, counted);
            byChange[change].add(false, -1, got, counted);
            continue;
        }
        if (!inBank) {
            absentAll.add(false, -1, got, counted);
            absentByOptions[options].add(false, -1, got, counted);
            continue;
        }
        inBankAll.add(true, expected, got, counted);
        byFont[e.value(u"font"_qs).toString()].add(true, expected, got, counted);
        bySize[QStringLiteral("%1 px").arg(e.value(u"px"_qs).toInt())].add(true, expected, got,
                                                                           counted);
        byOptions[options ? u"with options"_qs : u"without options"_qs].add(true, expected, got,
                                                                            counted);
        byScale[QStringLiteral("%1%").arg(qRound(e.value(u"scale"_qs).toDouble() * 100))].add(
            true, expected, got, counted);
    }

    std::printf("Pictures: %lld blocks on %lld pages; bank: %lld questions. Engine loading with "
                "the first picture: %.0f ms.\n",
                qlonglong(manifest.size()), qlonglong(pages.size()), qlonglong(table.size()),
                firstMs);
    std::printf(
        "Page texts copied perfectly: %d of the bank's blocks find nothing, %d find another "
        "question's row (one holding theirs), %d of the absent blocks get an answer, %d of the "
        "changed ones stand in a question after all (left out).\n",
        exactTextMisses, notOwnRow, exactTextAnswersAbsent, exactTextAnswersChanged);
    if (!usualOnly) {
        std::printf("Answers taken from each way (0 the usual reading):");
        for (const auto &[way, n] : takenFromWay)
            std::printf(" %d: %d", way, n);
        std::printf(".\n");
    }
    std::printf("\n");
    std::printf(
        "| Pictures | Blocks | Recall | Not found | False answers | Median ms | p90 ms |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const auto &[name, t] : byFont)
        printRow(name, t, true);
    for (const auto &[name, t] : bySize)
        printRow(name, t, true);
    for (const auto &[name, t] : byOptions)
        printRow(name, t, true);
    for (const auto &[name, t] : byScale)
        printRow(u"device scale "_qs + name, t, true);
    printRow(u"**bank questions, all**"_qs, inBankAll, true);
    printRow(u"questions not in the bank, without options"_qs, absentByOptions[0], false);
    printRow(u"questions not in the bank, with options"_qs, absentByOptions[1], false);
    printRow(u"**questions not in the bank, all**"_qs, absentAll, false);
    for (const auto &[name, t] : byChange)
        printRow(u"meaning changed: "_qs + name, t, false);
    printRow(u"**bank questions with their meaning changed, all**"_qs, changedAll, false);
    std::printf("| every picture (time only) | %d | — | — | — | %.0f | %.0f |\n",
                everyPicture.pictures, percentile(everyPicture.ms, 0.5),
                percentile(everyPicture.ms, 0.9));
    if (tallyWays) {
        std::printf("\n| Way | Read | Right as read | Right forgiving | Wrong as read | Wrong "
                    "forgiving |\n|---|---|---|---|---|---|\n");
        for (int way = 1; way <= recognizer.otherWays(); ++way)
            std::printf("| %d | %d | %d | %d | %d | %d |\n", way, ways[way].read,
                        ways[way].rightAsRead, ways[way].rightForgiving, ways[way].wrongAsRead,
                        ways[way].wrongForgiving);
    }
    return 0;
}
