#include "platform/QtClipboardReader.h"

#include <QGuiApplication>
#include <QMimeData>

void QtClipboardReader::read(QClipboard::Mode mode)
{
    ClipboardContent content;
    const QMimeData *data = QGuiApplication::clipboard()->mimeData(mode);
    if (data && data->hasText()) {
        content.kind = ClipboardContent::Kind::Text;
        content.text = data->text();
    } else if (data && data->hasImage()) {
        content.kind = ClipboardContent::Kind::Picture;
        content.picture = qvariant_cast<QImage>(data->imageData());
    }
    emit finished(content);
}
