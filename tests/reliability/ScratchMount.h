#pragma once

#include <QString>
#include <QTemporaryDir>

// A small tmpfs mounted over a temporary folder for the life of the object, so that a test can
// give the program a folder that is read-only or nearly full. Needs root (the test machines run
// as root, where file permissions alone do not stop a write); without it, ok() is false.
class ScratchMount {
public:
    // options as for mount -o, for instance "size=64k" or "ro,size=64k".
    explicit ScratchMount(const QString &options);
    ~ScratchMount();
    ScratchMount(const ScratchMount &) = delete;
    ScratchMount &operator=(const ScratchMount &) = delete;

    bool ok() const { return m_mounted; }
    const QString &why() const { return m_why; }
    QString path() const { return m_dir.path(); }
    bool remount(const QString &options);

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};
