// The small pictures of the file buttons, drawn rather than shipped so they
// stay sharp at any scale: an opening folder and a floppy disk.
#pragma once

#include <QIcon>

namespace pictaron {

QIcon OpenFileGlyph();
QIcon SaveFileGlyph();

} // namespace pictaron
