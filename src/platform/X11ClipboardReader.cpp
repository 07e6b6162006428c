#include "platform/X11ClipboardReader.h"

#include "platform/X11SelectionTransfer.h"

X11ClipboardReader::X11ClipboardReader(QObject *parent, std::chrono::milliseconds timeout)
    : ClipboardTextReader(parent)
{
    m_transfer = std::make_unique<X11SelectionTransfer>(
        [this](quint64 request, const ClipboardContent &content) {
            // Queued to this object's thread; dropped with the object if it is gone by then.
            QMetaObject::invokeMethod(
                this, [this, request, content] { arrived(request, content); },
                Qt::QueuedConnection);
        },
        timeout);
}

X11ClipboardReader::~X11ClipboardReader()
{
    // The transfer's thread calls back into this object: it must end first.
    m_transfer.reset();
}

bool X11ClipboardReader::isConnected() const
{
    return m_transfer->isConnected();
}

void X11ClipboardReader::read(QClipboard::Mode mode)
{
    m_awaited = ++m_lastRequest;
    m_transfer->request(m_awaited, mode);
}

void X11ClipboardReader::cancel()
{
    m_awaited = 0;
    m_transfer->cancel();
}

void X11ClipboardReader::arrived(quint64 request, const ClipboardContent &content)
{
    // A result the transfer sent just before it learnt of a newer request or a cancel.
    if (request != m_awaited)
        return;
    m_awaited = 0;
    emit finished(content);
}
