#include "BankLoadProbe.h"

#include "base/AppError.h"
#include "jet/JetDatabase.h"

void loadBankForFuzzing(const char *data, size_t size)
{
    try {
        const auto db = JetDatabase::openBytes(data, qint64(size));
        // The question table by the name the program uses, then every other table, so that seed
        // files with other tables also drive the row and long-value readers.
        QStringList tables = db->tableNames();
        tables.prepend(QStringLiteral("问题"));
        for (const QString &table : tables) {
            if (!db->hasTable(table))
                continue;
            try {
                qsizetype cells = 0;
                db->forEachRow(table, [&cells](const JetRow &row) { cells += row.size(); });
            } catch (const AppError &) {
            }
        }
    } catch (const AppError &) {
    }
}
