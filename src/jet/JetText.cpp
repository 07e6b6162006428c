#include "jet/JetText.h"

QString decodeJetText(const unsigned char *bytes, qsizetype length)
{
    QString text;
    if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        // Compressed: single bytes stand for U+0001..U+00FF; a zero byte at a character
        // boundary switches between single-byte and two-byte runs.
        text.reserve(length);
        bool singleBytes = true;
        qsizetype i = 2;
        while (i < length) {
            if (bytes[i] == 0) {
                singleBytes = !singleBytes;
                ++i;
            } else if (singleBytes) {
                text.append(QChar(char16_t(bytes[i])));
                ++i;
            } else if (i + 1 < length) {
                text.append(QChar(char16_t(bytes[i] | (bytes[i + 1] << 8))));
                i += 2;
            } else {
                break; // a lone trailing byte in a two-byte run carries no character
            }
        }
        return text;
    }
    text.resize(length / 2);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < length / 2; ++i)
        out[i] = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return text;
}
