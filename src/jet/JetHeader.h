#pragma once

#include "jet/JetFormat.h"

#include <QByteArray>
#include <QString>

#include <array>

// Facts read from page 0 of a Jet database before any other code touches the file.
struct JetHeader {
    static constexpr int kPageSize = JetFormat::kPageSize;

    enum class Verdict { Jet4, NotJet, Damaged };

    // Checks the signature and the page structure. `reason` explains a Damaged verdict.
    static Verdict inspect(const char *data, qint64 size, QString *reason = nullptr);
    // The database password stored (masked) in the header; empty when there is none.
    // Expects a buffer that inspect() accepted.
    static QString password(const char *data);
    // Key of the page encryption; 0 when the pages are plain.
    static quint32 databaseKey(const char *data);

    // Bytes 0x18..0x97 of page 0 are XOR-ed with this fixed keystream (RC4 with a key that every
    // copy of Jet shares); readers and writers of the header both need it.
    static constexpr int kMaskedBlockStart = JetFormat::kMaskedBlockStart;
    static constexpr int kMaskedBlockLength = JetFormat::kMaskedBlockLength;
    static const std::array<unsigned char, kMaskedBlockLength> &headerKeystream();
};
