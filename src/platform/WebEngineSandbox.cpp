#include "platform/WebEngineSandbox.h"

#include <QByteArray>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

void allowWebEngineAsRoot()
{
#ifdef Q_OS_UNIX
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", QByteArrayLiteral("1"));
#endif
}
