#include "components/fileglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pictaron {

QIcon OpenFileGlyph()
{
    return DrawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(0x8a, 0x62, 0x10), 0.8));
        p.setBrush(QColor(0xe8, 0xb9, 0x4a));
        p.drawRoundedRect(QRectF(1.5, 3.5, 12, 10), 1, 1);
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        QPainterPath flap;
        flap.moveTo(3.5, 7.5);
        flap.lineTo(15.2, 7.5);
        flap.lineTo(13, 13.5);
        flap.lineTo(1.5, 13.5);
        flap.closeSubpath();
        p.setBrush(QColor(0xf7, 0xd7, 0x7c));
        p.drawPath(flap);
    });
}

QIcon SaveFileGlyph()
{
    return DrawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(0x1f, 0x3a, 0x6b), 0.8));
        p.setBrush(QColor(0x3d, 0x6f, 0xc2));
        QPainterPath body;
        body.moveTo(1.5, 1.5);
        body.lineTo(12.5, 1.5);
        body.lineTo(14.5, 3.5);
        body.lineTo(14.5, 14.5);
        body.lineTo(1.5, 14.5);
        body.closeSubpath();
        p.drawPath(body);
        p.setBrush(QColor(0xf4, 0xf6, 0xfa));
        p.drawRect(QRectF(3.5, 1.5, 8, 5));
        p.setBrush(QColor(0xd8, 0xdd, 0xe6));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x3a, 0x6b));
        p.drawRect(QRectF(8.5, 2.5, 2, 3));
    });
}

} // namespace pictaron
