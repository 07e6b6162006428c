#include "ui/main/MemoBox.h"

#include <QMouseEvent>
#include <QTextDocument>

QString MemoBox::text() const
{
    // toRawText() is toPlainText() before its clean-up; redo that clean-up except for
    // turning U+00A0 into a plain space.
    QString text = document()->toRawText();
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0xFDD0: // beginning of a frame
        case 0xFDD1: // end of a frame
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
            c = u'\n';
            break;
        default:
            break;
        }
    }
    return text;
}

void MemoBox::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (m_inDoubleClick) {
        m_inDoubleClick = false;
        return;
    }
    if (viewport()->rect().contains(event->position().toPoint()))
        emit clicked();
}

void MemoBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        m_inDoubleClick = true;
}
