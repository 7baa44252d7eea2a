// Where the zoom magnifier copies from and to.
//
// The source is the screen area of view size / zoom centred on the pointer and
// pushed back inside the screen at its edges. Its outermost pixels are not
// copied: the focus frame that marks the area on the screen is drawn on them.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace pictaron {

struct MagnifyArea {
    QRect source;    // the marked screen area, srcW x srcH
    QRect copyFrom;  // source less its one-pixel border
    QRect drawTo;    // (2, 2), view size less one in each direction
};

// pointer in screen coordinates; view is the viewing area inside the bevels;
// screen the geometry of the screen the pointer is on.
MagnifyArea MagnifierArea(QPoint pointer, QSize view, int zoom, const QRect& screen);

} // namespace pictaron
