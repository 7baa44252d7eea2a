// The program's own pictures, drawn with QPainter: the tool bar glyphs, the
// small glyph buttons of the option pages and the window icon. The open and
// save glyphs are the file buttons' (components/fileglyphs.h).
#pragma once

#include "components/fileglyphs.h"

#include <QIcon>

namespace pictaron {

QIcon ApplyGlyph();     // a picture with a spark: make the new image
QIcon SaveAsGlyph();    // the floppy disk with a pencil
QIcon PaletteGlyph();   // a painter's palette
QIcon PickerGlyph();    // an eyedropper
QIcon ProgramIcon();    // a framed landscape beside a smaller copy

} // namespace pictaron
