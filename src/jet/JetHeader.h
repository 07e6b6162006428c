#pragma once

#include "jet/JetFormat.h"

#include <QByteArray>
#include <QString>

#include <array>

// Facts read from page 0 of a Jet database before any other code touches the file.
struct JetHeader {
    enum class Verdict { Jet4, NotJet, Damaged };

    // Checks the signature and the page structure. `reason` explains a Damaged verdict.
    static Verdict inspect(const char *data, qint64 size, QString *reason = nullptr);
    // The database password stored (masked) in the header; empty when there is none.
    // Expects a buffer that inspect() accepted.
    static QString password(const char *data);
    // Key of the page encryption; 0 when the pages are plain.
    static quint32 databaseKey(const char *data);

    // The JetFormat::kMaskedBlockLength bytes from JetFormat::kMaskedBlockStart of page 0 are
    // XOR-ed with this fixed keystream (RC4 with a key that every copy of Jet shares); readers
    // and writers of the header both need it.
    static const std::array<unsigned char, JetFormat::kMaskedBlockLength> &headerKeystream();
};
