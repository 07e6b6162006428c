#pragma once

#include <QString>
#include <optional>

// Whole-number reading of an INI value as the settings file has always been read: "0x" plus
// hexadecimal digits when longer than two characters; otherwise optional leading blanks and
// sign, then decimal digits or "$" and hexadecimal digits, within a signed 32-bit number.
// Anything else is not a number.
std::optional<qint32> parseIniInteger(const QString &text);
