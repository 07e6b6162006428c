#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>

// A frozen picture of the whole screen, over everything, in which the user drags the rectangle
// to read. A left-button drag picks; Esc or the right button cancels. The picker closes and
// deletes itself after either signal.
class RegionPicker : public QWidget {
    Q_OBJECT
public:
    // `screenPicture` as QScreen::grabWindow returns it: in device pixels, with its
    // device-pixel ratio set. `area`: the screen's geometry, where the picker is shown.
    RegionPicker(const QPixmap &screenPicture, const QRect &area);

    void showOverScreen();

signals:
    void picked(const QImage &picture);
    void cancelled();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QRect selection() const;
    void cancel();

    QPixmap m_screen;
    QPoint m_from, m_to;
    bool m_dragging = false;
    bool m_done = false;
};
