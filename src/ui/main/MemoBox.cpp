#include "ui/main/MemoBox.h"

#include <QMouseEvent>

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
