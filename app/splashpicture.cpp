#include "app/splashpicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace pictaron {

namespace {

// A photograph: white border, evening sky, sun and hills.
void DrawPhoto(QPainter& p, const QRectF& outer, double tilt)
{
    p.save();
    p.translate(outer.center());
    p.rotate(tilt);
    const QRectF frame(-outer.width() / 2, -outer.height() / 2, outer.width(), outer.height());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRect(frame.translated(3, 4));
    p.setBrush(QColor(0xfa, 0xfa, 0xf6));
    p.drawRect(frame);
    const double border = outer.width() * 0.06;
    const QRectF photo = frame.adjusted(border, border, -border, -border * 2.2);
    QLinearGradient sky(photo.topLeft(), photo.bottomLeft());
    sky.setColorAt(0, QColor(0xf7, 0x9d, 0x4f));
    sky.setColorAt(0.6, QColor(0xfd, 0xd7, 0x8e));
    p.setBrush(sky);
    p.drawRect(photo);
    p.setClipRect(photo);
    p.setBrush(QColor(0xff, 0xf2, 0xc4));
    p.drawEllipse(QPointF(photo.left() + photo.width() * 0.68, photo.top() + photo.height() * 0.42),
                  photo.width() * 0.11, photo.width() * 0.11);
    QPainterPath far;
    far.moveTo(photo.bottomLeft());
    far.lineTo(photo.left(), photo.top() + photo.height() * 0.62);
    far.quadTo(photo.left() + photo.width() * 0.35, photo.top() + photo.height() * 0.35,
               photo.left() + photo.width() * 0.62, photo.top() + photo.height() * 0.64);
    far.quadTo(photo.left() + photo.width() * 0.82, photo.top() + photo.height() * 0.5, photo.right(),
               photo.top() + photo.height() * 0.6);
    far.lineTo(photo.bottomRight());
    far.closeSubpath();
    p.setBrush(QColor(0x6a, 0x4c, 0x93));
    p.drawPath(far);
    QPainterPath near;
    near.moveTo(photo.bottomLeft());
    near.lineTo(photo.left(), photo.top() + photo.height() * 0.82);
    near.quadTo(photo.left() + photo.width() * 0.5, photo.top() + photo.height() * 0.62, photo.right(),
                photo.top() + photo.height() * 0.8);
    near.lineTo(photo.bottomRight());
    near.closeSubpath();
    p.setBrush(QColor(0x2d, 0x2a, 0x5c));
    p.drawPath(near);
    p.restore();
}

} // namespace

QPixmap SplashPicture(QSize size)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF board(QPointF(0, 0), QSizeF(size));

    QLinearGradient night(board.topLeft(), board.bottomRight());
    night.setColorAt(0, QColor(0x13, 0x2b, 0x55));
    night.setColorAt(1, QColor(0x0b, 0x4f, 0x6c));
    p.fillRect(board, night);
    QRadialGradient glow(QPointF(board.width() * 0.28, board.height() * 0.45), board.width() * 0.45);
    glow.setColorAt(0, QColor(255, 255, 255, 38));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(board, glow);

    // The picture getting smaller: one large photograph, two web-sized copies.
    DrawPhoto(p, QRectF(28, 52, 150, 118), -6);
    DrawPhoto(p, QRectF(150, 120, 82, 64), 4);
    DrawPhoto(p, QRectF(206, 178, 44, 34), -3);

    // The name and its line above the version label (which sits at 238,130).
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(44);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0xff, 0xff, 0xff));
    p.drawText(QRectF(230, 58, 220, 52), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Pictaron"));
    QFont line(QStringLiteral("Arial"));
    line.setPixelSize(12);
    p.setFont(line);
    p.setPen(QColor(0xb9, 0xd3, 0xf0));
    p.drawText(QRectF(230, 104, 220, 18), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("pictures made ready for the web"));

    // A light plate behind the navy version text.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe9, 0xf1, 0xfb));
    p.drawRoundedRect(QRectF(246, 128, 121, 22), 11, 11);

    // A strip for the notice along the bottom.
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRect(QRectF(0, 252, board.width(), board.height() - 252));
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.drawLine(QPointF(0, 252.5), QPointF(board.width(), 252.5));
    return pixmap;
}

} // namespace pictaron
