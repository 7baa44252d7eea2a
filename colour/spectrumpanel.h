// The picker's second panel: the hue spectrum above a strip of greys, with two
// triangle markers (one above the spectrum pointing down, one to its left
// pointing right) that mark the chosen point.
//
// The user picks by pressing or dragging in the spectrum, dragging in the grey
// strip, dragging a marker, clicking the margins beside the markers or with
// the arrow keys (forwarded by the dialog). The release that ends a press or
// drag on the spectrum, the strip or a marker chooses nothing more; a margin
// click is a press and release on the panel itself. A picked colour is reported with
// ColourChosen; the dialog makes it the current colour.
#pragma once

#include "effects/pixels.h"

#include <QImage>
#include <QWidget>

namespace pictaron {

class SpectrumPanel : public QWidget {
    Q_OBJECT
public:
    // In panel coordinates.
    static constexpr QPoint kSpectrumAt{14, 13};
    static constexpr QPoint kGreysAt{14, 411};

    explicit SpectrumPanel(QWidget* parent = nullptr);

    // The spectrum and grey strip are drawn once, the first time they are needed.
    void EnsureDrawn();
    bool Drawn() const { return !picture_.isNull(); }
    const QImage& Picture() const { return picture_; }
    const QImage& Greys() const { return greys_; }
    // The spectrum control: 91 x 390, of which the picture fills 384 rows.
    QSize SpectrumControlSize() const;

    // The chosen point, (-1, -1) while none has been chosen.
    QPoint Marker() const { return marker_; }
    QWidget* HorizontalMarker() const;
    QWidget* VerticalMarker() const;
    QWidget* SpectrumImage() const;
    QWidget* GreysImage() const;

    // Marks the point: horizontal marker left x + 6, vertical marker top y + 3.
    void PlaceMarkers(QPoint point);
    // The colour of the picture at the point becomes chosen; it is the marker.
    void Choose(QPoint point);
    // Moves the markers to the current colour or its nearest spectrum colour
    // and chooses that point (nothing when the marker already shows it).
    void Locate(TColor current);
    // Arrow keys: step 1 or, with Ctrl, ctrlStep. Returns whether the key was
    // one of the four arrows (always consumed, even when the move is refused).
    bool ArrowKey(int key, bool ctrl, int ctrlStep);

    // Drags of the markers (called by the markers themselves).
    void DragHorizontalMarker(int dx);
    void DragVerticalMarker(int dy);

signals:
    void ColourChosen(TColor colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    class PictureView;
    class Triangle;
    friend class PictureView;

    void SpectrumMouse(QPoint position);
    void GreysMouse(QPoint position);

    QImage picture_;
    QImage greys_;
    QPoint marker_{-1, -1};
    bool marginPressed_ = false;
    PictureView* spectrumImage_;
    PictureView* greysImage_;
    Triangle* horizontal_;
    Triangle* vertical_;
};

} // namespace pictaron
