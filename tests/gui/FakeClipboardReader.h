#pragma once

#include "platform/ClipboardTextReader.h"

#include <QList>

// A clipboard whose owner answers when the test says so: requests are recorded, and answer()
// delivers a result as the platform's reader delivers it, later and on the window's thread.
class FakeClipboardReader : public ClipboardTextReader {
    Q_OBJECT
public:
    void read(QClipboard::Mode mode) override;
    void cancel() override;
    void answer(const ClipboardContent &content);

    static ClipboardContent text(const QString &text);
    static ClipboardContent picture(const QImage &picture);
    static ClipboardContent failed(const QString &message);

    QList<QClipboard::Mode> requests;
    int cancels = 0;
};
