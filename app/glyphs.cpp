#include "app/glyphs.h"

#include "components/fileglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pictaron {

namespace {

// A small landscape picture: sky, sun and two hills inside a frame.
void DrawLandscape(QPainter& p, const QRectF& frame)
{
    p.save();
    p.setPen(QPen(QColor(0x33, 0x3d, 0x4d), 0.8));
    QLinearGradient sky(frame.topLeft(), frame.bottomLeft());
    sky.setColorAt(0, QColor(0x7f, 0xb8, 0xf0));
    sky.setColorAt(1, QColor(0xd9, 0xee, 0xff));
    p.setBrush(sky);
    p.drawRect(frame);
    p.setClipRect(frame);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xc9, 0x3c));
    const double unit = frame.width() / 12.0;
    p.drawEllipse(QPointF(frame.left() + 8.5 * unit, frame.top() + 3 * unit), 1.6 * unit, 1.6 * unit);
    QPainterPath hills;
    hills.moveTo(frame.left(), frame.bottom());
    hills.lineTo(frame.left(), frame.top() + 7 * unit);
    hills.quadTo(frame.left() + 3 * unit, frame.top() + 4 * unit, frame.left() + 6 * unit, frame.top() + 7.5 * unit);
    hills.quadTo(frame.left() + 9 * unit, frame.top() + 5.5 * unit, frame.right(), frame.top() + 8 * unit);
    hills.lineTo(frame.right(), frame.bottom());
    hills.closeSubpath();
    p.setBrush(QColor(0x3f, 0x9b, 0x4f));
    p.drawPath(hills);
    p.restore();
}

} // namespace

QIcon ApplyGlyph()
{
    return DrawnIcon([](QPainter& p) {
        DrawLandscape(p, QRectF(1.5, 4.5, 10, 9));
        // The spark: a four-pointed star at the top right.
        QPainterPath star;
        const QPointF c(12.5, 3.5);
        star.moveTo(c.x(), c.y() - 3.2);
        star.lineTo(c.x() + 0.9, c.y() - 0.9);
        star.lineTo(c.x() + 3.2, c.y());
        star.lineTo(c.x() + 0.9, c.y() + 0.9);
        star.lineTo(c.x(), c.y() + 3.2);
        star.lineTo(c.x() - 0.9, c.y() + 0.9);
        star.lineTo(c.x() - 3.2, c.y());
        star.lineTo(c.x() - 0.9, c.y() - 0.9);
        star.closeSubpath();
        p.setPen(QPen(QColor(0xb0, 0x6a, 0x00), 0.6));
        p.setBrush(QColor(0xff, 0xd0, 0x2e));
        p.drawPath(star);
    });
}

QIcon SaveAsGlyph()
{
    const QIcon disk = SaveFileGlyph();
    return DrawnIcon([&disk](QPainter& p) {
        p.drawPixmap(QRectF(0, 0, 13, 13), disk.pixmap(32), QRectF(0, 0, 32, 32));
        // A pencil across the bottom right corner.
        p.save();
        p.translate(11.5, 11.5);
        p.rotate(-45);
        p.setPen(QPen(QColor(0x5a, 0x3b, 0x12), 0.6));
        p.setBrush(QColor(0xf2, 0xa6, 0x2b));
        p.drawRect(QRectF(-4.5, -1.3, 7, 2.6));
        QPainterPath tip;
        tip.moveTo(2.5, -1.3);
        tip.lineTo(5, 0);
        tip.lineTo(2.5, 1.3);
        tip.closeSubpath();
        p.setBrush(QColor(0xf5, 0xde, 0xb3));
        p.drawPath(tip);
        p.restore();
    });
}

QIcon PaletteGlyph()
{
    return DrawnIcon([](QPainter& p) {
        QPainterPath board;
        board.addEllipse(QRectF(1, 2, 14, 12));
        QPainterPath thumb;
        thumb.addEllipse(QRectF(9.5, 9, 3.4, 3));
        p.setPen(QPen(QColor(0x6b, 0x4a, 0x22), 0.8));
        p.setBrush(QColor(0xe3, 0xc5, 0x93));
        p.drawPath(board.subtracted(thumb));
        p.setPen(Qt::NoPen);
        const QColor paints[] = {QColor(0xd6, 0x2b, 0x2b), QColor(0xf2, 0xc0, 0x1e), QColor(0x2f, 0xa0, 0x46),
                                 QColor(0x2c, 0x63, 0xd1)};
        const QPointF spots[] = {{4.5, 6.5}, {7.8, 4.6}, {11.3, 5.6}, {4.8, 10.2}};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(paints[i]);
            p.drawEllipse(spots[i], 1.5, 1.5);
        }
    });
}

QIcon PickerGlyph()
{
    return DrawnIcon([](QPainter& p) {
        p.translate(8, 8);
        p.rotate(45);
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 0.7));
        p.setBrush(QColor(0x50, 0x50, 0x58));
        p.drawRoundedRect(QRectF(-2, -7.5, 4, 4.2), 1.2, 1.2);
        p.setBrush(QColor(0xcf, 0xe3, 0xf2));
        p.drawRect(QRectF(-1.2, -3.3, 2.4, 7));
        QPainterPath tip;
        tip.moveTo(-1.2, 3.7);
        tip.lineTo(0, 7);
        tip.lineTo(1.2, 3.7);
        tip.closeSubpath();
        p.drawPath(tip);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2c, 0x63, 0xd1));
        p.drawRect(QRectF(-0.7, 0.5, 1.4, 3.2));
    });
}

QIcon ProgramIcon()
{
    return DrawnIcon(
        [](QPainter& p) {
            // The original, large, and the lighter web copy in front of it.
            DrawLandscape(p, QRectF(0.5, 0.5, 11, 10));
            p.setPen(QPen(QColor(0xff, 0xff, 0xff), 1.2));
            p.setBrush(Qt::NoBrush);
            DrawLandscape(p, QRectF(7.5, 7.5, 8, 8));
        },
        {16, 32, 48, 64});
}

} // namespace pictaron
