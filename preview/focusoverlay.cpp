#include "preview/focusoverlay.h"

#include <QPainter>
#include <QRegion>

namespace pictaron {

FocusOverlay::FocusOverlay()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                           | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus
                           | Qt::X11BypassWindowManagerHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FocusOverlay::ShowAround(const QRect& area)
{
    setGeometry(area);
    const QRect all(QPoint(0, 0), area.size());
    setMask(QRegion(all).subtracted(QRegion(all.adjusted(1, 1, -1, -1))));
    show();
    raise();
    update();
}

void FocusOverlay::paintEvent(QPaintEvent*)
{
    // Black and white dashes stay visible on any background.
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace pictaron
