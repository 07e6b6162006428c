#pragma once

#include <QClipboard>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <memory>
#include <optional>

class ClipboardTextReader;
struct ClipboardContent;
class MemoFiller;

// The input box. It reports a click as a Windows edit box does: at the release of the left
// button, after the box has handled press and release itself, only when the release lies inside
// the box, and once for a double click. Pasted and replaced texts of any length go in through
// MemoFiller, so the window keeps answering. A paste from the system clipboard (Ctrl+V,
// Shift+Insert, the context menu, a middle click, click-to-paste) does not wait for the
// clipboard's owner either: the text is fetched by a ClipboardTextReader and goes in when it
// arrives, where the selection was when the paste was asked for, unless the box was edited
// meanwhile: then what was typed is newer, and the late paste is dropped.
class MemoBox : public QPlainTextEdit {
    Q_OBJECT
public:
    // Click-to-paste reads a picture found on the clipboard; the edit keys leave it alone.
    enum class PictureOnClipboard { Ignored, Reported };

    explicit MemoBox(QWidget *parent = nullptr);
    ~MemoBox() override;

    // The text as typed or pasted: lines separated by LF, no-break spaces kept (toPlainText()
    // turns them into spaces), and long paragraphs whole again.
    QString text() const;
    // No shorter than text(), and found without building it.
    qsizetype lengthAtMost() const;
    // Replaces the whole text.
    void setText(const QString &text);
    // A long text is still going in; the box holds only its beginning.
    bool isFilling() const;
    // Pastes the clipboard (or the primary selection) over the selection once its text arrives.
    void pasteClipboard(PictureOnClipboard picture = PictureOnClipboard::Ignored,
                        QClipboard::Mode mode = QClipboard::Clipboard);
    // Tests put a reader of their own in place of the platform's.
    void setClipboardReader(std::unique_ptr<ClipboardTextReader> reader);

signals:
    void clicked();
    // A paste asked with PictureOnClipboard::Reported found a picture and no text.
    void pictureOnClipboard(const QImage &picture);
    void pasteFailed(const QString &message);

protected:
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void keyPressEvent(QKeyEvent *event) override;
    // A copy out of the box gives the text as pasted too, without the blocks' inner breaks.
    QMimeData *createMimeDataFromSelection() const override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // The text from position `from` to `to` of the document, as text() gives it.
    QString textBetween(qsizetype from, qsizetype to) const;
    void fill(const QTextCursor &cursor, const QString &text);
    void pasteArrived(const ClipboardContent &content);

    // A paste asked for whose text has not arrived yet.
    struct PendingPaste {
        QTextCursor cursor;
        quint64 edits = 0;
        PictureOnClipboard picture = PictureOnClipboard::Ignored;
    };

    MemoFiller *m_filler;
    std::unique_ptr<ClipboardTextReader> m_reader;
    std::optional<PendingPaste> m_pendingPaste;
    // Edits of the box other than the steps of a fill under way: typing, and each new text.
    quint64 m_edits = 0;
    bool m_inDoubleClick = false;
};
