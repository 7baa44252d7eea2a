// Reading pixels of the screen for sampling and the magnifier.
//
// Some desktops refuse (a Wayland session without permission hands back an
// empty picture; the offscreen and minimal platforms have no screen to read).
// Grab then gives nothing and the callers say so instead of showing garbage.
// Tests install a source of their own.
#pragma once

#include "effects/pixels.h"

#include <QImage>
#include <QRect>

#include <optional>

namespace pictaron {

class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    // The area in global coordinates, or nothing when the screen cannot be read.
    virtual std::optional<QImage> Grab(const QRect& area) = 0;
    // The geometry of the screen that holds the point.
    virtual QRect ScreenAt(QPoint point) = 0;
};

ScreenSource& Screen();
// Installs a source (owned by the caller); nullptr goes back to the real screen.
void SetScreenSource(ScreenSource* source);

// The colour under one screen point, as 0x00BBGGRR.
std::optional<TColor> ScreenPixel(QPoint point);

// What the user is told when the screen cannot be read.
QString ScreenRefusedText();

} // namespace pictaron
