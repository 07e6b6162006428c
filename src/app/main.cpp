#include "app/Application.h"
#include "app/Fonts.h"
#include "platform/LargeAllocations.h"
#include "platform/WebEngineSandbox.h"
#include "ui/common/AppTitle.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Before the first long text: a long paste must not copy the input box's buffer as it grows.
    keepLargeAllocationsMapped();
    // The banner's web engine: both settings only take effect before the application exists.
    allowWebEngineAsRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qinglan-dati"));
    installFontSubstitutions();
    Application program(QCoreApplication::applicationDirPath());
    return program.run();
}
