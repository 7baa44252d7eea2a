// A plain patch of colour: the picker's current-colour swatch and its custom
// colours. It reports presses with their button and modifiers.
#pragma once

#include "effects/pixels.h"

#include <QWidget>

namespace pictaron {

class ColourSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColourSwatch(QWidget* parent = nullptr);

    TColor Colour() const { return colour_; }
    void SetColour(TColor colour);

signals:
    void Pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TColor colour_ = clWhite;
};

} // namespace pictaron
