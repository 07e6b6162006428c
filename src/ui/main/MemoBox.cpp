#include "ui/main/MemoBox.h"

#include "ui/main/MemoFiller.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>

MemoBox::MemoBox(QWidget *parent) : QPlainTextEdit(parent), m_filler(new MemoFiller(this)) {}

QString MemoBox::text() const
{
    QString text;
    text.reserve(lengthAtMost());
    const QTextBlock first = document()->begin();
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (block != first && block.userState() != MemoFiller::kSoftBreak)
            text += u'\n';
        text += block.text();
    }
    // Pasted line breaks are held as line separators (see MemoFiller); the box's text, like
    // toPlainText(), has LF for them.
    text.replace(QChar(QChar::LineSeparator), u'\n');
    return text;
}

qsizetype MemoBox::lengthAtMost() const
{
    // Every block but the last ends in a separator; the document counts one more at its end.
    return document()->characterCount() - 1;
}

void MemoBox::setText(const QString &text)
{
    m_filler->cancel();
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    m_filler->insert(all, text);
}

bool MemoBox::isFilling() const
{
    return m_filler->isFilling();
}

void MemoBox::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source)
        return;
    if (!source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    m_filler->insert(textCursor(), source->text());
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
