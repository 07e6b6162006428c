// Opening and loading a bank from arbitrary bytes through the program's reading code: the
// structure check, the catalog and every table's rows with every column. Nothing may crash,
// read out of bounds or loop without end (libFuzzer's -timeout catches the last).
#include "BankLoadProbe.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A private copy: libmdb reads through a FILE opened on the buffer.
    std::vector<char> bytes(data, data + size);
    loadBankForFuzzing(bytes.data(), bytes.size());
    return 0;
}
