#pragma once

#include "platform/ClipboardContent.h"

#include <QClipboard>

#include <chrono>
#include <functional>
#include <memory>

// Reads an X11 selection (CLIPBOARD or PRIMARY) on an X connection and a thread of its own, so
// that the window's thread never waits for the selection's owner: the conversion request, the
// property read in parts, the INCR protocol for big transfers, a timeout when the owner stops
// answering. Requests are taken in order; a new one, or cancel(), abandons the one under way.
// The X protocol stays inside the implementation file.
class X11SelectionTransfer {
public:
    // Called on the transfer's thread with the number the request was made with.
    using Deliver = std::function<void(quint64 request, const ClipboardContent &content)>;

    X11SelectionTransfer(Deliver deliver, std::chrono::milliseconds timeout);
    // Abandons what is under way and waits for the thread to end.
    ~X11SelectionTransfer();

    // False when the display could not be opened; every request then fails.
    bool isConnected() const;
    void request(quint64 request, QClipboard::Mode mode);
    void cancel();

private:
    struct Worker;
    std::unique_ptr<Worker> m_worker;
};
