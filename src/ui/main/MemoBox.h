#pragma once

#include <QPlainTextEdit>

class MemoFiller;

// The input box. It reports a click as a Windows edit box does: at the release of the left
// button, after the box has handled press and release itself, only when the release lies inside
// the box, and once for a double click. Pasted and replaced texts of any length go in through
// MemoFiller, so the window keeps answering.
class MemoBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MemoBox(QWidget *parent = nullptr);

    // The text as typed or pasted: lines separated by LF, no-break spaces kept (toPlainText()
    // turns them into spaces), and long paragraphs whole again.
    QString text() const;
    // No shorter than text(), and found without building it.
    qsizetype lengthAtMost() const;
    // Replaces the whole text.
    void setText(const QString &text);
    // A long text is still going in; the box holds only its beginning.
    bool isFilling() const;

signals:
    void clicked();

protected:
    void insertFromMimeData(const QMimeData *source) override;
    // A copy out of the box gives the text as pasted too, without the blocks' inner breaks.
    QMimeData *createMimeDataFromSelection() const override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // The text from position `from` to `to` of the document, as text() gives it.
    QString textBetween(qsizetype from, qsizetype to) const;

    MemoFiller *m_filler;
    bool m_inDoubleClick = false;
};
