#pragma once

#include <QString>

// Writes the embedded bank (":/SlgFILE/questionslg") to appPath + "question.slg", byte for
// byte. Throws AppError with "Resource %s not found", "Cannot create file "%s". %s" or
// "Stream write error"; a file cut short by a failed write stays on disk and is deleted at exit.
void unpackQuestionBank(const QString &appPath,
                        const QString &resourcePath = QStringLiteral(":/SlgFILE/questionslg"));
