#include "HostileInputs.h"

QList<HostileInput> hostileInputs()
{
    const QString question = QStringLiteral("国家秘密的密级分为");
    QString controls;
    for (char16_t c = 0; c < 0x20; ++c)
        controls += QChar(c);
    controls += QChar(0x7F);

    QString tenMegabytes;
    // 10 MB of UTF-16: a real paste is mostly CJK text with line breaks.
    const QString line = question + QStringLiteral("（  ）三级。A、绝密;B、机密\n");
    tenMegabytes.reserve(5 * 1024 * 1024 + line.size());
    while (tenMegabytes.size() < 5 * 1024 * 1024)
        tenMegabytes += line;

    return {
        {"10 MB paste", tenMegabytes},
        {"NUL inside a question", question.left(3) + QChar(0) + question.mid(3)},
        {"control characters", controls + question + controls},
        {"lone high surrogate", question + QChar(0xD800)},
        {"lone low surrogate", QChar(0xDC00) + question},
        {"reversed surrogate pair", QString(QChar(0xDC00)) + QChar(0xD800) + question},
        {"right-to-left marks",
         QChar(0x200F) + question + QChar(0x202E) + QChar(0x2067) + question.left(2)},
        {"100,000 apostrophes", QString(100000, u'\'')},
        {"LIKE syntax", QStringLiteral("%_[]^-'\"")},
        {"LIKE syntax around text", QStringLiteral("%国家[秘]密_的^-'\"")},
        {"bracket ranges", QStringLiteral("[a-z][^0-9][!x]")},
        {"only percent signs", QString(1000, u'%')},
        {"only underscores", QString(1000, u'_')},
        {"one common character", QStringLiteral("的")},
        {"byte order marks", QStringLiteral("\uFEFF\uFFFE\uFFFF") + question},
    };
}
