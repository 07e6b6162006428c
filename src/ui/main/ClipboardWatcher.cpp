#include "ui/main/ClipboardWatcher.h"

#include <QClipboard>
#include <QMimeData>

ClipboardWatcher::ClipboardWatcher(QClipboard *clipboard, QObject *parent)
    : QObject(parent), m_clipboard(clipboard)
{
    connect(m_clipboard, &QClipboard::dataChanged, this, &ClipboardWatcher::clipboardChanged);
}

void ClipboardWatcher::clipboardChanged()
{
    if (!m_enabled || m_clipboard->ownsClipboard())
        return;
    const QMimeData *data = m_clipboard->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText())
        return;
    const QString text = data->text();
    if (!text.isEmpty())
        emit copiedText(text);
}
