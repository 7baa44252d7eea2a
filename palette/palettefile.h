// Reading a palette from a file, chosen by the file name's extension:
// - ".pal": a JASC text palette when the file starts with "JASC-PAL",
//   otherwise a RIFF palette;
// - ".act": a table of 256 colours of three bytes;
// - ".gif": the global colour table of a GIF file.
// Every reader starts from 256 black entries and overwrites what the file
// holds. A file that is read but not recognised (another extension, a wrong
// signature, a GIF without a global table) therefore gives 256 black entries.
#pragma once

#include "palette/palette.h"

#include <QString>

namespace pictaron {

// Throws PictaronError naming the file when it cannot be read, when a JASC
// palette is short of lines or numbers, or when the file declares no colours.
// A JASC palette may use CR LF or LF line ends.
Palette LoadPaletteFile(const QString& path);

} // namespace pictaron
