// Connect against a plain read of the same file: how long opening a bank takes next to
// `qinglan-bank dump` of it, run alternately in one run, and what the loaded table holds.
//
//     bench_connect BANK.slg [RUNS]     (the dump tool is found beside this program's build)
//
// Each connect runs in a child process of its own (this program with --connect-once), so that
// its peak memory is its own and no run inherits the heap of an earlier one.
#include "ProcessMemory.h"
#include "data/BankConnection.h"
#include "platform/LargeAllocations.h"
#include "search/QuestionTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double mib(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

int connectOnce(const QString &path)
{
    // As the program does at start, so that the figures are the program's.
    keepLargeAllocationsMapped();
    const qint64 before = residentBytes();
    QElapsedTimer timer;
    timer.start();
    BankConnection connection;
    connection.setFileName(path);
    connection.Open();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const QuestionTable *table = connection.table();
    const qint64 loose = qint64(table->looseMatcher().bytes());
    const qint64 literal = qint64(table->index().bytes());
    const qint64 total = qint64(table->bytes());
    std::printf("%.4f %lld %lld %lld %lld %lld %lld\n", seconds, residentBytes(),
                peakResidentBytes(), before, total, literal, loose);
    return 0;
}

struct Figures {
    double seconds = 0;
    qint64 resident = 0, peak = 0, base = 0, table = 0, literal = 0, loose = 0;
};

Figures runConnect(const QString &self, const QString &path)
{
    QProcess child;
    child.start(self, {QStringLiteral("--connect-once"), path});
    child.waitForFinished(-1);
    Figures f;
    const QByteArray out = child.readAllStandardOutput();
    if (std::sscanf(out.constData(), "%lf %lld %lld %lld %lld %lld %lld", &f.seconds, &f.resident,
                    &f.peak, &f.base, &f.table, &f.literal, &f.loose) != 7) {
        std::fprintf(stderr, "connect failed: %s%s\n", out.constData(),
                     child.readAllStandardError().constData());
        std::exit(1);
    }
    return f;
}

double runDump(const QString &tool, const QString &path)
{
    QProcess child;
    child.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    child.start(tool, {QStringLiteral("dump"), path});
    child.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--connect-once"))
        return connectOnce(args[2]);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_connect BANK.slg [RUNS]\n");
        return 2;
    }
    const QString path = args[1];
    const int runs = args.size() > 2 ? args[2].toInt() : 5;
    const QString tool = QStringLiteral(QINGLAN_BANK_TOOL);
    std::vector<double> connects, dumps;
    Figures last;
    for (int i = 0; i < runs; ++i) {
        dumps.push_back(runDump(tool, path));
        last = runConnect(app.applicationFilePath(), path);
        connects.push_back(last.seconds);
    }
    const qint64 fileSize = QFileInfo(path).size();
    const double c = median(connects), d = median(dumps);
    std::printf("file %s: %.1f MiB, %d runs each, alternating\n", qPrintable(path), mib(fileSize),
                runs);
    std::printf("connect median %.3f s, dump median %.3f s, ratio %.2f\n", c, d, c / d);
    std::printf("resident after load %.1f MiB (%.2f x file), peak %.1f MiB (%.2f x file); "
                "process before connect %.1f MiB\n",
                mib(last.resident), double(last.resident) / fileSize, mib(last.peak),
                double(last.peak) / fileSize, mib(last.base));
    std::printf("table %.1f MiB: literal index with its texts %.1f, loose index with its texts "
                "%.1f, the four columns %.1f\n",
                mib(last.table), mib(last.literal), mib(last.loose),
                mib(last.table - last.literal - last.loose));
    return 0;
}
