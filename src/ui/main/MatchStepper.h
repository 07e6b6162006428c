#pragma once

#include <QObject>
#include <QPointer>

class QTextEdit;
class QWidget;

// Ctrl+Down and Ctrl+Up in the input and answer boxes, and a click on the answer box's link,
// step to the next older or back to the newer question that holds the same text. The keys are
// taken before the boxes see them, as they would otherwise move the cursor.
class MatchStepper : public QObject {
    Q_OBJECT
public:
    MatchStepper(QWidget *input, QTextEdit *answers, QObject *parent = nullptr);

signals:
    void older();
    void newer();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTextEdit *m_answers;
    // Compared with, never called: the filter still sees events while the boxes are being
    // destroyed, when the answer box is no longer a text edit.
    QPointer<QObject> m_answerViewport;
};
