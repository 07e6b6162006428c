// Figures, not a check: how long the start-up reads and the exit writes of the settings file
// take on a given Config.ini, and the peak memory. Runs on a copy; the file is not changed.
//   bench_settings FILE
#include "ProcessMemory.h"

#include "base/IniFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: bench_settings FILE\n", stderr);
        return 2;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), path)) {
        std::fputs("cannot copy the file\n", stderr);
        return 1;
    }
    const IniFile ini(path);
    const QString section = QStringLiteral("Config");
    const char *keys[] = {"SetHomePage", "SetTop", "WatchClipboard"};

    // As the program does: three reads at start, three writes at exit.
    QElapsedTimer timer;
    timer.start();
    bool values[3];
    for (int i = 0; i < 3; ++i)
        values[i] = ini.ReadBool(section, QString::fromLatin1(keys[i]), true);
    const qint64 readMs = timer.restart();
    for (int i = 0; i < 3; ++i)
        ini.WriteBool(section, QString::fromLatin1(keys[i]), !values[i]);
    const qint64 writeMs = timer.elapsed();

    std::printf("%s: %lld bytes\n", argv[1], qlonglong(QFileInfo(path).size()));
    std::printf("start-up reads (3 keys): %lld ms\n", qlonglong(readMs));
    std::printf("exit writes (3 keys):    %lld ms\n", qlonglong(writeMs));
    std::printf("peak resident memory:    %.1f MB\n", double(peakResidentBytes()) / 1e6);
    return 0;
}
