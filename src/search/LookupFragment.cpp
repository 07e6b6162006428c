#include "search/LookupFragment.h"

QString lookupFragment(const QString &inputText)
{
    QStringView text(inputText);
    if (text.startsWith(u'\u3001'))
        text = text.mid(1);
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin).toString();
}
