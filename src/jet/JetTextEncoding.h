#pragma once

#include <QByteArray>
#include <QStringView>

// How Jet 4 stores a text value: UTF-16LE, or the compressed form (FF FE, then runs of one-byte
// characters and of UTF-16 units, a zero byte switching between them).
namespace JetTextEncoding {

// Jet compresses values of at most this many characters.
inline constexpr qsizetype kMaxCompressedChars = 1024;

QByteArray plain(QStringView text);
// The compressed form when it is shorter than the plain one, else the plain form.
QByteArray shortest(QStringView text);
bool isCompressed(const QByteArray &stored);

} // namespace JetTextEncoding
