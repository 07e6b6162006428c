#include "BankCommands.h"
#include "CommandLine.h"

#include <QCoreApplication>

#include <clocale>
#include <cstdio>

namespace {

const char kHelp[] = "Usage: qinglan-bank COMMAND ...\n"
                     "Commands:\n"
                     "  build SOURCE.csv -o FILE   write a bank from CSV\n"
                     "  dump FILE [TABLE]          print a table as CSV\n"
                     "  check FILE                 check a bank and show how it is stored\n"
                     "  synth N -o FILE            write a made-up bank of N rows\n"
                     "  find FILE FRAGMENT         look a fragment up as the program does\n"
                     "  find FILE --image PICTURE  the same with the text read from a picture\n"
                     "Each command takes --help. Exit codes: 0 done, 1 bad input, 2 usage.\n";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The application object takes the whole locale from the environment, but libmdb formats
    // numbers and dates with printf and strftime: in the C locale, as mdb-export leaves them,
    // so that a decimal comma never splits a CSV field and dates read the same everywhere.
    std::setlocale(LC_NUMERIC, "C");
    std::setlocale(LC_TIME, "C");
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fputs(kHelp, stderr);
        return BankCommands::Usage;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        Console::out(kHelp);
        return BankCommands::Ok;
    }
    if (command == QLatin1String("build"))
        return BankCommands::build(args);
    if (command == QLatin1String("dump"))
        return BankCommands::dump(args);
    if (command == QLatin1String("check"))
        return BankCommands::check(args);
    if (command == QLatin1String("synth"))
        return BankCommands::synth(args);
    if (command == QLatin1String("find"))
        return BankCommands::find(args);
    Console::error(QStringLiteral("unknown command \"%1\"").arg(command));
    std::fputs(kHelp, stderr);
    return BankCommands::Usage;
}
