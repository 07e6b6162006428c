#include "FakeClipboardReader.h"

void FakeClipboardReader::read(QClipboard::Mode mode)
{
    requests << mode;
}

void FakeClipboardReader::cancel()
{
    ++cancels;
}

void FakeClipboardReader::answer(const ClipboardContent &content)
{
    emit finished(content);
}

ClipboardContent FakeClipboardReader::text(const QString &text)
{
    ClipboardContent content;
    content.kind = ClipboardContent::Kind::Text;
    content.text = text;
    return content;
}

ClipboardContent FakeClipboardReader::picture(const QImage &picture)
{
    ClipboardContent content;
    content.kind = ClipboardContent::Kind::Picture;
    content.picture = picture;
    return content;
}

ClipboardContent FakeClipboardReader::failed(const QString &message)
{
    ClipboardContent content;
    content.kind = ClipboardContent::Kind::Failed;
    content.message = message;
    return content;
}
