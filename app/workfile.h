// Where the JPEG work file "work.jpg" lives.
#pragma once

#include <QString>

namespace pictaron {

// "work.jpg" in the program's folder while that folder is writable (a build
// tree, a portable copy); for an installed program, or when the folder is
// read-only, in the user's application-data folder, which is created as needed.
QString WorkFilePath();

} // namespace pictaron
