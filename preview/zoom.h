// The colour picker's "Zoom" window: a small stay-on-top window that magnifies
// any area of the screen so that a single pixel can be picked.
//
// Hold the left button down on the window and drag to the area of interest:
// the window shows it enlarged (1 to 16 times, the slider at the right) and a
// dotted frame marks it on the screen. After the release, pointing back at the
// window previews the colour under the pointer in the picker; the first click
// switches to sampling, the next one takes the colour and closes the window.
// Without a drag the window shows a small animation of how to start.
#pragma once

#include "effects/pixels.h"

#include <QDialog>
#include <QImage>
#include <QTimer>

#include <functional>
#include <optional>

class QSettings;
class QSlider;
class QFrame;
class QLabel;

namespace pictaron {

class FocusOverlay;

class TfrmZoom : public QDialog {
    Q_OBJECT
public:
    // setCurrentColour is the picker's; settings keep the window position
    // under "Color Picker Zoom".
    TfrmZoom(QWidget* parent, std::function<void(TColor)> setCurrentColour, QSettings& settings);
    ~TfrmZoom() override;

    static QString HowToUseText();

    // Magnifies the screen around view point (x, y); -1 keeps the last one.
    void Magnify(int x, int y, bool markFocus);
    void ShowFocus(bool on);

    QSlider* ZoomSlider() const { return trZoom_; }
    QWidget* View() const { return view_; }
    // The viewing area inside the bevels.
    QSize ViewSize() const;
    QRect FocusRect() const { return focusRect_; }
    bool FocusShown() const { return focusShown_; }
    bool Magnified() const { return magnified_; }
    // The next click takes the colour and closes the window.
    bool Sampling() const;
    const QImage& Canvas() const { return canvas_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ViewMousePress();
    void ViewMouseMove(QPoint position, Qt::MouseButtons buttons);
    void ViewMouseRelease();
    void ViewClick(QPoint position);
    // The colour of the magnified picture at a view point, if it shows the screen there.
    std::optional<TColor> CanvasColour(QPoint position) const;
    void RefreshTimer();
    void DelayedTimer();
    void Arrange();
    void ShowHowToUse();
    void SetMagnifyingScreenCursor(bool on);
    void PaintRefused();

    std::function<void(TColor)> setCurrentColour_;
    QSettings& settings_;
    QWidget* view_;
    QSlider* trZoom_;
    QFrame* bvlTop_;
    QFrame* bvlBottom_;
    QFrame* bvlLeft_;
    QFrame* bvlRight_;
    QLabel* lblHowTo_;
    QImage imgMouseDown_;
    QImage imgMouseUp_;
    QTimer tmrRefresh_;
    QTimer tmrDelayed_;
    FocusOverlay* overlay_;
    QImage canvas_;

    int lastX_ = 0;
    int lastY_ = 0;
    std::optional<TColor> sampledColour_;
    bool shown_ = false;
    bool dragging_ = false;
    bool pressed_ = false;
    bool magnified_ = false;
    bool focusShown_ = false;
    bool magnifyingCursor_ = false;
    bool sampleCursor_ = false;
    int animationFrame_ = 0;
    QRect focusRect_;
};

} // namespace pictaron
