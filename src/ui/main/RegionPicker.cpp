#include "ui/main/RegionPicker.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

// Smaller rectangles are slips of the hand, not a choice of text.
constexpr int kSmallest = 4;

} // namespace

RegionPicker::RegionPicker(const QPixmap &screenPicture, const QRect &area)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_screen(screenPicture)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::CrossCursor);
    setGeometry(area);
    setMouseTracking(false);
}

void RegionPicker::showOverScreen()
{
    show();
    raise();
    activateWindow();
    setFocus();
    // Esc must reach the picker even when the window manager leaves the focus elsewhere.
    grabKeyboard();
}

QRect RegionPicker::selection() const
{
    // The pointer's two positions are the rectangle's corners: a drag from x 100 to x 140 takes
    // the 40 pixels between them, whichever way it went.
    const QPoint topLeft(std::min(m_from.x(), m_to.x()), std::min(m_from.y(), m_to.y()));
    const QSize size(std::abs(m_from.x() - m_to.x()), std::abs(m_from.y() - m_to.y()));
    return QRect(topLeft, size).intersected(rect());
}

void RegionPicker::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), m_screen);
    // Dim all but the selection, so that the user sees what will be read.
    const QRect chosen = m_dragging ? selection() : QRect();
    QRegion dimmed(rect());
    dimmed -= chosen;
    painter.setClipRegion(dimmed);
    painter.fillRect(rect(), QColor(0, 0, 0, 90));
    painter.setClipping(false);
    if (!chosen.isEmpty()) {
        painter.setPen(QPen(QColor(0x00, 0x78, 0xD7), 1));
        painter.drawRect(chosen.adjusted(0, 0, -1, -1));
    }
}

void RegionPicker::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        cancel();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_from = m_to = event->position().toPoint();
    m_dragging = true;
    update();
}

void RegionPicker::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    m_to = event->position().toPoint();
    update();
}

void RegionPicker::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_dragging || m_done)
        return;
    m_to = event->position().toPoint();
    m_dragging = false;
    const QRect chosen = selection();
    if (chosen.width() < kSmallest || chosen.height() < kSmallest) {
        update();
        return; // a click, not a drag: the user may drag again
    }
    // From window coordinates to the picture's device pixels.
    const double ratio = m_screen.devicePixelRatio();
    const double sx = m_screen.width() / (width() * ratio),
                 sy = m_screen.height() / (height() * ratio);
    const QRect pixels(qRound(chosen.x() * ratio * sx), qRound(chosen.y() * ratio * sy),
                       qRound(chosen.width() * ratio * sx), qRound(chosen.height() * ratio * sy));
    const QImage picture = m_screen.copy(pixels).toImage();
    m_done = true;
    releaseKeyboard();
    close();
    emit picked(picture);
}

void RegionPicker::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        cancel();
}

void RegionPicker::cancel()
{
    if (m_done)
        return;
    m_done = true;
    releaseKeyboard();
    close();
    emit cancelled();
}
