// Helper for the kill test: rewrites the settings file's SetTop flag, on and off, until it is
// killed. It says "ready" once the first write has gone through, so that the kills land while
// the writes are under way rather than during start-up.
#include "base/IniFile.h"

#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const IniFile ini(QString::fromLocal8Bit(argv[1]));
    bool value = false;
    ini.WriteBool(QStringLiteral("Config"), QStringLiteral("SetTop"), value);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (;;) {
        value = !value;
        ini.WriteBool(QStringLiteral("Config"), QStringLiteral("SetTop"), value);
    }
}
