#pragma once

#include <cstddef>

// Loads a bank from bytes the way the program does and reads every row of every table;
// failures are expected and swallowed, only crashes, sanitizer reports and endless loops count.
void loadBankForFuzzing(const char *data, size_t size);
