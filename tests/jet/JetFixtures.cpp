#include "JetFixtures.h"

#include "jet/JetFormat.h"
#include "jet/JetHeader.h"

#include <QFile>
#include <QtGlobal>

#include <array>
#include <cstring>
#include <utility>

QString JetFixtures::path(const QString &name)
{
    const QString folder = qEnvironmentVariable("QINGLAN_JET4_FIXTURES");
    const QString full = folder + QLatin1Char('/') + name;
    return !folder.isEmpty() && QFile::exists(full) ? full : QString();
}

bool JetFixtures::copyTo(const QString &name, const QString &target)
{
    const QString source = path(name);
    if (source.isEmpty())
        return false;
    QFile::remove(target);
    if (!QFile::copy(source, target))
        return false;
    return QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
}

// Written apart from the program's header reader on purpose: RC4 with the fixed header key
// over bytes 0x18..0x97, the password at 0x42 masked with the creation day at 0x72.
void JetFixtures::setDatabasePassword(const QString &file, const QString &password)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite))
        qFatal("cannot open %s", qPrintable(file));
    QByteArray page = f.read(4096);

    const auto &stream = JetHeader::headerKeystream();
    auto *bytes = reinterpret_cast<unsigned char *>(page.data());
    for (int n = 0; n < JetFormat::kMaskedBlockLength; ++n)
        bytes[JetFormat::kMaskedBlockStart + n] ^= stream[n];

    double created = 0;
    std::memcpy(&created, bytes + 0x72, sizeof created);
    const quint32 day = quint32(qint32(created));
    for (int i = 0; i < 40; ++i) {
        const int unitIndex = i / 2;
        const char16_t unit = unitIndex < password.size() ? password[unitIndex].unicode() : 0;
        const unsigned char plain = static_cast<unsigned char>(i % 2 ? unit >> 8 : unit & 0xFF);
        bytes[0x42 + i] = plain ^ static_cast<unsigned char>(day >> (8 * (i % 4)));
    }

    for (int n = 0; n < JetFormat::kMaskedBlockLength; ++n)
        bytes[JetFormat::kMaskedBlockStart + n] ^= stream[n];
    f.seek(0);
    f.write(page);
}
