#pragma once

#include <QPlainTextEdit>

// The input box. It reports a click as a Windows edit box does: at the release of the left
// button, after the box has handled press and release itself, only when the release lies inside
// the box, and once for a double click.
class MemoBox : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool m_inDoubleClick = false;
};
