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
    qsizetype start = 0;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        if (breaksLine(piece[i])) {
            m_run = 0;
            continue;
        }
        if (++m_run < kLongestBlock)
            continue;
        qsizetype cut = i + 1;
        if (cut < piece.size()) {
            const qsizetype lowest = qMax(start + 1, cut - kMostBackedOff);
            qsizetype back = cut;
            while (back > lowest && (piece[back].isLowSurrogate() || piece[back].isMark()))
                --back;
            if (!piece[back].isLowSurrogate() && !piece[back].isMark())
                cut = back;
            else if (piece[cut].isLowSurrogate())
                --cut;
        }
        m_cursor.insertText(piece.mid(start, cut - start).toString());
        m_cursor.insertBlock();
        m_cursor.block().setUserState(kSoftBreak);
        start = cut;
        m_run = i + 1 - cut;
    }
    if (start < piece.size())
        m_cursor.insertText(piece.mid(start).toString());
}

void MemoFiller::finish()
{
    m_edit->setReadOnly(false);
    m_edit->setTextCursor(m_cursor);
    m_edit->ensureCursorVisible();
}
