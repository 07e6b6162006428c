#pragma once

#include "platform/ClipboardContent.h"

#include <QClipboard>
#include <QObject>

#include <memory>

// Fetches the clipboard's text without holding the thread that asks. Only the newest request
// is answered: a read still under way when another is asked for, or when cancel() is called, is
// dropped and its result never arrives. The result comes by finished() on the thread that owns
// the reader; it may come before read() returns (a reader that asks an in-process clipboard has
// nothing to wait for), so set up what the answer needs before asking.
class ClipboardTextReader : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The reader for the platform the application runs on: on X11 one that reads the selection
    // on a connection and thread of its own; elsewhere (Wayland, offscreen) Qt's clipboard.
    static std::unique_ptr<ClipboardTextReader> forThisPlatform();

    // mode: QClipboard::Clipboard, or QClipboard::Selection for the primary selection.
    virtual void read(QClipboard::Mode mode) = 0;
    virtual void cancel() = 0;

signals:
    void finished(const ClipboardContent &content);
};
