#include "Gb2312.h"

#include <QStringDecoder>

QString Gb2312::ideographs()
{
    QStringDecoder decoder("GB18030");
    QString out;
    for (int high = 0xB0; high <= 0xF7; ++high) {
        for (int low = 0xA1; low <= 0xFE; ++low) {
            const char bytes[2] = {char(high), char(low)};
            const QString c = decoder.decode(QByteArrayView(bytes, 2));
            if (c.size() == 1 && c[0].unicode() >= 0x4E00 && c[0].unicode() <= 0x9FFF)
                out += c;
        }
    }
    return out;
}
