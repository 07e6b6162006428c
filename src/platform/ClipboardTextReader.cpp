#include "platform/ClipboardTextReader.h"

#include "platform/QtClipboardReader.h"
#ifdef QINGLAN_HAVE_XCB
#include "platform/X11ClipboardReader.h"
#endif

#include <QGuiApplication>

std::unique_ptr<ClipboardTextReader> ClipboardTextReader::forThisPlatform()
{
#ifdef QINGLAN_HAVE_XCB
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        auto reader = std::make_unique<X11ClipboardReader>();
        if (reader->isConnected())
            return reader;
    }
#endif
    return std::make_unique<QtClipboardReader>();
}
