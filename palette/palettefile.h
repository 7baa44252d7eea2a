// Reading a palette from a file, chosen by the file name's extension:
// - ".pal": a JASC text palette when the file starts with "JASC-PAL",
//   otherwise a RIFF palette;
// - ".act": a table of 256 colours of three bytes;
// - ".gif": the global colour table of a GIF file.
// Every reader starts from 256 black entries and overwrites what the file
// holds, so a GIF without a global table gives 256 black entries, and a short
// table keeps black (RIFF) or repeats its last colour (ACT). No file is read
// further than its kind can reach, and only a regular file is read at all.
#pragma once

#include "palette/palette.h"

#include <string>

namespace pictaron {

// Throws PictaronError naming the file when it cannot be read (missing, not a
// regular file, larger than its kind of palette can be), when it is not a
// palette of the kind its extension names or the extension is none of the
// three, when a JASC palette is short of lines or numbers, or when the file
// declares no colours. A JASC palette may use CR LF or LF line ends.
Palette LoadPaletteFile(const std::string& path);

} // namespace pictaron
