#include "jet/JetHeaderPage.h"

#include "jet/JetFormat.h"
#include "jet/JetHeader.h"
#include "jet/JetTextEncoding.h"

#include <array>
#include <cstring>

using namespace JetFormat;

QByteArray JetHeaderPage::build(double creationDate, const QString &password, quint16 sortOrder)
{
    QByteArray p(kPageSize, '\0');
    std::memcpy(p.data(), kSignature, sizeof kSignature);
    p[kVersionOffset] = kVersionJet4;

    const quint8 constants[24] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                  0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                  0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    std::memcpy(p.data() + kMaskedBlockStart, constants, sizeof constants);
    put16(p, 0x3C, 1252);            // code page: Jet 3 only, kept as Access writes it
    put32(p, kDatabaseKeyOffset, 0); // database key 0: pages are not encrypted

    // The password is masked with the day number of the creation date stored below, so the
    // two must come from the same double.
    QByteArray pw = JetTextEncoding::plain(QStringView(password).left(20));
    pw.resize(kPasswordBytes, '\0');
    const qint32 day = qint32(creationDate);
    for (int i = 0; i < kPasswordBytes; ++i)
        pw[i] = char(quint8(pw[i]) ^ quint8(quint32(day) >> (8 * (i % 4))));
    p.replace(kPasswordOffset, kPasswordBytes, pw);
    put32(p, 0x6A, 0x11A6);
    put16(p, 0x6E, sortOrder);
    std::memcpy(p.data() + kCreationDateOffset, &creationDate, sizeof creationDate);

    const auto &stream = JetHeader::headerKeystream();
    for (int i = 0; i < kMaskedBlockLength; ++i) {
        const int at = kMaskedBlockStart + i;
        p[at] = char(quint8(p[at]) ^ stream[i]);
    }

    const quint8 after[8] = {0x54, 0x06, 0x00, 0x00, 0x34, 0x2E, 0x30, 0x00};
    std::memcpy(p.data() + 0x98, after, sizeof after);
    const quint8 filler[4] = {0x01, 0x01, 0x00, 0x01};
    std::memcpy(p.data() + 0xE00, filler, sizeof filler);
    for (int at = 0xE04; at < 0x1000; at += 2) {
        p[at] = 0x00;
        p[at + 1] = 0x01;
    }
    return p;
}
