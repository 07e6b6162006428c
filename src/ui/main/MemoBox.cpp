#include "ui/main/MemoBox.h"

#include "ui/main/MemoFiller.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>

MemoBox::MemoBox(QWidget *parent) : QPlainTextEdit(parent), m_filler(new MemoFiller(this)) {}

QString MemoBox::text() const
{
    return textBetween(0, lengthAtMost());
}

QString MemoBox::textBetween(qsizetype from, qsizetype to) const
{
    QString text;
    text.reserve(to - from);
    for (QTextBlock block = document()->findBlock(int(from));
         block.isValid() && block.position() <= to; block = block.next()) {
        const qsizetype start = block.position();
        if (start > from && block.userState() != MemoFiller::kSoftBreak)
            text += u'\n';
        const qsizetype left = qMax(from, start) - start;
        const qsizetype right = qMin<qsizetype>(to - start, block.length() - 1);
        if (right > left)
            text += QStringView(block.text()).mid(left, right - left);
    }
    // Pasted line breaks are held as line separators (see MemoFiller); the box's text, like
    // toPlainText(), has LF for them.
    text.replace(QChar(QChar::LineSeparator), u'\n');
    return text;
}

QMimeData *MemoBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
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
