#pragma once

#include <QtGlobal>

// Resident set size of this process in bytes (Linux /proc/self/status), and its peak.
qint64 residentBytes();
qint64 peakResidentBytes();
