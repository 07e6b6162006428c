#include "app/Fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutions()
{
    const QStringList songFaces{QStringLiteral("DejaVu Sans"), QStringLiteral("AR PL UMing CN"),
                                QStringLiteral("AR PL UMing TW")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), songFaces);
    QFont::insertSubstitutions(QStringLiteral("黑体"), songFaces);
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), songFaces);
}
