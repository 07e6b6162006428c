#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <optional>

// Finding and setting one key in the text of an INI file, in one pass over the text and without
// splitting it into lines: a file of a hundred megabytes costs what reading it once costs. The
// 8-bit form works on the bytes as they are (one character per byte), the 16-bit form on the
// text of a UTF-16 file. Every part of the text but the one line written comes back unchanged,
// each line keeping its own line end. Section and key names match without regard to case.
namespace IniText {

// The raw value of the first line "key=value" in a section of that name, untrimmed.
std::optional<QString> find(QLatin1StringView text, const QString &section, const QString &key);
std::optional<QString> find(QStringView text, const QString &section, const QString &key);

// The text with the key set: its line in the first section of that name replaced, or a new line
// after the section's last non-blank line, or a new section at the end. New lines end in CRLF,
// or in LF when the file has LF line ends and no CRLF. The 8-bit form stores `value` as Latin-1.
QByteArray withValue(QLatin1StringView text, const QString &section, const QString &key,
                     const QString &value);
QString withValue(QStringView text, const QString &section, const QString &key,
                  const QString &value);

} // namespace IniText
