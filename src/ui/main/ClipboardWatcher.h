#pragma once

#include <QObject>

class QClipboard;

// Copy to answer: reports each new text that lands on the system clipboard (on X11 the
// CLIPBOARD selection; the primary selection is not watched), unless this program put it there,
// so that a copy made inside our own window does not replace what the user is reading.
class ClipboardWatcher : public QObject {
    Q_OBJECT
public:
    explicit ClipboardWatcher(QClipboard *clipboard, QObject *parent = nullptr);

    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }

signals:
    void copiedText(const QString &text);

private:
    void clipboardChanged();

    QClipboard *m_clipboard;
    bool m_enabled = false;
};
