#pragma once

#include <QtGlobal>

// The look-alike table written by tools/lookalikes (from the glyphs and from the recogniser's
// confusions): kLookalikePairCount pairs of UTF-16 units, the smaller first, in ascending order.
extern const char16_t kLookalikePairs[];
extern const qsizetype kLookalikePairCount;
