#include "jet/JetTextEncoding.h"

QByteArray JetTextEncoding::plain(QStringView text)
{
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char *p = out.data();
    for (const QChar c : text) {
        *p++ = char(c.unicode() & 0xFF);
        *p++ = char(c.unicode() >> 8);
    }
    return out;
}

QByteArray JetTextEncoding::shortest(QStringView text)
{
    if (text.isEmpty() || text.size() > kMaxCompressedChars)
        return plain(text);
    // Readers differ in where they look for the zero byte that switches modes: some only at a
    // unit boundary, some anywhere. A unit whose low byte is zero (U+4E00 "一", U+0100 ...)
    // would look like a switch to the latter, so such a text stays plain. Then no byte of a
    // two-byte run is zero and every reader splits the value alike.
    qsizetype size = 2;
    bool single = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u & 0xFF) == 0)
            return plain(text);
        const bool narrow = (u >> 8) == 0;
        if (narrow != single) {
            ++size;
            single = narrow;
        }
        size += narrow ? 1 : 2;
    }
    if (size >= text.size() * 2)
        return plain(text);

    QByteArray out;
    out.reserve(size);
    out.append(char(0xFF));
    out.append(char(0xFE));
    single = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool narrow = (u >> 8) == 0;
        if (narrow != single) {
            out.append('\0');
            single = narrow;
        }
        out.append(char(u & 0xFF));
        if (!narrow)
            out.append(char(u >> 8));
    }
    return out;
}

bool JetTextEncoding::isCompressed(const QByteArray &stored)
{
    return stored.size() >= 2 && quint8(stored[0]) == 0xFF && quint8(stored[1]) == 0xFE;
}
