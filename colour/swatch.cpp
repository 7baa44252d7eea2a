#include "colour/swatch.h"

#include <QMouseEvent>
#include <QPainter>

namespace pictaron {

ColourSwatch::ColourSwatch(QWidget* parent)
    : QWidget(parent)
{
}

void ColourSwatch::SetColour(TColor colour)
{
    colour_ = colour;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*)
{
    const RGBTriple t = ColorToTriple(colour_);
    QPainter p(this);
    p.fillRect(rect(), QColor(t.red, t.green, t.blue));
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ColourSwatch::mousePressEvent(QMouseEvent* event)
{
    emit Pressed(event->button(), event->modifiers(), event->globalPosition().toPoint());
}

} // namespace pictaron
