#pragma once

#include <QString>

// The recogniser's text as a user would have copied it from the page.
namespace RecognizedText {

// The Chinese model puts a blank between most characters of a line; Chinese text has none, so
// a blank with a CJK character or a full-width mark on either side goes. Blanks between Latin
// words stay, lines stay lines (the page's own line breaks), and empty lines go.
QString tidy(const QString &raw);

} // namespace RecognizedText
