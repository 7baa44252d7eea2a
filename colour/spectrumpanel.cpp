#include "colour/spectrumpanel.h"

#include "colour/pickerglyphs.h"
#include "colour/spectrum.h"
#include "components/busy.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace pictaron {

namespace {

constexpr int kPanelWidth = 119;
constexpr int kPanelHeight = 443;
constexpr int kHorizontalTop = 4;
constexpr int kVerticalLeft = 5;
constexpr int kHorizontalLow = 6, kHorizontalHigh = 96;
constexpr int kVerticalLow = 5, kVerticalHigh = 388;

} // namespace

// The spectrum or the grey strip: shows its picture and hands the pointer,
// clamped to its own area (the pointer is kept inside while a button is held),
// to the panel.
class SpectrumPanel::PictureView : public QWidget {
public:
    PictureView(SpectrumPanel* panel, bool spectrum)
        : QWidget(panel), panel_(panel), spectrum_(spectrum)
    {
        setCursor(SampleCursor());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // Below the picture (the spectrum control is six rows taller) the
        // panel shows through, though reading there gives black.
        QPainter p(this);
        const QImage& picture = spectrum_ ? panel_->picture_ : panel_->greys_;
        if (!picture.isNull())
            p.drawImage(0, 0, picture);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (spectrum_)
            panel_->SpectrumMouse(Inside(event));
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        if (spectrum_)
            panel_->SpectrumMouse(Inside(event));
        else
            panel_->GreysMouse(Inside(event));
    }
    // The release ends the press or drag here; it is no click on the panel.
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }

private:
    QPoint Inside(QMouseEvent* event) const
    {
        const QPoint p = event->position().toPoint();
        return QPoint(std::clamp(p.x(), 0, width() - 1), std::clamp(p.y(), 0, height() - 1));
    }

    SpectrumPanel* panel_;
    bool spectrum_;
};

// A triangle marker, black outline and white fill, dragged along its own axis.
class SpectrumPanel::Triangle : public QWidget {
public:
    Triangle(SpectrumPanel* panel, bool horizontal)
        : QWidget(panel), panel_(panel), horizontal_(horizontal)
    {
        resize(horizontal ? QSize(17, 9) : QSize(9, 17));
        setCursor(horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        QPainterPath path;
        path.moveTo(0.5, 0.5);
        path.lineTo(horizontal_ ? QPointF(16.5, 0.5) : QPointF(0.5, 16.5));
        path.lineTo(8.5, 8.5);
        path.closeSubpath();
        p.drawPath(path);
    }
    void mousePressEvent(QMouseEvent* event) override { grab_ = event->position().toPoint(); }
    // The release ends the drag where the marker is; it is no click on the
    // margin beside it.
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        const QPoint delta = event->position().toPoint() - grab_;
        if (horizontal_)
            panel_->DragHorizontalMarker(delta.x());
        else
            panel_->DragVerticalMarker(delta.y());
    }

private:
    SpectrumPanel* panel_;
    bool horizontal_;
    QPoint grab_;
};

SpectrumPanel::SpectrumPanel(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(kPanelWidth, kPanelHeight);
    spectrumImage_ = new PictureView(this, true);
    spectrumImage_->setGeometry(QRect(kSpectrumAt, QSize(kSpectrumWidth, kSpectrumDrawnHeight)));
    greysImage_ = new PictureView(this, false);
    greysImage_->setGeometry(QRect(kGreysAt, QSize(kSpectrumWidth, kGreyStripHeight)));
    horizontal_ = new Triangle(this, true);
    vertical_ = new Triangle(this, false);
    horizontal_->move(59, kHorizontalTop);
    vertical_->move(kVerticalLeft, 205);
    setToolTip(QString());
}

QWidget* SpectrumPanel::HorizontalMarker() const { return horizontal_; }
QWidget* SpectrumPanel::VerticalMarker() const { return vertical_; }
QWidget* SpectrumPanel::SpectrumImage() const { return spectrumImage_; }
QWidget* SpectrumPanel::GreysImage() const { return greysImage_; }

void SpectrumPanel::EnsureDrawn()
{
    if (Drawn())
        return;
    picture_ = SpectrumPicture();
    greys_ = GreyStrip();
    update();
}

QSize SpectrumPanel::SpectrumControlSize() const
{
    return spectrumImage_->size();
}

void SpectrumPanel::PlaceMarkers(QPoint point)
{
    horizontal_->move(point.x() + 6, kHorizontalTop);
    vertical_->move(kVerticalLeft, point.y() + 3);
}

void SpectrumPanel::Choose(QPoint point)
{
    marker_ = point;
    emit ColourChosen(TripleToColor(PixelAt(picture_, point.x(), point.y())));
}

void SpectrumPanel::Locate(TColor current)
{
    // With no point chosen yet there is nothing the colour could already match.
    if (marker_ != QPoint(-1, -1)
        && ResolveSystemColour(current) == TripleToColor(PixelAt(picture_, marker_.x(), marker_.y())))
        return;
    BusyScope busy;
    const QPoint target = LocateInSpectrum(picture_, current, SpectrumControlSize());
    PlaceMarkers(target);
    Choose(target);
}

bool SpectrumPanel::ArrowKey(int key, bool ctrl, int ctrlStep)
{
    const int step = ctrl ? ctrlStep : 1;
    QPoint point = marker_;
    switch (key) {
    case Qt::Key_Down: point.ry() += step; break;
    case Qt::Key_Up: point.ry() -= step; break;
    case Qt::Key_Left: point.rx() -= step; break;
    case Qt::Key_Right: point.rx() += step; break;
    default: return false;
    }
    // An unchosen marker (-1, -1) lands outside with every key.
    const QSize size = SpectrumControlSize();
    if (marker_ == QPoint(-1, -1) || point.x() < 0 || point.y() < 0 || point.x() >= size.width()
        || point.y() >= size.height())
        return true;
    PlaceMarkers(point);
    Choose(point);
    return true;
}

void SpectrumPanel::DragHorizontalMarker(int dx)
{
    const int left = std::clamp(horizontal_->x() + dx, kHorizontalLow, kHorizontalHigh);
    horizontal_->move(left, kHorizontalTop);
    Choose(QPoint(left - 6, marker_.y()));
}

void SpectrumPanel::DragVerticalMarker(int dy)
{
    const int top = std::clamp(vertical_->y() + dy, kVerticalLow, kVerticalHigh);
    vertical_->move(kVerticalLeft, top);
    Choose(QPoint(marker_.x(), top - 3));
}

void SpectrumPanel::SpectrumMouse(QPoint position)
{
    PlaceMarkers(position);
    Choose(position);
}

void SpectrumPanel::GreysMouse(QPoint position)
{
    emit ColourChosen(TripleToColor(PixelAt(greys_, position.x(), position.y())));
}

void SpectrumPanel::mousePressEvent(QMouseEvent* event)
{
    marginPressed_ = event->button() == Qt::LeftButton;
}

// A margin click is a press and a release on the panel itself.
void SpectrumPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool pressedHere = marginPressed_;
    marginPressed_ = false;
    if (!pressedHere)
        return;
    const int x = event->position().toPoint().x();
    const int y = event->position().toPoint().y();
    if (y < 15 && x > 15 && x < 217) {
        // Kept within the marker's drag range so the point stays on the spectrum.
        const int left = std::clamp(x - 8, kHorizontalLow + 1, kHorizontalHigh);
        horizontal_->move(left, kHorizontalTop);
        Choose(QPoint(left - 7, marker_.y()));
    } else if (x <= 14 && y >= 16 && y <= 104) {
        const int top = y - 8;
        vertical_->move(kVerticalLeft, top);
        Choose(QPoint(marker_.x(), top - 7));
    }
}

void SpectrumPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(QRect(kSpectrumAt - QPoint(1, 1), QSize(kSpectrumWidth + 1, kSpectrumDrawnHeight + 1)));
    p.drawRect(QRect(kGreysAt - QPoint(1, 1), QSize(kSpectrumWidth + 1, kGreyStripHeight + 1)));
}

} // namespace pictaron
