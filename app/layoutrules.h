// Where the main window goes after a new original is loaded.
#pragma once

#include <QRect>
#include <QSize>

namespace pictaron {

struct WindowPlacement {
    bool maximise = false;
    QRect bounds;  // the window's new bounds when not maximised
};

// The window grows to show the picture twice over (original and result side by
// side) within the available screen: A = clamp(2 × (width + 50), 635,
// screen width - 10), B = clamp(height + chrome + 50, window height, screen
// height - 30), where chrome is the window's height minus the source scroll
// box's; the lower bound wins when the bounds cross. A window that would come
// within 50 pixels of the screen's size is maximised instead; otherwise it is
// centred on the screen.
WindowPlacement PlaceAfterLoad(QSize picture, int windowHeight, int scrollBoxHeight, const QRect& screen);

} // namespace pictaron
