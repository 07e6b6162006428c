// The settings file reader and writer on arbitrary file content. Besides crashes and sanitizer
// reports it checks what the exit relies on: after a write the key reads back as written, and
// every other line of the file is kept byte for byte (a foreign Config.ini edited by hand must
// survive the program's exit). The number reader is checked against round trips of its formats.
#include "base/AppError.h"
#include "base/IniFile.h"
#include "base/IniNumber.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

QString g_path;

void fail(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Lines as the reader sees them, without their line breaks. CRs at the end of a line are not
// compared: a line that ends in a bare CR becomes part of a CR LF break when a line is written
// after it, which changes nothing a reader of INI files sees.
QByteArrayList linesOf(const QByteArray &bytes)
{
    QByteArrayList lines = bytes.split('\n');
    if (bytes.isEmpty() || bytes.endsWith('\n'))
        lines.removeLast();
    for (QByteArray &line : lines)
        while (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

// The new content must be the old one with exactly one line replaced, one inserted, or a
// section header and one line appended.
bool keepsOtherLines(const QByteArrayList &before, const QByteArrayList &after)
{
    if (after.size() == before.size()) {
        int changed = 0;
        for (qsizetype i = 0; i < before.size(); ++i)
            changed += before[i] != after[i];
        return changed <= 1;
    }
    if (after.size() == before.size() + 1) {
        for (qsizetype skip = 0; skip < after.size(); ++skip) {
            QByteArrayList rest = after;
            rest.removeAt(skip);
            if (rest == before)
                return true;
        }
        return false;
    }
    if (after.size() == before.size() + 2)
        return after.mid(0, before.size()) == before;
    return false;
}

void checkNumberRoundTrips(const uint8_t *data, size_t size)
{
    if (size < 4)
        return;
    qint32 n;
    std::memcpy(&n, data, sizeof n);
    const auto bits = static_cast<quint32>(n);
    if (parseIniInteger(QString::number(n)) != n)
        fail("decimal round trip");
    if (parseIniInteger(u'$' + QString::number(bits, 16)) != n)
        fail("$hex round trip");
    if (parseIniInteger(QStringLiteral("0x") + QString::number(bits, 16).toUpper()) != n)
        fail("0x round trip");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Every write goes through a rename and an fsync: a tmpfs (TMPDIR=/dev/shm) makes them cheap.
    const char *tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_ini.XXXXXX";
    if (!mkdtemp(dir.data()))
        std::abort();
    g_path = QString::fromLocal8Bit(dir.c_str()) + QStringLiteral("/Config.ini");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // The number reader on the raw text, in both ways a file's bytes may be decoded.
    (void)parseIniInteger(QString::fromUtf8(bytes));
    (void)parseIniInteger(QString::fromLatin1(bytes));
    checkNumberRoundTrips(data, size);

    {
        QFile file(g_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            std::abort();
    }
    const IniFile ini(g_path);
    const bool homePage =
        ini.ReadBool(QStringLiteral("Config"), QStringLiteral("SetHomePage"), true);
    const bool top = ini.ReadBool(QStringLiteral("Config"), QStringLiteral("SetTop"), true);
    const QString other = ini.readString(QStringLiteral("Window"), QStringLiteral("SetTop"));

    try {
        ini.WriteBool(QStringLiteral("Config"), QStringLiteral("SetTop"), !top);
    } catch (const AppError &) {
        fail("write into a writable folder refused");
    }
    if (ini.ReadBool(QStringLiteral("Config"), QStringLiteral("SetTop"), top) != !top)
        fail("written value does not read back");
    if (ini.ReadBool(QStringLiteral("Config"), QStringLiteral("SetHomePage"), true) != homePage)
        fail("writing SetTop changed SetHomePage");
    if (ini.readString(QStringLiteral("Window"), QStringLiteral("SetTop")) != other)
        fail("writing changed another section");

    QFile file(g_path);
    if (!file.open(QIODevice::ReadOnly))
        fail("file gone after write");
    if (!keepsOtherLines(linesOf(bytes), linesOf(file.readAll())))
        fail("lines other than the written key changed");
    return 0;
}
