#include "ProcessMemory.h"

#include <QFile>

namespace {

qint64 statusField(const QByteArray &name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

} // namespace

qint64 residentBytes()
{
    return statusField("VmRSS");
}

qint64 peakResidentBytes()
{
    return statusField("VmHWM");
}
