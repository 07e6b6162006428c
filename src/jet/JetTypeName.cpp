#include "jet/JetTypeName.h"

QString jetTypeName(int type)
{
    switch (type) {
    case 1:
        return QStringLiteral("Yes/No");
    case 2:
        return QStringLiteral("Byte");
    case 3:
        return QStringLiteral("Integer");
    case 4:
        return QStringLiteral("Long");
    case 5:
        return QStringLiteral("Currency");
    case 6:
        return QStringLiteral("Single");
    case 7:
        return QStringLiteral("Double");
    case 8:
        return QStringLiteral("Date/Time");
    case 9:
        return QStringLiteral("Binary");
    case 10:
        return QStringLiteral("Text");
    case 11:
        return QStringLiteral("OLE Object");
    case 12:
        return QStringLiteral("Memo");
    case 15:
        return QStringLiteral("Replication ID");
    case 16:
        return QStringLiteral("Decimal");
    case 18:
        return QStringLiteral("Attachment");
    default:
        return QStringLiteral("unknown (%1)").arg(type);
    }
}
