// Helper for the two-copies test: the start-up steps of one copy that touch the bank. It waits
// for a line on its input, so that two copies can be let go at the same moment, then for the
// microseconds its second argument gives, to vary which copy is ahead; then, like the
// main window's creation handler, unpacks the bank (one of the shipped bank's size, linked into
// this helper) unless a file of that name is present, and
// connects as the data module does. It prints "connected" or the error the user would see.
#include "base/AppError.h"
#include "data/BankConnection.h"
#include "data/BankUnpacker.h"
#include "data/TDataModule1.h"

#include <QFileInfo>
#include <QString>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const QString appPath = QString::fromLocal8Bit(argv[1]) + u'/';
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 2;
    QThread::usleep(QString::fromLatin1(argv[2]).toULong());
    QString outcome = QStringLiteral("connected");
    try {
        if (!QFileInfo(appPath + QStringLiteral("question.slg")).isFile())
            unpackQuestionBank(appPath, QStringLiteral(":/test/fullsize"));
        TDataModule1 module(appPath);
        module.DataModuleCreate();
    } catch (const AppError &e) {
        outcome = e.message();
    }
    std::fputs(outcome.toUtf8().constData(), stdout);
    std::fputs("\n", stdout);
    return 0;
}
