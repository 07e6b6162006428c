#pragma once

#include <QString>
#include <QStringList>

// Where the recognition models are: TESSDATA_PREFIX when set (the folder of the .traineddata
// files, or its parent), else the folders Debian's tesseract-ocr packages install to.
namespace TessdataFolder {

// The folders searched, in order.
QStringList candidates();
// The first candidate holding `language`.traineddata. Throws AppError naming the folders
// searched when none does.
QString find(const QString &language);

} // namespace TessdataFolder
