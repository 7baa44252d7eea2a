// A picture view: shows one picture at its natural size and is as large as
// the picture, so its scroll box scrolls over it.
#pragma once

#include <QImage>
#include <QWidget>

namespace pictaron {

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    const QImage& Picture() const { return picture_; }
    // Shows the picture and takes its size.
    void SetPicture(const QImage& picture);
    // No picture, size 0 by 0.
    void Clear();

    QSize sizeHint() const override { return picture_.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

} // namespace pictaron
