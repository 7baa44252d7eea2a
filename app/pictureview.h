// A picture view: shows one picture at its natural size and is as large as
// the picture, so its scroll box scrolls over it.
#pragma once

#include "effects/bitmap.h"
#include <QMouseEvent>
#include <QWidget>

namespace pictaron {

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    const Bitmap& Picture() const { return picture_; }
    // The shown picture for changes in place (the crop frame); call update().
    Bitmap& MutablePicture() { return picture_; }
    // Shows the picture and takes its size.
    void SetPicture(const Bitmap& picture);
    // No picture, size 0 by 0.
    void Clear();

    QSize sizeHint() const override { return {picture_.width(), picture_.height()}; }

signals:
    // Pointer events in picture pixels (the view is as large as its picture).
    void MousePressed(QMouseEvent* event);
    void MouseMoved(QMouseEvent* event);
    void MouseReleased(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override { emit MousePressed(event); }
    void mouseMoveEvent(QMouseEvent* event) override { emit MouseMoved(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { emit MouseReleased(event); }

private:
    Bitmap picture_;
};

} // namespace pictaron
