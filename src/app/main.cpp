#include "app/AppTitle.h"
#include "app/Application.h"
#include "app/Fonts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qinglan-dati"));
    installFontSubstitutions();
    Application program(QCoreApplication::applicationDirPath());
    return program.run();
}
