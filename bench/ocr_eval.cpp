// Answers from pictures of exam pages: each block that bench/ocr/make-pictures.py drew with
// chromium is cut out of its page as a user's rectangle would be, read by the recogniser the
// window uses, and looked up in the demo bank as the input box does. A block counts as found when
// it gets the row that a perfect copy of the page's text gets; any other row is a false answer.
// Time is from the cut-out picture to the lookup's result (preparation, recognition, lookup), on
// one thread, after a first picture that loads the engine. Prints Markdown tables.
// OCR_EVAL_EVERY=N reads every N-th block only, OCR_EVAL_FONT=NAME only the blocks of the faces
// whose name holds NAME, and OCR_EVAL_MISSES=1 lists every miss with what was read.
//
//   ocr_eval PICTURES_DIR [BANK.slg]
#include "data/BankConnection.h"
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

qsizetype lookUp(const QuestionTable &table, QString text)
{
    // As the input box hands its text to the lookup: lines separated by CR LF.
    text.replace(u'\n', QStringLiteral("\r\n"));
    const LookupResult r = QuestionLookup::run(table, lookupFragment(text));
    if (!r.found() || table.row(r.row).subject.isEmpty())
        return -1;
    return r.row;
}

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
    Tally inBankAll, absentAll, absentByOptions[2];
    int exactTextMisses = 0, exactTextAnswersAbsent = 0, notOwnRow = 0;
    double firstMs = -1;
    const bool listMisses = qEnvironmentVariableIsSet("OCR_EVAL_MISSES");
    const int every = std::max(1, qEnvironmentVariableIntValue("OCR_EVAL_EVERY"));
    const QString onlyFont = qEnvironmentVariable("OCR_EVAL_FONT");
    int index = -1;
    for (const QJsonValue &v : manifest) {
        if (++index % every)
            continue;
        const QJsonObject e = v.toObject();
        if (!onlyFont.isEmpty() && !e.value(u"font"_qs).toString().contains(onlyFont))
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
        const qsizetype expected = lookUp(table, pageText);
        if (inBank) {
            exactTextMisses += expected < 0;
            notOwnRow += expected >= 0 && expected != bankRow;
        } else {
            exactTextAnswersAbsent += expected >= 0;
        }

        QString read;
        qsizetype got = -1;
        const auto readAndLookUp = [&] {
            clock.start();
            read = recognizer.read(picture);
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
        if (listMisses && ((inBank && got != expected) || (!inBank && got >= 0)))
            std::fprintf(stderr, "%s row %d got %lld:\n--- page\n%s\n--- read\n%s\n\n",
                         qPrintable(pageName), bankRow, qlonglong(got), qPrintable(pageText),
                         qPrintable(read));
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
        "question's row (one holding theirs), %d of the absent blocks get an answer.\n\n",
        exactTextMisses, notOwnRow, exactTextAnswersAbsent);
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
    return 0;
}
