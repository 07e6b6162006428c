#pragma once

#include <QString>

// What the lookup searches for, taken from the whole text of the input box: one "、" is dropped
// when it is the very first character, then characters up to U+0020 are trimmed from both ends
// (U+3000 and U+00A0 stay). Inner line breaks stay.
QString lookupFragment(const QString &inputText);
