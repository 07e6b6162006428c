#pragma once

#include "platform/ClipboardTextReader.h"

// Reads through QClipboard, answering at once. Right where Qt's clipboard holds the data in
// the process or reads it without waiting on another program's event loop; on X11 the window
// would wait for the selection's owner, which is why X11 has a reader of its own.
class QtClipboardReader : public ClipboardTextReader {
    Q_OBJECT
public:
    using ClipboardTextReader::ClipboardTextReader;

    void read(QClipboard::Mode mode) override;
    void cancel() override {}
};
