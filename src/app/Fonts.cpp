#include "app/Fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutions()
{
    // 宋体 is a Song face with its own Latin letters and digits: the Ming face of the same
    // design comes first, so that "2.0.0.6" or "[1]" are drawn in it, at the size of the
    // Chinese around them, and not in a larger sans-serif face.
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                                QStringLiteral("DejaVu Sans")});
    // 黑体 is a Hei (sans-serif) face; a Ming face in its place would change the dialog's look.
    QFont::insertSubstitutions(QStringLiteral("黑体"), {QStringLiteral("WenQuanYi Micro Hei"),
                                                        QStringLiteral("Noto Sans CJK SC"),
                                                        QStringLiteral("AR PL UMing CN")});
    // Tahoma is a Latin face; Chinese text in it comes from the Song face, as Windows links it.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("AR PL UMing CN"),
                                QStringLiteral("AR PL UMing TW")});
}
