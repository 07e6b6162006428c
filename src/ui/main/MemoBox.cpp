#include "ui/main/MemoBox.h"

#include "platform/ClipboardTextReader.h"
#include "ui/main/MemoFiller.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>

namespace {

// Whether source is the data of the system clipboard or primary selection that another program
// holds: asking it for its text would wait for that program.
std::optional<QClipboard::Mode> othersClipboard(const QMimeData *source)
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (source == clipboard->mimeData(QClipboard::Clipboard))
        return clipboard->ownsClipboard() ? std::nullopt : std::optional(QClipboard::Clipboard);
    if (clipboard->supportsSelection() && source == clipboard->mimeData(QClipboard::Selection))
        return clipboard->ownsSelection() ? std::nullopt : std::optional(QClipboard::Selection);
    return std::nullopt;
}

} // namespace

MemoBox::MemoBox(QWidget *parent) : QPlainTextEdit(parent), m_filler(new MemoFiller(this))
{
    setClipboardReader(ClipboardTextReader::forThisPlatform());
    connect(document(), &QTextDocument::contentsChange, this, [this] {
        if (!m_filler->isStepping())
            ++m_edits;
    });
}

// The reader's thread ends with it, abandoning a read still under way.
MemoBox::~MemoBox() = default;

void MemoBox::setClipboardReader(std::unique_ptr<ClipboardTextReader> reader)
{
    m_pendingPaste.reset();
    m_reader = std::move(reader);
    connect(m_reader.get(), &ClipboardTextReader::finished, this, &MemoBox::pasteArrived);
}

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
    fill(all, text);
}

void MemoBox::fill(const QTextCursor &cursor, const QString &text)
{
    // The fill's steps do not count as edits, its start does: a paste asked for before it is
    // older than this text.
    ++m_edits;
    m_filler->insert(cursor, text);
}

bool MemoBox::isFilling() const
{
    return m_filler->isFilling();
}

void MemoBox::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source)
        return;
    // Every paste of the text control ends here, with the clipboard's data; a drop brings data
    // that is already in the process.
    if (const std::optional<QClipboard::Mode> mode = othersClipboard(source)) {
        pasteClipboard(PictureOnClipboard::Ignored, *mode);
        return;
    }
    if (!source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    fill(textCursor(), source->text());
}

bool MemoBox::canInsertFromMimeData(const QMimeData *source) const
{
    // The context menu asks before it opens; whether there is text is known once it is read.
    if (othersClipboard(source))
        return true;
    return QPlainTextEdit::canInsertFromMimeData(source);
}

void MemoBox::keyPressEvent(QKeyEvent *event)
{
    // The paste keys as the text control handles them, with the same clipboard, less its last
    // step: it copies its selection to the primary selection. When the paste went in at once
    // there was no selection left to copy; now the selection is still the text the paste will
    // replace, and copying a long one would hold the window.
    if (event == QKeySequence::Paste && !isReadOnly()) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        const bool primary = clipboard->supportsSelection() && event->key() == Qt::Key_Insert &&
                             event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
        insertFromMimeData(
            clipboard->mimeData(primary ? QClipboard::Selection : QClipboard::Clipboard));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoBox::pasteClipboard(PictureOnClipboard picture, QClipboard::Mode mode)
{
    if (isReadOnly() && picture == PictureOnClipboard::Ignored)
        return;
    // Set before asking: the answer may come at once.
    m_pendingPaste = PendingPaste{textCursor(), m_edits, picture};
    m_reader->read(mode);
}

void MemoBox::pasteArrived(const ClipboardContent &content)
{
    if (!m_pendingPaste)
        return;
    const PendingPaste paste = *m_pendingPaste;
    m_pendingPaste.reset();
    // What was typed or put into the box after the paste was asked for is newer than it.
    if (paste.edits != m_edits)
        return;
    switch (content.kind) {
    case ClipboardContent::Kind::Text:
        if (isReadOnly())
            return;
        fill(paste.cursor, content.text);
        break;
    case ClipboardContent::Kind::Picture:
        if (paste.picture == PictureOnClipboard::Reported)
            emit pictureOnClipboard(content.picture);
        break;
    case ClipboardContent::Kind::Failed:
        emit pasteFailed(content.message);
        break;
    case ClipboardContent::Kind::Nothing:
        break;
    }
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
