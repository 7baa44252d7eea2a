#include "app/pictureview.h"

#include "components/qimagebridge.h"

#include <QPainter>
#include <QPaintEvent>

namespace pictaron {

PictureView::PictureView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // hovering over the crop frame shows what a drag would do
    resize(0, 0);
}

void PictureView::SetPicture(const Bitmap& picture)
{
    picture_ = picture;
    resize(sizeHint());
    update();
}

void PictureView::Clear()
{
    picture_ = Bitmap();
    resize(0, 0);
}

void PictureView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), ImageView(picture_), event->rect());
}

} // namespace pictaron
