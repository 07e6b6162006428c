#include "ui/main/MemoFiller.h"

#include <QPlainTextEdit>
#include <QTextBlock>

namespace {

// One step inserts pieces until it has taken this long, so the window answers between steps.
constexpr qint64 kStepNanoseconds = 20'000'000;
// A piece is small enough that even a piece of empty lines is quick to insert.
constexpr qsizetype kPieceLength = 16384;
// A block may end this much earlier to keep a character and its combining marks together.
constexpr qsizetype kMostBackedOff = 32;

// What the document turns into a new block when text is inserted.
bool breaksLine(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) ||
           c == QChar(0xFDD1);
}

// Combining marks are laid out as one cluster with their base, at a cost that grows with the
// cluster: they count more towards a block's length.
qsizetype weight(QChar c)
{
    return c.isMark() ? 8 : 1;
}

// Where a full block ending at `end` ends inside its line: after a space in [lowest, end) if
// there is one, as the box's own wrapping would break; else at `end`, moved back a little so as
// not to part a surrogate pair or a character from its combining marks where that can be helped.
qsizetype softCut(const QString &text, qsizetype start, qsizetype end, qsizetype lowest)
{
    for (qsizetype cut = end; cut > lowest; --cut) {
        if (text[cut - 1].isSpace())
            return cut;
    }
    if (end >= text.size())
        return end;
    for (qsizetype back = end; back > qMax(start + 1, end - kMostBackedOff); --back) {
        if (!text[back].isLowSurrogate() && !text[back].isMark())
            return back;
    }
    return text[end].isLowSurrogate() && end > start + 1 ? end - 1 : end;
}

} // namespace

MemoFiller::MemoFiller(QPlainTextEdit *edit) : QObject(edit), m_edit(edit)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &MemoFiller::step);
}

void MemoFiller::insert(const QTextCursor &cursor, const QString &text)
{
    cancel();
    m_cursor = cursor;
    m_text = text;
    m_done = 0;
    m_run =
        cursor.selectionStart() - cursor.document()->findBlock(cursor.selectionStart()).position();
    m_firstStep = true;
    m_filling = true;
    step();
}

void MemoFiller::cancel()
{
    if (!m_filling)
        return;
    m_timer.stop();
    m_text.clear();
    m_filling = false;
    finish();
}

void MemoFiller::step()
{
    QElapsedTimer clock;
    clock.start();
    m_stepping = true;
    if (m_firstStep) {
        m_cursor.beginEditBlock();
        m_cursor.removeSelectedText();
    } else {
        m_cursor.joinPreviousEditBlock();
    }
    m_firstStep = false;
    do {
        qsizetype length = qMin(kPieceLength, m_text.size() - m_done);
        // Never part a surrogate pair, nor CR from its LF (that would make two line breaks).
        if (m_done + length < m_text.size() && length > 1) {
            const QChar next = m_text.at(m_done + length);
            if (next.isLowSurrogate() || (next == u'\n' && m_text.at(m_done + length - 1) == u'\r'))
                --length;
        }
        insertPiece(QStringView(m_text).mid(m_done, length));
        m_done += length;
    } while (m_done < m_text.size() && clock.nsecsElapsed() < kStepNanoseconds);

    const bool last = m_done >= m_text.size();
    // The change that completes the text is the one the box's handlers should act on.
    if (last)
        m_filling = false;
    m_cursor.endEditBlock();
    m_stepping = false;
    if (last) {
        m_text.clear();
        finish();
    } else {
        m_edit->setReadOnly(true);
        m_timer.start();
    }
}

void MemoFiller::insertPiece(QStringView piece)
{
    // Line breaks go in as line separators inside the block: a block costs the document far
    // more than a character, and a million lines would otherwise be a million blocks.
    QString text;
    text.reserve(piece.size());
    for (qsizetype i = 0; i < piece.size(); ++i) {
        if (piece[i] == u'\r' && i + 1 < piece.size() && piece[i + 1] == u'\n')
            continue;
        text += breaksLine(piece[i]) ? QChar(QChar::LineSeparator) : piece[i];
    }

    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        m_run += weight(text[i]);
        if (m_run < kLongestBlock)
            continue;
        // The block is full with character i. End it at a line break near the end where there
        // is one: the break becomes the block's end and the text keeps it. Otherwise the block
        // ends inside the line, softly (see softCut).
        const qsizetype end = i + 1;
        const qsizetype lowest = qMax(start, end - kLongestBlock / 8);
        qsizetype cut = end;
        while (cut > lowest && text[cut - 1] != QChar::LineSeparator)
            --cut;
        if (cut > lowest) {
            m_cursor.insertText(text.mid(start, cut - 1 - start));
            m_cursor.insertBlock();
        } else {
            cut = softCut(text, start, end, lowest);
            m_cursor.insertText(text.mid(start, cut - start));
            m_cursor.insertBlock();
            m_cursor.block().setUserState(kSoftBreak);
        }
        start = cut;
        m_run = 0;
        for (qsizetype k = cut; k <= i; ++k)
            m_run += weight(text[k]);
    }
    if (start < text.size())
        m_cursor.insertText(text.mid(start));
}

void MemoFiller::finish()
{
    m_edit->setReadOnly(false);
    m_edit->setTextCursor(m_cursor);
    m_edit->ensureCursorVisible();
}
