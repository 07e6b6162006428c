#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTextCursor>
#include <QTimer>

class QPlainTextEdit;

// Puts long texts into an edit box without freezing the window.
//
// The text box lays out each paragraph as a whole, and the cost grows faster than the paragraph
// (an unbroken word of a million letters takes tens of seconds, and again at every keystroke),
// so no block grows past kLongestBlock: a longer paragraph is held in several blocks, the later
// ones marked kSoftBreak, which MemoBox::text() joins without a line break. A block costs the
// document far more memory than a character, so pasted lines go in as line separators inside
// blocks of about that size rather than a block each. A text that takes longer than one step to
// insert goes in over several turns of the event loop; the box is read-only meanwhile and all
// steps together are one undo step.
class MemoFiller : public QObject {
    Q_OBJECT
public:
    static constexpr int kSoftBreak = 1;
    static constexpr qsizetype kLongestBlock = 4096;

    explicit MemoFiller(QPlainTextEdit *edit);

    // Replaces the cursor's selection with text; a fill still under way is dropped first,
    // as it would have been replaced by this one.
    void insert(const QTextCursor &cursor, const QString &text);
    // Drops what has not been inserted yet (the box's whole text is being replaced).
    void cancel();
    bool isFilling() const { return m_filling; }
    // The document is being changed by a step of a fill right now.
    bool isStepping() const { return m_stepping; }

private:
    void step();
    void insertPiece(QStringView piece);
    void finish();

    QPlainTextEdit *m_edit;
    QTimer m_timer;
    QTextCursor m_cursor;
    QString m_text;
    qsizetype m_done = 0;
    // The length of the block the cursor is in so far, marks counted more (see weight()).
    qsizetype m_run = 0;
    bool m_firstStep = true;
    bool m_filling = false;
    bool m_stepping = false;
};
