// The picker's 16 x 16 palette grid: cells of 11 x 11 pixels with 2-pixel grid
// lines between and around them (a pitch of 13), each cell showing one palette
// entry and holding its "r,g,b" text as a tool tip. Clicking or moving with the
// arrow keys selects a cell; a double-click asks for OK.
//
// With fading on, a new palette is not shown at once: every cell runs from the
// colour it showed to its new colour in fourteen drawn steps.
#pragma once

#include "colour/pickerpalette.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <vector>

namespace pictaron {

class PaletteGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPitch = 13;
    static constexpr int kCell = 11;
    static constexpr int kLine = 2;

    explicit PaletteGrid(QWidget* parent = nullptr);

    // Shows the palette, fading from what is shown when fade is on.
    void ShowPalette(const PickerPalette& palette, bool fade);
    bool Fading() const { return fadeTimer_.isActive(); }

    // The colour a cell shows once any fade has ended.
    TColor CellColour(QPoint cell) const;
    QString CellText(QPoint cell) const;
    // The colour drawn in the cell right now (differs from CellColour mid-fade).
    TColor ShownColour(QPoint cell) const;

    QPoint Selected() const { return selected_; }
    // Selects the cell and reports it like a click.
    void Select(QPoint cell);

    QSize sizeHint() const override;

signals:
    void CellSelected(QPoint cell);
    void CellDoubleClicked(QPoint cell);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    QPoint CellAt(QPoint position) const;
    QRect CellRect(QPoint cell) const;
    void FadeStep();

    std::array<TColor, kPickerCells> colours_{};
    std::array<TColor, kPickerCells> shown_{};
    // The fade: per cell the 16 gradient steps, of which 0 to 13 are drawn.
    std::vector<std::array<RGBTriple, 16>> steps_;
    int step_ = 0;
    QTimer fadeTimer_;
    QPoint selected_{0, 0};
};

} // namespace pictaron
