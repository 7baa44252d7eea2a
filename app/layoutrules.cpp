#include "app/layoutrules.h"

namespace pictaron {

namespace {

// The lower bound wins when low > high.
int ClampLowWins(int value, int low, int high)
{
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

} // namespace

WindowPlacement PlaceAfterLoad(QSize picture, int windowHeight, int scrollBoxHeight, const QRect& screen)
{
    const int w = picture.width() + 50;
    const int h = picture.height() + (windowHeight - scrollBoxHeight) + 50;
    const int a = ClampLowWins(2 * w, 635, screen.width() - 10);
    int b = ClampLowWins(h, windowHeight, screen.height() - 30);
    if (a < 470 && b < 470)
        b = a;

    WindowPlacement placement;
    if (a > screen.width() - 50 || b > screen.height() - 50) {
        placement.maximise = true;
        return placement;
    }
    placement.bounds = QRect(screen.left() + screen.width() / 2 - a / 2, screen.top() + screen.height() / 2 - b / 2, a, b);
    return placement;
}

} // namespace pictaron
