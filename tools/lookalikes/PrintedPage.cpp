#include "PrintedPage.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLineSpacing = 1.6;
constexpr int kMargin = 12;

} // namespace

PrintedPage::PrintedPage(const QFont &font, const QStringList &lines)
{
    const QFontMetrics metrics(font);
    const int pixelSize = font.pixelSize();
    const int lineHeight = int(std::lround(kLineSpacing * pixelSize));
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    m_picture = QImage(width + 2 * kMargin, int(lines.size()) * lineHeight + 2 * kMargin,
                       QImage::Format_RGB32);
    m_picture.fill(Qt::white);
    QPainter painter(&m_picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(QColor(0x22, 0x22, 0x22));
    for (int i = 0; i < lines.size(); ++i) {
        const QRect box(kMargin, kMargin + i * lineHeight, width, lineHeight);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
    }
}
