#include "ui/main/MatchStepper.h"

#include "ui/main/AnswerBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextEdit>

namespace {

// +1 for Ctrl+Down, -1 for Ctrl+Up, 0 for any other key.
int stepOf(const QKeyEvent *key)
{
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier)
        return 0;
    return key->key() == Qt::Key_Down ? 1 : key->key() == Qt::Key_Up ? -1 : 0;
}

} // namespace

MatchStepper::MatchStepper(QWidget *input, QTextEdit *answers, QObject *parent)
    : QObject(parent), m_answers(answers), m_answerViewport(answers->viewport())
{
    input->installEventFilter(this);
    answers->installEventFilter(this);
    answers->viewport()->installEventFilter(this);
}

bool MatchStepper::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const int step = stepOf(static_cast<QKeyEvent *>(event));
        if (step == 0)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (step > 0)
            emit older();
        else
            emit newer();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == m_answerViewport) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_answers->anchorAt(mouse->position().toPoint()) == AnswerBox::kNextMatchLink) {
            emit older();
            return true;
        }
    }
    return false;
}
