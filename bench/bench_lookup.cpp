// Lookup speed at 2,860, 100,000 and 1,000,000 rows, against the old way of reading the whole
// table through libmdb on every lookup; connect time and memory of the loaded bank. `lookup/`
// is the literal pass alone, `program/` the whole BankQuery::findLast the window calls.
//
// Banks come from files made by `qinglan-bank synth N -o FILE` in the folder named by
// QINGLAN_BENCH_BANK_DIR (synth-N.slg); without a file the rows are generated in memory and
// the benchmarks that need a file are skipped.
#include "ProcessMemory.h"
#include "SyntheticRows.h"

#include "data/BankConnection.h"
#include "data/BankQuery.h"
#include "data/BankSchema.h"
#include "jet/JetDatabase.h"
#include "search/LookupFragment.h"
#include "search/QuestionTable.h"
#include "search/TextFold.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>

namespace {

enum class FragmentClass { CommonCharacter, Typical, WholeQuestion, NoMatch, Paste };

const char *className(FragmentClass c)
{
    switch (c) {
    case FragmentClass::CommonCharacter:
        return "common_char";
    case FragmentClass::Typical:
        return "typical_8_15";
    case FragmentClass::WholeQuestion:
        return "whole_question";
    case FragmentClass::NoMatch:
        return "no_match";
    case FragmentClass::Paste:
        return "paste_10000";
    }
    return "";
}

QString bankFile(qsizetype rows)
{
    const QString dir = qEnvironmentVariable("QINGLAN_BENCH_BANK_DIR");
    const QString file = dir + QStringLiteral("/synth-%1.slg").arg(rows);
    return !dir.isEmpty() && QFile::exists(file) ? file : QString();
}

// One bank at a time is kept, so that the memory figure of the largest is its own.
struct Bank {
    qsizetype rows = 0;
    QString file;
    std::unique_ptr<BankConnection> connection;
    std::unique_ptr<QuestionTable> generated;
    double loadSeconds = 0;
    qint64 rssBefore = 0;
    qint64 rssAfter = 0;
    QHash<int, QStringList> fragments;

    const QuestionTable &table() const { return connection ? *connection->table() : *generated; }
};

std::unique_ptr<Bank> g_bank;

QStringList pickFragments(const QuestionTable &table, FragmentClass kind)
{
    std::mt19937 random(42);
    const qsizetype n = table.size();
    auto randomRow = [&] { return table.row(qsizetype(random() % quint64(n))); };
    QStringList out;
    switch (kind) {
    case FragmentClass::CommonCharacter: {
        QHash<QChar, qsizetype> counts;
        for (qsizetype r = 0; r < qMin<qsizetype>(n, 20000); ++r)
            for (QChar c : table.row(r).text)
                if (c.unicode() > 0x20) // a blank alone is trimmed away: no lookup at all
                    ++counts[c];
        QList<QPair<qsizetype, QChar>> ranked;
        for (auto it = counts.begin(); it != counts.end(); ++it)
            ranked.append({it.value(), it.key()});
        std::sort(ranked.begin(), ranked.end(), std::greater<>());
        for (int i = 0; i < 8 && i < ranked.size(); ++i)
            out << QString(ranked[i].second);
        break;
    }
    case FragmentClass::Typical:
        while (out.size() < 256) {
            const QString text = randomRow().text;
            const int length = 8 + int(random() % 8);
            if (text.size() < length)
                continue;
            out << text.mid(qsizetype(random() % quint64(text.size() - length + 1)), length);
        }
        break;
    case FragmentClass::WholeQuestion:
        while (out.size() < 256)
            out << randomRow().text;
        break;
    case FragmentClass::NoMatch:
        // Questions the bank does not hold, made of its own phrases: halves of two different
        // questions joined, and a question's characters reversed. Each is confirmed absent by
        // reading every row.
        while (out.size() < 32) {
            auto piece = [&](int length) {
                const QString text = randomRow().text;
                if (text.size() < length)
                    return QString();
                return text.mid(qsizetype(random() % quint64(text.size() - length + 1)), length);
            };
            QString fragment;
            if (out.size() % 2 == 0) {
                const QString a = piece(4 + int(random() % 4));
                const QString b = piece(4 + int(random() % 4));
                if (a.isEmpty() || b.isEmpty())
                    continue;
                fragment = a + b;
            } else {
                fragment = piece(8 + int(random() % 8));
                std::reverse(fragment.begin(), fragment.end());
            }
            const QString folded = foldText(lookupFragment(fragment));
            if (!folded.isEmpty() && table.index().findLastByScan(folded) < 0)
                out << fragment;
        }
        break;
    case FragmentClass::Paste:
        // A copied page: consecutive questions with their options, lines joined by CR LF.
        while (out.size() < 16) {
            QString paste;
            for (qsizetype r = qsizetype(random() % quint64(n)); paste.size() < 10000;
                 r = (r + 1) % n) {
                const Question q = table.row(r);
                paste += q.text + QStringLiteral("\r\n") + q.options + QStringLiteral("\r\n");
            }
            paste.truncate(10000);
            out << paste;
        }
        break;
    }
    return out;
}

Bank &bank(qsizetype rows)
{
    if (g_bank && g_bank->rows == rows)
        return *g_bank;
    g_bank.reset();
    auto b = std::make_unique<Bank>();
    b->rows = rows;
    b->file = bankFile(rows);
    b->rssBefore = residentBytes();
    QElapsedTimer timer;
    timer.start();
    if (!b->file.isEmpty()) {
        b->connection = std::make_unique<BankConnection>();
        b->connection->setFileName(b->file);
        b->connection->Open();
        if (!b->connection->table())
            qFatal("%s: %s", qPrintable(b->file), qPrintable(b->connection->schemaError()));
    } else {
        QuestionTable::Builder builder;
        generateSyntheticRows(rows, 2860, [&](const Question &q) {
            builder.append(q.subject, q.text, q.options, q.answer);
        });
        b->generated = std::make_unique<QuestionTable>(builder.build());
    }
    b->loadSeconds = timer.nsecsElapsed() / 1e9;
    b->rssAfter = residentBytes();
    for (FragmentClass c :
         {FragmentClass::CommonCharacter, FragmentClass::Typical, FragmentClass::WholeQuestion,
          FragmentClass::NoMatch, FragmentClass::Paste})
        b->fragments[int(c)] = pickFragments(b->table(), c);
    std::fprintf(stderr, "bank %lld rows from %s: loaded in %.2f s\n", (long long)rows,
                 b->file.isEmpty() ? "memory" : qPrintable(b->file), b->loadSeconds);
    g_bank = std::move(b);
    return *g_bank;
}

void reportLatencies(benchmark::State &state, std::vector<double> &micros)
{
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) { return micros[std::size_t(q * double(micros.size() - 1))]; };
    state.counters["median_us"] = at(0.5);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = micros.back();
}

// Times `find` on the inputs in turn, one per iteration, and reports the latencies and the share
// of inputs that found a row.
template <typename Find>
void timeLookups(benchmark::State &state, const QStringList &inputs, Find find)
{
    std::vector<double> micros;
    qsizetype i = 0;
    qsizetype hits = 0;
    for (auto _ : state) {
        const QString &input = inputs[i++ % inputs.size()];
        const auto start = std::chrono::steady_clock::now();
        const auto found = find(input);
        const auto stop = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(found);
        hits += found.has_value();
        micros.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    }
    reportLatencies(state, micros);
    state.counters["hit_ratio"] = double(hits) / double(micros.size());
}

// One lookup per iteration, as the input box's change handler runs it: fragment taken from the
// input text, folded, searched, the row copied out.
void lookup(benchmark::State &state, qsizetype rows, FragmentClass kind)
{
    Bank &b = bank(rows);
    timeLookups(state, b.fragments[int(kind)],
                [&](const QString &input) { return b.table().findLast(lookupFragment(input)); });
}

// The whole lookup as the window calls it: ADOQuery1's findLast on the open connection,
// including any passes behind the literal one.
void program(benchmark::State &state, qsizetype rows, FragmentClass kind)
{
    Bank &b = bank(rows);
    if (!b.connection) {
        state.SkipWithError("no bank file (QINGLAN_BENCH_BANK_DIR)");
        return;
    }
    BankQuery query(b.connection.get());
    timeLookups(state, b.fragments[int(kind)],
                [&](const QString &input) { return query.findLast(input); });
}

// What the program did before: every lookup reads the whole table from the open file through
// libmdb and keeps the last row whose question holds the fragment.
void baseline(benchmark::State &state, qsizetype rows, FragmentClass kind)
{
    Bank &b = bank(rows);
    if (b.file.isEmpty()) {
        state.SkipWithError("no bank file (QINGLAN_BENCH_BANK_DIR)");
        return;
    }
    const auto db = JetDatabase::open(b.file);
    const std::array<int, 4> at = BankSchema::locateColumns(db->columns(BankSchema::tableName()));
    const QStringList &inputs = b.fragments[int(kind)];
    std::vector<double> micros;
    qsizetype i = 0;
    for (auto _ : state) {
        const QString fragment = foldText(lookupFragment(inputs[i++ % inputs.size()]));
        const auto start = std::chrono::steady_clock::now();
        Question last;
        db->forEachRow(BankSchema::tableName(), [&](const JetRow &row) {
            if (!fragment.isEmpty() && foldText(row[at[1]].text).contains(fragment))
                last = {row[at[0]].text, row[at[1]].text, row[at[2]].text, row[at[3]].text};
        });
        const auto stop = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(last);
        micros.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    }
    reportLatencies(state, micros);
}

// Open and load: what DataModuleCreate does.
void connect(benchmark::State &state, QString file)
{
    if (file.isEmpty() || !QFile::exists(file)) {
        state.SkipWithError("no bank file");
        return;
    }
    g_bank.reset();
    qsizetype rows = 0;
    for (auto _ : state) {
        BankConnection connection;
        connection.setFileName(file);
        connection.Open();
        rows = connection.table() ? connection.table()->size() : -1;
    }
    state.counters["rows"] = double(rows);
}

void memory(benchmark::State &state, qsizetype rows)
{
    g_bank.reset();
    Bank &b = bank(rows);
    for (auto _ : state)
        benchmark::DoNotOptimize(b.table().size());
    state.counters["rss_MB"] = double(b.rssAfter) / (1 << 20);
    state.counters["rss_growth_MB"] = double(b.rssAfter - b.rssBefore) / (1 << 20);
    state.counters["peak_rss_MB"] = double(peakResidentBytes()) / (1 << 20);
    state.counters["table_MB"] = double(b.table().bytes()) / (1 << 20);
    state.counters["load_s"] = b.loadSeconds;
}

} // namespace

int main(int argc, char **argv)
{
    const QString demo = qEnvironmentVariable("QINGLAN_BENCH_DEMO_BANK");
    benchmark::RegisterBenchmark("connect/demo_bank", connect, demo)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    for (qsizetype rows : {qsizetype(2860), qsizetype(100000), qsizetype(1000000)}) {
        const std::string n = std::to_string(rows);
        benchmark::RegisterBenchmark(("connect/" + n).c_str(), connect, bankFile(rows))
            ->Unit(benchmark::kMillisecond)
            ->Iterations(rows >= 1000000 ? 1 : 3);
        benchmark::RegisterBenchmark(("memory/" + n).c_str(), memory, rows)->Iterations(1);
        for (FragmentClass c :
             {FragmentClass::CommonCharacter, FragmentClass::Typical, FragmentClass::WholeQuestion,
              FragmentClass::NoMatch, FragmentClass::Paste}) {
            benchmark::RegisterBenchmark(("lookup/" + n + "/" + className(c)).c_str(), lookup, rows,
                                         c)
                ->Unit(benchmark::kMicrosecond)
                ->MinTime(0.3);
            benchmark::RegisterBenchmark(("program/" + n + "/" + className(c)).c_str(), program,
                                         rows, c)
                ->Unit(benchmark::kMicrosecond)
                ->MinTime(0.3);
        }
        if (rows <= 100000) {
            for (FragmentClass c : {FragmentClass::Typical, FragmentClass::NoMatch}) {
                benchmark::RegisterBenchmark(("baseline/" + n + "/" + className(c)).c_str(),
                                             baseline, rows, c)
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(rows >= 100000 ? 5 : 20);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_bank.reset();
    return 0;
}
