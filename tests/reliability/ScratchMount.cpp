#include "ScratchMount.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace {

unsigned long flagsFrom(const QString &options, QByteArray *data)
{
    unsigned long flags = 0;
    QStringList rest;
    for (const QString &option : options.split(u',', Qt::SkipEmptyParts)) {
        if (option == u"ro")
            flags |= MS_RDONLY;
        else
            rest << option;
    }
    *data = rest.join(u',').toLatin1();
    return flags;
}

} // namespace

ScratchMount::ScratchMount(const QString &options)
{
    if (geteuid() != 0) {
        m_why = QStringLiteral("needs root to mount a tmpfs");
        return;
    }
    if (!m_dir.isValid()) {
        m_why = QStringLiteral("no temporary folder");
        return;
    }
    QByteArray data;
    const unsigned long flags = flagsFrom(options, &data);
    const QByteArray target = QFile::encodeName(m_dir.path());
    if (::mount("qinglan-test", target.constData(), "tmpfs", flags, data.constData()) != 0) {
        m_why =
            QStringLiteral("mount tmpfs failed: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    m_mounted = true;
}

ScratchMount::~ScratchMount()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

bool ScratchMount::remount(const QString &options)
{
    QByteArray data;
    const unsigned long flags = flagsFrom(options, &data) | MS_REMOUNT;
    return ::mount("qinglan-test", QFile::encodeName(m_dir.path()).constData(), "tmpfs", flags,
                   data.constData()) == 0;
}
