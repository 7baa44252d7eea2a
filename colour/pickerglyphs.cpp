#include "colour/pickerglyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace pictaron {

namespace {

constexpr int kIconSide = 16;

QPixmap Blank(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawPipette(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(QColor(200, 200, 200));
    QPainterPath body;
    body.moveTo(2, 14);
    body.lineTo(3, 11);
    body.lineTo(9, 5);
    body.lineTo(11, 7);
    body.lineTo(5, 13);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(QRectF(9.5, 1.5, 5, 5));
}

void DrawLens(QPainter& p, QRectF lens)
{
    p.setPen(QPen(Qt::black, 1.6));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(lens);
    p.setPen(QPen(Qt::black, 2.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF from = lens.center() + QPointF(lens.width() * 0.36, lens.height() * 0.36);
    p.drawLine(from, from + QPointF(lens.width() * 0.45, lens.height() * 0.45));
}

} // namespace

QPixmap FourCirclesGlyph(int side)
{
    QPixmap pixmap = Blank(side);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    const qreal half = side / 2.0;
    const QColor fills[4] = {Qt::red, Qt::blue, Qt::yellow, QColor(0, 255, 0)};
    for (int q = 0; q < 4; ++q) {
        p.setBrush(fills[q]);
        p.drawEllipse(QRectF((q % 2) * half + 0.5, (q / 2) * half + 0.5, half - 1, half - 1));
    }
    return pixmap;
}

QIcon PickerIcon(PickerGlyph glyph)
{
    QPixmap pixmap = Blank(kIconSide);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case PickerGlyph::Open:
        p.setPen(QPen(QColor(120, 90, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    case PickerGlyph::MoreColours: {
        QLinearGradient hues(0, 0, 0, kIconSide);
        const QColor stops[] = {Qt::red, Qt::yellow, Qt::green, Qt::cyan, Qt::blue, QColor(128, 0, 128)};
        for (int i = 0; i < 6; ++i)
            hues.setColorAt(i / 5.0, stops[i]);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(hues);
        p.drawRect(QRectF(3.5, 0.5, 9, 15));
        break;
    }
    case PickerGlyph::Add:
    case PickerGlyph::Remove:
        p.setPen(QPen(glyph == PickerGlyph::Add ? QColor(0, 128, 0) : QColor(180, 0, 0), 2.5));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        if (glyph == PickerGlyph::Add)
            p.drawLine(QPointF(8, 3), QPointF(8, 13));
        break;
    case PickerGlyph::Sample:
        DrawPipette(p);
        break;
    case PickerGlyph::Zoom:
        DrawLens(p, QRectF(1.5, 1.5, 9, 9));
        break;
    case PickerGlyph::Find:
        p.setPen(QPen(Qt::black, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.drawEllipse(QRectF(6, 6, 4, 4));
        p.drawLine(QPointF(8, 0), QPointF(8, 4));
        p.drawLine(QPointF(8, 12), QPointF(8, 16));
        p.drawLine(QPointF(0, 8), QPointF(4, 8));
        p.drawLine(QPointF(12, 8), QPointF(16, 8));
        break;
    }
    return QIcon(pixmap);
}

QCursor SampleCursor()
{
    QPixmap pixmap = Blank(kIconSide);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPipette(p);
    p.end();
    return QCursor(pixmap, 2, 14);
}

QCursor MagnifyCursor()
{
    QPixmap pixmap = Blank(20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawLens(p, QRectF(1.5, 1.5, 11, 11));
    p.end();
    return QCursor(pixmap, 7, 7);
}

} // namespace pictaron
