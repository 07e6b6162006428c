#include "platform/TessdataFolder.h"

#include "base/AppError.h"

#include <QDir>
#include <QFileInfo>

QStringList TessdataFolder::candidates()
{
    QStringList folders;
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty()) {
        // Tesseract itself accepts both the folder of the models and the one above it.
        folders << QDir::cleanPath(prefix) << QDir::cleanPath(prefix + QStringLiteral("/tessdata"));
        // A prefix set on purpose is not second-guessed with the system's models.
        return folders;
    }
    folders << QStringLiteral("/usr/share/tesseract-ocr/5/tessdata")
            << QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata")
            << QStringLiteral("/usr/share/tessdata") << QStringLiteral("/usr/local/share/tessdata");
    return folders;
}

QString TessdataFolder::find(const QString &language)
{
    const QStringList folders = candidates();
    const QString file = language + QStringLiteral(".traineddata");
    for (const QString &folder : folders)
        if (QFileInfo(folder + u'/' + file).isFile())
            return folder;
    throw AppError(
        QStringLiteral("找不到文字识别模型 %1（已查找：%2）。请安装 tesseract-ocr-chi-sim，"
                       "或将环境变量 TESSDATA_PREFIX 设为模型所在的文件夹")
            .arg(file, folders.join(QStringLiteral("、"))));
}
