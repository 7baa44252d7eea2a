#include "preview/zoom.h"

#include "colour/messages.h"
#include "colour/pickerglyphs.h"
#include "colour/screengrab.h"
#include "components/formposition.h"
#include "preview/focusoverlay.h"
#include "preview/zoomgeometry.h"
#include "preview/zoomglyphs.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

namespace pictaron {

namespace {

constexpr int kRefreshInterval = 200;
constexpr int kDelayedInterval = 1000;

QColor ButtonFace()
{
    const RGBTriple t = ColorToTriple(clBtnFace);
    return QColor(t.red, t.green, t.blue);
}

QFrame* Bevel(QWidget* parent, const char* name)
{
    auto* bevel = new QFrame(parent);
    bevel->setObjectName(QString::fromLatin1(name));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setLineWidth(1);
    return bevel;
}

// The magnified picture lives in the window's canvas; the view only shows it.
class CanvasView : public QWidget {
public:
    CanvasView(QWidget* parent, const QImage& canvas)
        : QWidget(parent), canvas_(canvas) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, 0, canvas_);
    }

private:
    const QImage& canvas_;
};

} // namespace

TfrmZoom::TfrmZoom(QWidget* parent, std::function<void(TColor)> setCurrentColour, QSettings& settings)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      setCurrentColour_(std::move(setCurrentColour)), settings_(settings), overlay_(new FocusOverlay)
{
    setObjectName(QStringLiteral("frmZoom"));
    setWindowTitle(tr("Zoom"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* menus = new QMenuBar(this);
    QMenu* help = menus->addMenu(tr("&Help"));
    QAction* howTo = help->addAction(tr("&How To Use"), this, &TfrmZoom::ShowHowToUse);
    howTo->setObjectName(QStringLiteral("mnuHowToUse"));
    layout->setMenuBar(menus);

    view_ = new CanvasView(this, canvas_);
    view_->setObjectName(QStringLiteral("view"));
    view_->setCursor(Qt::CrossCursor);
    view_->setMouseTracking(true);
    view_->installEventFilter(this);
    layout->addWidget(view_);

    trZoom_ = new QSlider(Qt::Vertical, view_);
    trZoom_->setObjectName(QStringLiteral("trZoom"));
    trZoom_->setRange(1, 16);
    trZoom_->setValue(2);
    trZoom_->setTickInterval(1);
    trZoom_->setTickPosition(QSlider::TicksLeft);
    trZoom_->setToolTip(tr("Magnification"));
    connect(trZoom_, &QSlider::valueChanged, this, [this] {
        Magnify(-1, -1, true);
        tmrDelayed_.start();
    });

    bvlTop_ = Bevel(view_, "bvlTop");
    bvlBottom_ = Bevel(view_, "bvlBottom");
    bvlLeft_ = Bevel(view_, "bvlLeft");
    bvlRight_ = Bevel(view_, "bvlRight");

    lblHowTo_ = new QLabel(tr("Hold the left mouse button down on this window then drag to the area you want to "
                              "magnify"),
                           view_);
    lblHowTo_->setObjectName(QStringLiteral("lblHowTo"));
    lblHowTo_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblHowTo_->setWordWrap(true);
    // The label's pointer events belong to the window underneath.
    lblHowTo_->setAttribute(Qt::WA_TransparentForMouseEvents);
    imgMouseDown_ = MouseFrame(true);
    imgMouseUp_ = MouseFrame(false);

    tmrRefresh_.setInterval(kRefreshInterval);
    connect(&tmrRefresh_, &QTimer::timeout, this, [this] { Magnify(-1, -1, false); });
    tmrRefresh_.start();
    tmrDelayed_.setInterval(kDelayedInterval);
    connect(&tmrDelayed_, &QTimer::timeout, this, &TfrmZoom::DelayedTimer);
    tmrDelayed_.start();

    resize(211, 223);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TfrmZoom::~TfrmZoom()
{
    delete overlay_;
}

QString TfrmZoom::HowToUseText()
{
    return QStringLiteral(
        "The Color Picker's Zoom Window allows you to magnify an area of the screen "
        "and easily select a pixel who's color you wish to use.\n\n"
        "To magnify an area of the screen simply put the cursor over the zoom window and hold down the left "
        "mouse button and drag the cursor to the area of interest.  Make sure you keep the button "
        "held down while moving or the zoom window will not magnify the area you want.\n\n"
        "Once you have the appropriate area visible in the zoom window let go of the mouse "
        "button and point the mouse back at the zoom window.  Find your color and click on it - that's all it "
        "takes !\n\n"
        "The slider bar on the side of the zoom window controls the level of magnification.");
}

QSize TfrmZoom::ViewSize() const
{
    return QSize(bvlRight_->x() - bvlLeft_->width(), bvlBottom_->y() - bvlTop_->height());
}

bool TfrmZoom::Sampling() const
{
    return sampleCursor_;
}

void TfrmZoom::Magnify(int x, int y, bool markFocus)
{
    if (!isVisible() || !shown_)
        return;
    if (x == -1)
        x = lastX_;
    if (y == -1)
        y = lastY_;
    const QSize view = ViewSize();
    const QPoint pointer = view_->mapToGlobal(QPoint(x, y));
    lastX_ = x;
    lastY_ = y;
    const MagnifyArea area = MagnifierArea(pointer, view, trZoom_->value(), Screen().ScreenAt(pointer));
    // The window never magnifies itself.
    if (area.source.intersects(frameGeometry()) || area.copyFrom.isEmpty())
        return;
    if (markFocus)
        ShowFocus(false);
    const std::optional<QImage> shot = Screen().Grab(area.copyFrom);
    if (!shot) {
        PaintRefused();
        return;
    }
    QPainter painter(&canvas_);
    painter.drawImage(area.drawTo, *shot); // nearest neighbour: no smooth transform is set
    painter.end();
    lblHowTo_->hide();
    view_->update();
    focusRect_ = area.source;
    if (markFocus)
        ShowFocus(true);
    magnified_ = true;
}

void TfrmZoom::PaintRefused()
{
    canvas_.fill(ButtonFace());
    QPainter painter(&canvas_);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(QPoint(8, 8), ViewSize() - QSize(12, 12)), Qt::AlignCenter | Qt::TextWordWrap,
                     ScreenRefusedText());
    lblHowTo_->hide();
    view_->update();
}

void TfrmZoom::ShowFocus(bool on)
{
    if (on == focusShown_)
        return;
    if (on)
        overlay_->ShowAround(focusRect_);
    else
        overlay_->hide();
    focusShown_ = on;
}

void TfrmZoom::SetMagnifyingScreenCursor(bool on)
{
    if (on == magnifyingCursor_)
        return;
    if (on)
        QGuiApplication::setOverrideCursor(MagnifyCursor());
    else
        QGuiApplication::restoreOverrideCursor();
    magnifyingCursor_ = on;
}

bool TfrmZoom::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            ViewMousePress();
            return true;
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            ViewMouseMove(mouse->position().toPoint(), mouse->buttons());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            ViewMouseRelease();
            if (mouse->button() == Qt::LeftButton)
                ViewClick(mouse->position().toPoint());
            return true;
        }
        case QEvent::Resize:
            Arrange();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmZoom::ViewMousePress()
{
    view_->grabMouse();
    tmrRefresh_.stop();
    dragging_ = true;
}

void TfrmZoom::ViewMouseMove(QPoint position, Qt::MouseButtons buttons)
{
    if (dragging_ && (buttons & Qt::LeftButton)) {
        if (!magnifyingCursor_) {
            SetMagnifyingScreenCursor(true);
            view_->setCursor(MagnifyCursor());
            sampleCursor_ = false;
        }
        Magnify(position.x(), position.y(), true);
        sampledColour_.reset(); // the canvas shows another area now
        return;
    }
    if (magnified_ && magnifyingCursor_) {
        SetMagnifyingScreenCursor(false);
        view_->setCursor(SampleCursor());
        sampleCursor_ = true;
    }
    // Only magnified pixels are colours of the screen; before the first
    // magnification the window shows its instructions.
    if (const std::optional<TColor> colour = CanvasColour(position)) {
        sampledColour_ = colour;
        setCurrentColour_(*colour);
    }
}

std::optional<TColor> TfrmZoom::CanvasColour(QPoint position) const
{
    if (!magnified_ || !canvas_.rect().contains(position))
        return std::nullopt;
    const QRgb pixel = canvas_.pixel(position);
    return static_cast<TColor>(qRed(pixel)) | static_cast<TColor>(qGreen(pixel)) << 8
        | static_cast<TColor>(qBlue(pixel)) << 16;
}

void TfrmZoom::ViewMouseRelease()
{
    view_->releaseMouse();
    dragging_ = false;
    tmrRefresh_.start();
    ShowFocus(false);
}

// The click that ends a drag switches to sampling and takes no colour (none
// has been pointed at yet); the next one takes the colour under the pointer
// and closes the window.
void TfrmZoom::ViewClick(QPoint position)
{
    if (sampleCursor_) {
        if (const std::optional<TColor> colour = CanvasColour(position))
            sampledColour_ = colour;
        if (sampledColour_)
            setCurrentColour_(*sampledColour_);
        accept();
        return;
    }
    SetMagnifyingScreenCursor(false);
    view_->setCursor(SampleCursor());
    sampleCursor_ = true;
}

void TfrmZoom::Arrange()
{
    const int width = view_->width();
    const int height = view_->height();
    const int sliderWidth = trZoom_->sizeHint().width();
    const int sliderLeft = width - sliderWidth;
    trZoom_->setGeometry(sliderLeft, 0, sliderWidth, height);
    bvlTop_->setGeometry(0, 0, sliderLeft - 3, 2);
    bvlBottom_->setGeometry(0, height - 2, sliderLeft - 3, 2);
    bvlLeft_->setGeometry(0, 0, 2, height - 3);
    bvlRight_->setGeometry(sliderLeft - 3, 0, 2, height - 3);

    QImage canvas(view_->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    canvas.fill(ButtonFace());
    if (magnified_ && !canvas_.isNull()) {
        QPainter painter(&canvas);
        painter.drawImage(0, 0, canvas_);
    }
    canvas_ = canvas;
    const int centre = bvlRight_->x() / 2;
    lblHowTo_->setGeometry(4, imgMouseUp_.height() + 15, std::max(10, 2 * centre - 8), 70);
    Magnify(-1, -1, true);
    tmrDelayed_.start();
}

void TfrmZoom::DelayedTimer()
{
    if (canvas_.isNull())
        return; // not laid out yet
    if (magnified_) {
        ShowFocus(false);
        tmrDelayed_.stop();
        return;
    }
    const QImage& frame = (animationFrame_++ % 2 == 0) ? imgMouseDown_ : imgMouseUp_;
    const int centre = bvlRight_->x() / 2;
    QPainter painter(&canvas_);
    painter.fillRect(QRect(centre - frame.width() / 2, 10, frame.width(), frame.height()), ButtonFace());
    painter.drawImage(centre - frame.width() / 2, 10, frame);
    painter.end();
    const int labelWidth = lblHowTo_->width();
    lblHowTo_->move(centre - labelWidth / 2, imgMouseUp_.height() + 15);
    view_->update();
}

void TfrmZoom::ShowHowToUse()
{
    Messages().Show(this, HowToUseText());
}

void TfrmZoom::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    shown_ = true;
}

void TfrmZoom::hideEvent(QHideEvent* event)
{
    SetMagnifyingScreenCursor(false);
    SaveFormPosition(settings_, this, QStringLiteral("Color Picker Zoom"));
    view_->releaseMouse();
    ShowFocus(false);
    QDialog::hideEvent(event);
}

void TfrmZoom::closeEvent(QCloseEvent* event)
{
    SetMagnifyingScreenCursor(false);
    ShowFocus(false);
    QDialog::closeEvent(event);
}

void TfrmZoom::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QDialog::keyReleaseEvent(event);
}

} // namespace pictaron
