#include "ui/main/ClipboardWatcher.h"

#include "platform/ClipboardTextReader.h"

#include <QClipboard>

ClipboardWatcher::ClipboardWatcher(QClipboard *clipboard, QObject *parent)
    : QObject(parent), m_clipboard(clipboard)
{
    setClipboardReader(ClipboardTextReader::forThisPlatform());
    connect(m_clipboard, &QClipboard::dataChanged, this, &ClipboardWatcher::clipboardChanged);
}

ClipboardWatcher::~ClipboardWatcher() = default;

void ClipboardWatcher::setClipboardReader(std::unique_ptr<ClipboardTextReader> reader)
{
    m_reader = std::move(reader);
    connect(m_reader.get(), &ClipboardTextReader::finished, this, &ClipboardWatcher::textArrived);
}

void ClipboardWatcher::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        m_reader->cancel();
}

void ClipboardWatcher::clipboardChanged()
{
    if (!m_enabled || m_clipboard->ownsClipboard())
        return;
    // A newer copy supersedes one still being read.
    m_reader->read(QClipboard::Clipboard);
}

void ClipboardWatcher::textArrived(const ClipboardContent &content)
{
    if (content.kind == ClipboardContent::Kind::Text && !content.text.isEmpty())
        emit copiedText(content.text);
}
