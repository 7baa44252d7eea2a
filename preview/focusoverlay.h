// The dotted frame that marks the magnified area on the screen: a small
// frameless window whose only visible pixels are a one-pixel ring, so it never
// takes input or focus and the area inside stays visible (and grabbable).
#pragma once

#include <QWidget>

namespace pictaron {

class FocusOverlay : public QWidget {
public:
    FocusOverlay();
    // Shows the ring on the edge pixels of area (screen coordinates).
    void ShowAround(const QRect& area);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pictaron
