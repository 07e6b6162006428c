#include "jet/JetHeader.h"

#include <array>
#include <cstring>

using namespace JetFormat;

namespace {

std::array<unsigned char, kMaskedBlockLength> plainHeaderBlock(const char *data)
{
    const auto &keystream = JetHeader::headerKeystream();
    std::array<unsigned char, kMaskedBlockLength> block{};
    for (int i = 0; i < kMaskedBlockLength; ++i)
        block[i] = static_cast<unsigned char>(data[kMaskedBlockStart + i]) ^ keystream[i];
    return block;
}

} // namespace

JetHeader::Verdict JetHeader::inspect(const char *data, qint64 size, QString *reason)
{
    constexpr qint64 signatureLength = sizeof(kSignature);
    if (size < signatureLength + 1 || std::memcmp(data, kSignature, signatureLength) != 0)
        return Verdict::NotJet;
    if (data[kVersionOffset] != kVersionJet4)
        return Verdict::NotJet;
    auto damaged = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return Verdict::Damaged;
    };
    if (size % kPageSize != 0)
        return damaged(QStringLiteral("the length is not a whole number of pages"));
    // Page 0 is the header, page 1 the free-page map, page 2 the system catalogue's definition.
    if (size < 3 * kPageSize)
        return damaged(QStringLiteral("the file is too short"));
    if (data[kSystemObjectsPage * kPageSize] != kPageTypeTableDefinition)
        return damaged(QStringLiteral("the system catalogue is missing"));
    return Verdict::Jet4;
}

QString JetHeader::password(const char *data)
{
    const auto block = plainHeaderBlock(data);
    double created = 0;
    std::memcpy(&created, block.data() + (kCreationDateOffset - kMaskedBlockStart), sizeof created);
    // The mask is the day number of the creation date; a nonsense date must not overflow.
    const qint32 day = (created > -2147483648.0 && created < 2147483647.0) ? qint32(created) : 0;
    unsigned char mask[4];
    const quint32 dayBits = quint32(day);
    for (int i = 0; i < 4; ++i)
        mask[i] = static_cast<unsigned char>(dayBits >> (8 * i));

    QString result;
    for (int i = 0; i + 1 < kPasswordBytes; i += 2) {
        const int at = kPasswordOffset - kMaskedBlockStart + i;
        const char16_t unit =
            char16_t((block[at] ^ mask[i % 4]) | ((block[at + 1] ^ mask[(i + 1) % 4]) << 8));
        if (unit == 0)
            break;
        result.append(QChar(unit));
    }
    return result;
}

quint32 JetHeader::databaseKey(const char *data)
{
    const auto block = plainHeaderBlock(data);
    const int at = kDatabaseKeyOffset - kMaskedBlockStart;
    return quint32(block[at]) | quint32(block[at + 1]) << 8 | quint32(block[at + 2]) << 16 |
           quint32(block[at + 3]) << 24;
}

// Computing the keystream keeps a table of magic numbers out of the source.
const std::array<unsigned char, kMaskedBlockLength> &JetHeader::headerKeystream()
{
    static const auto keystream = [] {
        const unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
        std::array<unsigned char, 256> s{};
        for (int i = 0; i < 256; ++i)
            s[i] = static_cast<unsigned char>(i);
        for (int i = 0, j = 0; i < 256; ++i) {
            j = (j + s[i] + key[i % 4]) & 0xFF;
            std::swap(s[i], s[j]);
        }
        std::array<unsigned char, kMaskedBlockLength> out{};
        for (int n = 0, i = 0, j = 0; n < kMaskedBlockLength; ++n) {
            i = (i + 1) & 0xFF;
            j = (j + s[i]) & 0xFF;
            std::swap(s[i], s[j]);
            out[n] = s[(s[i] + s[j]) & 0xFF];
        }
        return out;
    }();
    return keystream;
}
