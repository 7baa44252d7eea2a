// The picture of the splash window and About box.
#pragma once

#include <QPixmap>

namespace pictaron {

// A night-blue board with the program's name, its line, and a large picture
// stepping down into smaller, lighter copies: what the program does.
QPixmap SplashPicture(QSize size);

} // namespace pictaron
