#pragma once

#include <QtGlobal>

#include <vector>

// Which long-value rows (page << 8 | row, as memo pointers give them) the values read so far
// have taken. A set of a million numbers costs a node allocation each; one bit per row of every
// page the file can hold is 2 MB for a 230 MB file and is only set aside once a value is read.
class LongValueClaims {
public:
    explicit LongValueClaims(qint64 fileSize);

    // Takes `pointer`; false when an earlier value took it already. A pointer past the end of
    // the file is never taken, it points at no row.
    bool claim(quint32 pointer);

private:
    quint64 m_pages;
    std::vector<quint64> m_bits;
};
