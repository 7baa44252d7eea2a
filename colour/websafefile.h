// The web-safe palette as the file "websafe.pal" that the picker's palette
// list always offers.
//
// It lives in a folder of the temporary folder that belongs to the user alone
// ("pictaron-<user id>", owner-only rights), never straight in the shared
// temporary folder: there another user could create the name first or point
// it at a file of ours. The folder must be a real folder owned by the user;
// the file is written atomically, and a link in its place is replaced, never
// followed.
#pragma once

#include <QByteArray>
#include <QString>

namespace pictaron {

// A RIFF palette of 1052 bytes: the 216 web-safe colours from 255,255,255 down
// to 0,0,0 (red slowest, blue fastest), then 40 black entries and four zero
// bytes that end the data chunk.
QByteArray WebSafePaletteFileBytes();

// The same colours as a picker palette, for when the file cannot be written.
struct PickerPalette;
PickerPalette BuiltInWebSafePalette();

// <temporary folder>/pictaron-<user id>
QString WebSafePaletteFolder();
QString WebSafePalettePath();

// Writes the file at path (in a folder that is made private to the user) when
// it is not already there as a regular file. Throws PictaronError with the
// reason when the folder is unsafe or the file cannot be written.
void EnsureWebSafePaletteFile(const QString& path);

} // namespace pictaron
