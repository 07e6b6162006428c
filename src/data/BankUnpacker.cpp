#include "data/BankUnpacker.h"

#include "base/AppError.h"

#include <QFileInfo>
#include <QResource>
#include <QSaveFile>

#include <cerrno>

namespace {

AppError cannotCreate(const QString &path, const QString &why)
{
    return AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, why));
}

} // namespace

void unpackQuestionBank(const QString &appPath, const QString &resourcePath)
{
    const QResource resource(resourcePath);
    if (!resource.isValid())
        throw AppError(QStringLiteral("Resource %1 not found").arg(QStringLiteral("questionslg")));
    // Uncompressed resources are mapped in place: the bytes go straight to the file.
    const QByteArray bytes = resource.uncompressedData();

    const QString path = appPath + QStringLiteral("question.slg");
    // A folder of that name cannot be replaced; say so as the system would.
    if (QFileInfo(path).isDir())
        throw cannotCreate(path, qt_error_string(EISDIR));

    // The bank is written under a name of its own in the same folder and renamed into place
    // once whole, so that "question.slg" is only ever absent or complete: a second copy
    // started at the same moment, which opens a present file as it is, never finds one half
    // written. A failed write removes the temporary file and leaves no bank behind; the next
    // start unpacks afresh. Unbuffered, so that a short write is seen where it happens.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw cannotCreate(path, file.errorString());

    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0)
            throw AppError(QStringLiteral("Stream write error"));
        data += written;
        left -= written;
    }
    if (!file.commit()) {
        if (file.error() == QFileDevice::RenameError)
            throw cannotCreate(path, file.errorString());
        throw AppError(QStringLiteral("Stream write error"));
    }
}
