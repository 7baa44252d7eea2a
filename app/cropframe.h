// The crop frame on the source view.
//
// The frame is not an overlay: it is drawn into the source picture itself by
// inverting pixels, so drawing the same frame a second time restores every
// pixel. The window keeps it drawn exactly while Crop is checked and no drag
// is in progress, toggling it around every change. A frame has an outline
// (right and bottom exclusive) and eight 6 × 6 handles, each filled inverted.
#pragma once

#include "effects/bitmap.h"
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <utility>

#include <Qt>

namespace pictaron {

// What a left-button drag on the source view does.
enum class DragMode {
    NewRectangle = 0,
    TopLeft, TopMiddle, TopRight, RightMiddle, BottomRight, BottomMiddle, BottomLeft, LeftMiddle,
    Move = 9,
};

// Swaps the x coordinates when b.x < a.x and the y coordinates when b.y < a.y.
void NormaliseRect(QPoint& a, QPoint& b);

// Clamps both corners into (0,0)..(width-1, height-1) of the picture, then
// normalises; both points are updated in place, as the window keeps the
// clamped corners. Clamping clamped corners changes nothing.
void ClampCropPoints(QPoint& a, QPoint& b, QSize picture);

// Toggles the frame of the normalised corners a, b in the picture.
void ToggleCropFrame(Bitmap& picture, QPoint a, QPoint b);

// The handle square of a mode 1..8 (right and bottom exclusive).
QRect HandleSquare(DragMode handle, QPoint topLeft, QPoint bottomRight);

// What a drag starting at (x, y) would do, and the cursor that says so.
DragMode HitTestCrop(QPoint at, QPoint topLeft, QPoint bottomRight);
Qt::CursorShape CursorFor(DragMode mode);

// The rubber band of a drag in progress, before clamping.
std::pair<QPoint, QPoint> RubberBand(DragMode mode, QPoint dragStart, QPoint pointer, QPoint topLeft,
                                     QPoint bottomRight, QPoint moveOrigin);

// The two crop labels: "L,T to R,B" and "W:w H:h".
std::pair<QString, QString> CropLabels(QPoint topLeft, QPoint bottomRight);

// The width-to-height ratio the size fields keep; empty when undefined (a
// rectangle or picture without width or height leaves the other field alone).
std::optional<float> KeepRatio(bool cropChecked, QPoint topLeft, QPoint bottomRight, QSize picture);
// The other size field's value: from a height, width = Round(height × ratio);
// from a width, height = Round(width × (1 / ratio)).
int KeepRatioValue(int typed, float ratio, bool typedHeight);

} // namespace pictaron
