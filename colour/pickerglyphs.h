// The pictures of the colour controls, drawn in code: the entry control's
// button, the picker's tool buttons and its two pointers.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace pictaron {

// A square of the given side in four quarters, each a circle with a black
// outline: red top left, blue top right, yellow bottom left, green bottom right.
QPixmap FourCirclesGlyph(int side);

enum class PickerGlyph { Open, MoreColours, Add, Remove, Sample, Zoom, Find };
QIcon PickerIcon(PickerGlyph glyph);

// The pointer over the spectrum, the grey strip and while sampling: a pipette
// whose tip is the hot spot.
QCursor SampleCursor();
// The pointer of the zoom window while it magnifies.
QCursor MagnifyCursor();

} // namespace pictaron
