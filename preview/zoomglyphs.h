// The two frames of the zoom window's instruction animation: a mouse with its
// left button up, and pressed.
#pragma once

#include <QImage>

namespace pictaron {

QImage MouseFrame(bool leftButtonDown);

} // namespace pictaron
