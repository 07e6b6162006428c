#pragma once

#include <QString>
#include <QStringView>

// The lookup compares text without regard to Latin letter case and to full-width versus
// half-width forms: U+FF01..U+FF5E count as U+0021..U+007E and U+3000 as the space. Folding maps
// each UTF-16 unit to one unit, so positions in the folded text are positions in the original.
char16_t foldUnit(char16_t unit);
QString foldText(QStringView text);
