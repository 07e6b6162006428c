#pragma once

#include "platform/ClipboardTextReader.h"

// Reads through QClipboard, answering before read() returns. Where the clipboard lives in the
// process (offscreen) that costs nothing; elsewhere Qt's clipboard still reads on the window's
// thread (on Wayland from the owner's pipe), as it did before there was a reader. X11, where
// a long text from another program held the window for most of a second, has a reader of its
// own.
class QtClipboardReader : public ClipboardTextReader {
    Q_OBJECT
public:
    using ClipboardTextReader::ClipboardTextReader;

    void read(QClipboard::Mode mode) override;
    void cancel() override {}
};
