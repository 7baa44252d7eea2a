#include "preview/zoomgeometry.h"

#include <algorithm>

namespace pictaron {

MagnifyArea MagnifierArea(QPoint pointer, QSize view, int zoom, const QRect& screen)
{
    zoom = std::max(zoom, 1);
    const int srcW = view.width() / zoom;
    const int srcH = view.height() / zoom;
    int left = std::max(pointer.x() - srcW / 2, screen.left());
    int top = std::max(pointer.y() - srcH / 2, screen.top());
    if (left + srcW > screen.left() + screen.width())
        left = screen.left() + screen.width() - srcW;
    if (top + srcH > screen.top() + screen.height())
        top = screen.top() + screen.height() - srcH;

    MagnifyArea area;
    area.source = QRect(left, top, srcW, srcH);
    area.copyFrom = QRect(left + 1, top + 1, srcW - 2, srcH - 2);
    area.drawTo = QRect(2, 2, view.width() - 1, view.height() - 1);
    return area;
}

} // namespace pictaron
