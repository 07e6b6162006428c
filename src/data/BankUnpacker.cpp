#include "data/BankUnpacker.h"

#include "app/AppError.h"

#include <QFile>
#include <QResource>

void unpackQuestionBank(const QString &appPath, const QString &resourcePath)
{
    const QResource resource(resourcePath);
    if (!resource.isValid())
        throw AppError(QStringLiteral("Resource %1 not found").arg(QStringLiteral("questionslg")));
    // Uncompressed resources are mapped in place: the bytes go straight to the file.
    const QByteArray bytes = resource.uncompressedData();

    const QString path = appPath + QStringLiteral("question.slg");
    QFile file(path);
    // Unbuffered: each write goes to the system, so a short write is seen where it happens.
    // The file closes on every way out; a file cut short stays on disk and goes at exit.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered))
        throw AppError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));

    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0)
            throw AppError(QStringLiteral("Stream write error"));
        data += written;
        left -= written;
    }
}
