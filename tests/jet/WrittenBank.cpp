#include "WrittenBank.h"

#include "jet/BankInputError.h"
#include "jet/JetBankWriter.h"

#include <QFile>
#include <QTest>

bool WrittenBank::write(const QString &path, const QVector<BankRecord> &rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QTest::qFail(qPrintable(path + QStringLiteral(": ") + file.errorString()), __FILE__,
                     __LINE__);
        return false;
    }
    try {
        JetBankWriter writer(&file);
        qint32 number = 0;
        for (BankRecord r : rows) {
            r.number = r.number ? r.number : number + 1;
            number = r.number;
            writer.add(r);
        }
        writer.finish();
    } catch (const BankInputError &e) {
        QTest::qFail(qPrintable(e.message()), __FILE__, __LINE__);
        return false;
    }
    return true;
}

BankRecord WrittenBank::row(const QString &subject, const QString &text, const QString &options,
                            const QString &answer)
{
    BankRecord r;
    r.subject = subject;
    r.text = text;
    r.options = options;
    r.answer = answer;
    return r;
}
