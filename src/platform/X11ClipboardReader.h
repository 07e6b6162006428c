#pragma once

#include "platform/ClipboardTextReader.h"

#include <chrono>
#include <memory>

class X11SelectionTransfer;

// The X11 reader: the selection is read by an X11SelectionTransfer off the window's thread, and
// its result handed back here, where only the newest request's result is let through.
class X11ClipboardReader : public ClipboardTextReader {
    Q_OBJECT
public:
    // Owners answer at once when they answer at all; Qt's own clipboard gives up after 5 s too.
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    explicit X11ClipboardReader(QObject *parent = nullptr,
                                std::chrono::milliseconds timeout = kDefaultTimeout);
    ~X11ClipboardReader() override;

    bool isConnected() const;
    void read(QClipboard::Mode mode) override;
    void cancel() override;

private:
    void arrived(quint64 request, const ClipboardContent &content);

    std::unique_ptr<X11SelectionTransfer> m_transfer;
    quint64 m_lastRequest = 0;
    quint64 m_awaited = 0; // 0 when no result is awaited
};
