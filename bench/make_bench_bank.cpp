// make_bench_bank ROWS FILE: writes a synthetic bank file for bench_lookup when the bank tool's
// `synth` command is not available.
#include "BenchBankWriter.h"
#include "SyntheticRows.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_bench_bank ROWS FILE\n");
        return 2;
    }
    const qsizetype rows = std::atoll(argv[1]);
    try {
        BenchBankWriter::write(QString::fromLocal8Bit(argv[2]), [rows](const auto &take) {
            generateSyntheticRows(rows, 2860, take);
        });
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_bench_bank: %s\n", e.what());
        return 1;
    }
    return 0;
}
