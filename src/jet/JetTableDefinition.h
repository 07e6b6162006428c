#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// A table definition (TDEF) page: header, index row counts, column entries, column names,
// index definitions and names, the long-value column maps and the FF FF terminator.
struct JetTableDefinition {
    struct Column {
        quint8 type;
        quint16 number;
        quint16 slot; // variable slot; 0 for fixed columns
        quint8 flags;
        quint8 extraFlags;
        quint16 fixedOffset;
        quint16 length;
        QString name;
    };
    struct Index {
        quint16 column;
        quint32 usageMap; // pg_row
        quint32 rootPage;
        quint8 flags;
        quint8 kind; // 1 primary key
        quint32 entries;
        QString name;
    };
    struct LongValueMaps {
        quint16 column;
        quint32 owned; // pg_row
        quint32 free;  // pg_row
    };

    quint8 tableType = 0x4E; // user table; 0x53 system
    quint16 maxColumns = 0;
    quint16 varSlots = 0;
    quint32 rows = 0;
    quint32 lastAutoNumber = 0;
    quint32 ownedMap = 0; // pg_row
    quint32 freeMap = 0;  // pg_row
    QVector<Column> columns;
    QVector<Index> indexes;
    QVector<LongValueMaps> longValueMaps;

    // The whole page. Throws BankInputError if the definition does not fit one page.
    QByteArray page() const;
};
