#pragma once

#include <QObject>

#include <memory>

class ClipboardTextReader;
struct ClipboardContent;
class QClipboard;

// Copy to answer: reports each new text that lands on the system clipboard (on X11 the
// CLIPBOARD selection; the primary selection is not watched), unless this program put it there,
// so that a copy made inside our own window does not replace what the user is reading. The text
// is fetched by a ClipboardTextReader, so that a long copy elsewhere never holds the window.
class ClipboardWatcher : public QObject {
    Q_OBJECT
public:
    explicit ClipboardWatcher(QClipboard *clipboard, QObject *parent = nullptr);
    ~ClipboardWatcher() override;

    // Tests put a reader of their own in place of the platform's.
    void setClipboardReader(std::unique_ptr<ClipboardTextReader> reader);
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

signals:
    void copiedText(const QString &text);

private:
    void clipboardChanged();
    void textArrived(const ClipboardContent &content);

    QClipboard *m_clipboard;
    std::unique_ptr<ClipboardTextReader> m_reader;
    bool m_enabled = false;
};
