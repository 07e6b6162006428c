#include "base/IniNumber.h"

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

std::optional<qint32> parseIniInteger(const QString &input)
{
    QString text = input;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        text = u'$' + text.mid(2);

    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == u'$') {
        hex = true;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;

    // Hexadecimal may use all 32 bits (so "$FFFFFFFF" is -1); decimal must fit the signed range.
    const quint64 limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const int digit =
            hex ? hexDigit(text[i])
                : (text[i].isDigit() && text[i].unicode() < 128 ? text[i].unicode() - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + quint64(digit);
        if (value > limit)
            return std::nullopt;
    }
    const auto bits = static_cast<quint32>(value);
    const auto number = static_cast<qint32>(bits);
    return negative ? static_cast<qint32>(0u - bits) : number;
}
