#include "preview/zoomglyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace pictaron {

QImage MouseFrame(bool leftButtonDown)
{
    QImage frame(36, 52, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter p(&frame);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(2.5, 2.5, 31, 47);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(235, 235, 235));
    p.drawRoundedRect(body, 14, 14);
    // The left button: the top left quarter of the body.
    QPainterPath left;
    left.moveTo(18, 2.5);
    left.lineTo(18, 20);
    left.lineTo(2.5, 20);
    left.lineTo(2.5, 16.5);
    left.arcTo(QRectF(2.5, 2.5, 28, 28), 180, -90);
    left.closeSubpath();
    p.setBrush(leftButtonDown ? QColor(200, 40, 40) : QColor(235, 235, 235));
    p.drawPath(left);
    p.drawLine(QPointF(18, 20), QPointF(33.5, 20));
    return frame;
}

} // namespace pictaron
