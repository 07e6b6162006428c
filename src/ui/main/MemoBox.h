#pragma once

#include <QPlainTextEdit>

// The input box. It reports a click as a Windows edit box does: at the release of the left
// button, after the box has handled press and release itself, only when the release lies inside
// the box, and once for a double click.
class MemoBox : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // The text as typed or pasted, lines separated by LF. Unlike toPlainText() it keeps
    // no-break spaces (U+00A0), which the lookup must see as they are.
    QString text() const;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool m_inDoubleClick = false;
};
