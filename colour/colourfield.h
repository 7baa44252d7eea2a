// A plain colour entry: the colour typed as six hexadecimal digits ("FF8000")
// or as three decimal numbers ("255,128,0"), with a swatch that shows it.
//
// It stands in for the full colour entry control with its picker dialog and
// offers the same interface, so the window does not change when that arrives.
#pragma once

#include "effects/pixels.h"

#include <QWidget>

class QLineEdit;

namespace pictaron {

class ColourField : public QWidget {
    Q_OBJECT
public:
    // emptyColour is what Color() gives while the entry holds no valid colour.
    explicit ColourField(TColor emptyColour, QWidget* parent = nullptr);

    bool IsValid() const { return valid_; }
    TColor Color() const { return valid_ ? colour_ : emptyColour_; }
    RGBTriple GetRGB() const { return ColorToTriple(ResolveSystemColour(Color())); }
    // Shows the colour in the hexadecimal form.
    void SetColour(TColor colour);
    // The frame drawn around the swatch (the button colour's is silver).
    void SetFrameColour(TColor colour);

signals:
    // The text changed; IsValid() says whether it now names a colour.
    void OnChange();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void TextEdited(const QString& text);
    QRect SwatchRect() const;

    QLineEdit* entry_;
    TColor emptyColour_;
    TColor colour_ = clBlack;
    TColor frame_ = clBtnShadow;
    bool valid_ = false;
};

} // namespace pictaron
