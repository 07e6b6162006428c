#include "data/BankUnpacker.h"

#include "app/AppError.h"

#include <QFile>
#include <QResource>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Closes the descriptor on every path out, failures included.
struct FileDescriptor {
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

void unpackQuestionBank(const QString &appPath, const QString &resourcePath)
{
    const QResource resource(resourcePath);
    if (!resource.isValid())
        throw AppError(QStringLiteral("Resource %1 not found").arg(QStringLiteral("questionslg")));
    // Uncompressed resources are mapped in place: the bytes go straight to the file.
    const QByteArray bytes = resource.uncompressedData();

    const QString path = appPath + QStringLiteral("question.slg");
    const QByteArray nativePath = QFile::encodeName(path);
    FileDescriptor file{
        ::open(nativePath.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)};
    if (file.fd < 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        throw AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    }

    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(file.fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw AppError(QStringLiteral("Stream write error"));
        data += written;
        left -= written;
    }
}
