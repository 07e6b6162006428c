// Prints how long the lookup takes on the hostile inputs of the reliability tests, per bank:
//   bench_hostile [BANK_FILE...]
// Without arguments it measures the bank linked into the program. Each input is looked up
// five times; the table shows the median, and the last line the longest median (target 50 ms).
// Measured is the lookup itself (fragment, search, row), not the drawing of the input box.
#include "HostileInputs.h"

#include "data/BankQuery.h"
#include "data/BankUnpacker.h"
#include "data/TDataModule1.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double medianMs(TDataModule1 &data, const QString &text)
{
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        (void)data.ADOQuery1->findLast(text);
        runs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

void measure(const QString &label, const QString &folder)
{
    TDataModule1 data(folder + u'/');
    QElapsedTimer connect;
    connect.start();
    data.DataModuleCreate();
    std::printf("%s: connect (load and index) %.0f ms\n", qPrintable(label),
                double(connect.nsecsElapsed()) / 1e6);
    double longest = 0;
    const char *longestName = "";
    for (const HostileInput &input : hostileInputs()) {
        const double ms = medianMs(data, input.text);
        std::printf("  %-28s %9.3f ms\n", input.name, ms);
        if (ms > longest) {
            longest = ms;
            longestName = input.name;
        }
    }
    std::printf("  longest: %.3f ms (%s), target 50 ms\n", longest, longestName);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        if (argc < 2) {
            QTemporaryDir folder;
            unpackQuestionBank(folder.path() + u'/');
            measure(QStringLiteral("linked bank"), folder.path());
        }
        for (int i = 1; i < argc; ++i) {
            QTemporaryDir folder;
            const QString bank = QString::fromLocal8Bit(argv[i]);
            const QString target = folder.path() + QStringLiteral("/question.slg");
            // A link, not a copy: the million-row bank is large.
            if (!QFile::link(QFileInfo(bank).absoluteFilePath(), target))
                return 1;
            measure(bank, folder.path());
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
