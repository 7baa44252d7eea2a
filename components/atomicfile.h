// Writing a file the user named without ever leaving half of it behind.
#pragma once

#include <QByteArray>
#include <QString>

namespace pictaron {

// Writes bytes to a temporary file in the target's folder, checks every write,
// the flush and the close, then renames it over the target. On failure the
// target is untouched, the temporary is removed, and a PictaronError names the
// file and the reason. A symbolic link is followed to the file it names; a
// target the user may not write is refused, not replaced.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace pictaron
