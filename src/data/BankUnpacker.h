#pragma once

#include <QString>

// Writes the embedded bank (":/SlgFILE/questionslg") to appPath + "question.slg", byte for
// byte, through a temporary file renamed into place. Throws AppError with "Resource %s not
// found", "Cannot create file "%s". %s" or "Stream write error"; after a failure no
// "question.slg" of this call is left behind.
void unpackQuestionBank(const QString &appPath,
                        const QString &resourcePath = QStringLiteral(":/SlgFILE/questionslg"));
