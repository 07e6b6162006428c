#include "JetHeaderPage.h"

#include "JetFormat.h"
#include "JetTextEncoding.h"

#include <array>
#include <cstring>

using namespace JetFormat;

namespace {

constexpr int kBlockStart = 0x18;
constexpr int kBlockSize = 128;

// Jet hides the header block behind RC4 with a key that every copy of Jet shares.
std::array<quint8, kBlockSize> keyStream()
{
    const quint8 key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<quint8, 256> s;
    for (int i = 0; i < 256; ++i)
        s[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::array<quint8, kBlockSize> out;
    for (int n = 0, i = 0, j = 0; n < kBlockSize; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        out[n] = s[(s[i] + s[j]) & 0xFF];
    }
    return out;
}

} // namespace

QByteArray JetHeaderPage::build(double creationDate, const QString &password, quint16 sortOrder)
{
    QByteArray p(kPageSize, '\0');
    const char start[] = "\x00\x01\x00\x00Standard Jet DB";
    std::memcpy(p.data(), start, sizeof start); // includes the terminating zero
    p[0x14] = 0x01;                             // Jet 4

    const quint8 constants[24] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                  0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                  0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    std::memcpy(p.data() + 0x18, constants, sizeof constants);
    put16(p, 0x3C, 1252); // code page: Jet 3 only, kept as Access writes it
    put32(p, 0x3E, 0);    // database key 0: pages are not encrypted

    // The password is masked with the day number of the creation date stored below, so the
    // two must come from the same double.
    QByteArray pw = JetTextEncoding::plain(QStringView(password).left(20));
    pw.resize(40, '\0');
    const qint32 day = qint32(creationDate);
    for (int i = 0; i < 40; ++i)
        pw[i] = char(quint8(pw[i]) ^ quint8(quint32(day) >> (8 * (i % 4))));
    p.replace(0x42, 40, pw);
    put32(p, 0x6A, 0x11A6);
    put16(p, 0x6E, sortOrder);
    std::memcpy(p.data() + 0x72, &creationDate, sizeof creationDate);

    const std::array<quint8, kBlockSize> stream = keyStream();
    for (int i = 0; i < kBlockSize; ++i)
        p[kBlockStart + i] = char(quint8(p[kBlockStart + i]) ^ stream[i]);

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
