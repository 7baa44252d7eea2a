// The source and result views: the crop frame and its drags, zoom, picking
// the transparent colour from the result, the keep-ratio sizes, and copying
// between the views.
//
// The frame is drawn by inversion into the source view's own copy of the
// original, so the picture a run starts from never carries it.
#include "app/mainwindow.h"
#include "components/qtbridge.h"

#include "app/cropframe.h"
#include "app/pictureview.h"
#include "app/zoom.h"
#include "colour/orvacolourpicker.h"
#include "components/busy.h"
#include "components/errors.h"
#include "components/qimagebridge.h"
#include "components/orvaedit.h"
#include "effects/pixels.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include <optional>

namespace pictaron {

namespace {

QPoint ClampToView(QPoint at, const QWidget* view)
{
    return QPoint(Clamp(at.x(), 0, std::max(0, view->width() - 1)), Clamp(at.y(), 0, std::max(0, view->height() - 1)));
}

// Scrolls just far enough that the point under the pointer stays in view.
void ScrollIntoView(QScrollArea* box, QPoint at)
{
    QScrollBar* horizontal = box->horizontalScrollBar();
    QScrollBar* vertical = box->verticalScrollBar();
    if (at.x() < horizontal->value() || at.x() - horizontal->value() > box->viewport()->width())
        horizontal->setValue(at.x());
    if (at.y() < vertical->value() || at.y() - vertical->value() > box->viewport()->height())
        vertical->setValue(at.y());
}

} // namespace

void TfrmPictaron::ConnectViewHandlers()
{
    connect(imgSource, &PictureView::MousePressed, this, &TfrmPictaron::imgSourceMouseDown);
    connect(imgSource, &PictureView::MouseMoved, this, &TfrmPictaron::imgSourceMouseMove);
    connect(imgSource, &PictureView::MouseReleased, this, &TfrmPictaron::imgSourceMouseUp);
    connect(imgDest, &PictureView::MousePressed, this, &TfrmPictaron::imgDestMouseDown);
    connect(imgDest, &PictureView::MouseMoved, this, &TfrmPictaron::imgDestMouseMove);
    connect(imgDest, &PictureView::MouseReleased, this, &TfrmPictaron::imgDestMouseUp);
    connect(cmbZoom, &QComboBox::activated, this, &TfrmPictaron::cmbZoomClick);
    opt.btnTransparentColourPicker->setCheckable(true);
    connect(opt.btnTransparentColourPicker, &QToolButton::toggled, this,
            &TfrmPictaron::btnTransparentColourPickerClick);
    connect(opt.txtResizeWidth, &QLineEdit::textEdited, this, [this] { txtResizeHeightChange(false); });
    connect(opt.txtResizeHeight, &QLineEdit::textEdited, this, [this] { txtResizeHeightChange(true); });
    setAcceptDrops(true);
}

void TfrmPictaron::DrawCropFrame(QPoint& p1, QPoint& p2)
{
    ClampCropPoints(p1, p2, imgSource->size());
    const auto [corners, size] = CropLabels(p1, p2);
    opt.lblCrop->setText(corners);
    opt.lblCrop2->setText(size);
    ToggleCropFrame(imgSource->MutablePicture(), p1, p2);
    imgSource->update();
}

void TfrmPictaron::ResetDragRect()
{
    dragStart = dragEnd = QPoint(-1, -1);
}

void TfrmPictaron::chkCropClick(bool checked)
{
    if (cropTopLeft.x() == -1) {
        // The first frame: 45 by 45 near the visible top-left corner.
        cropTopLeft = QPoint(scrSource->horizontalScrollBar()->value() + 5, scrSource->verticalScrollBar()->value() + 5);
        cropBottomRight = cropTopLeft + QPoint(45, 45);
    }
    if (!imgSource->Picture().isNull())
        DrawCropFrame(cropTopLeft, cropBottomRight);  // checking draws the frame, unchecking erases it
    RestartAutoApply();
    opt.lblCrop->setVisible(checked);
    opt.lblCrop2->setVisible(checked);
}

void TfrmPictaron::imgSourceMouseDown(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && event->modifiers().testFlag(Qt::ControlModifier)) {
        imgDest->SetPicture(imgSource->Picture());
        imgDest->show();
        return;
    }
    if (event->button() != Qt::LeftButton || !opt.chkCrop->isChecked())
        return;
    if (cropTopLeft.x() >= 0)
        DrawCropFrame(cropTopLeft, cropBottomRight);  // erased while dragging
    dragged = false;
    if (dragMode == static_cast<int>(DragMode::NewRectangle))
        dragStart = event->position().toPoint();
    if (dragMode == static_cast<int>(DragMode::Move))
        moveOrigin = event->position().toPoint();
}

void TfrmPictaron::imgSourceMouseMove(QMouseEvent* event)
{
    if (!opt.chkCrop->isChecked())
        return;
    const QPoint at = event->position().toPoint();
    if (!event->buttons().testFlag(Qt::LeftButton)) {
        if (cropTopLeft.x() >= 0) {
            const DragMode mode = HitTestCrop(at, cropTopLeft, cropBottomRight);
            dragMode = static_cast<int>(mode);
            imgSource->setCursor(CursorFor(mode));
        }
        return;
    }
    const QPoint pointer = ClampToView(at, imgSource);
    if (dragEnd.x() >= 0)
        DrawCropFrame(dragStart, dragEnd);  // erase the previous rubber band
    auto [a, b] = RubberBand(static_cast<DragMode>(dragMode), dragStart, pointer, cropTopLeft, cropBottomRight,
                             moveOrigin);
    DrawCropFrame(a, b);
    dragStart = a;
    dragEnd = b;
    dragged = true;
    ScrollIntoView(scrSource, pointer);
}

void TfrmPictaron::imgSourceMouseUp(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !opt.chkCrop->isChecked())
        return;
    if (!dragged || dragEnd.x() < 0) {
        DrawCropFrame(cropTopLeft, cropBottomRight);  // a click: the frame as it was
        ResetDragRect();
        return;
    }
    cropTopLeft = dragStart;
    cropBottomRight = dragEnd;
    NormaliseRect(cropTopLeft, cropBottomRight);
    ResetDragRect();
    dragged = false;
    if (mnuOptionsAutoApply->isChecked())
        RestartAutoApply();
}

void TfrmPictaron::btnTransparentColourPickerClick(bool down)
{
    imgDest->setCursor(down ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

namespace {

// The colour of the shown pixel under the pointer, or empty off the picture.
std::optional<TColor> ShownColour(const PictureView* view, QPoint at)
{
    const QImage picture = ImageView(view->Picture());
    if (!picture.valid(at))
        return std::nullopt;
    const QRgb rgb = picture.pixel(at);
    return static_cast<TColor>(qRed(rgb)) | static_cast<TColor>(qGreen(rgb)) << 8 | static_cast<TColor>(qBlue(rgb)) << 16;
}

} // namespace

void TfrmPictaron::imgDestMouseDown(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && event->modifiers().testFlag(Qt::ShiftModifier))
        CopyPictureToSource(imgDest->Picture());
    if (opt.chkTransparent->isChecked() && opt.btnTransparentColourPicker->isChecked())
        if (const auto colour = ShownColour(imgDest, event->position().toPoint()))
            opt.ocpTransparentColour->SetColour(*colour);
}

void TfrmPictaron::imgDestMouseMove(QMouseEvent* event)
{
    // A live preview while picking.
    if (opt.chkTransparent->isChecked() && opt.btnTransparentColourPicker->isChecked())
        if (const auto colour = ShownColour(imgDest, event->position().toPoint()))
            opt.ocpTransparentColour->SetColour(*colour);
}

void TfrmPictaron::imgDestMouseUp(QMouseEvent* event)
{
    if (!opt.btnTransparentColourPicker->isChecked())
        return;
    if (const auto colour = ShownColour(imgDest, event->position().toPoint()))
        opt.ocpTransparentColour->SetColour(*colour);
    opt.btnTransparentColourPicker->setChecked(false);  // one click picks one colour
}

void TfrmPictaron::CopyPictureToSource(const Bitmap& picture)
{
    // The copy becomes the original of the next run; its report stays.
    if (picture.isNull())
        return;
    Bitmap copy;
    if (!WithMemory([&] { copy = ToWorkingBitmap(picture).copy(); }))
        return;
    if (opt.chkCrop->isChecked())
        opt.chkCrop->setChecked(false);
    original = std::move(copy);
    originalAlpha = Bitmap();
    imgSource->SetPicture(original);
    imgSource->show();
}

void TfrmPictaron::cmbZoomClick()
{
    const float shown = zoomScale;
    zoomScale = ZoomScaleFromText(cmbZoom->currentText());
    if (!ShowZoomed(0, 0, true)) {
        // The view stays as it was, and the list says so.
        zoomScale = shown;
        cmbZoom->setCurrentText(ZoomText(shown));
    }
}

bool TfrmPictaron::ShowZoomed(int x, int y, bool setScroll)
{
    if (resultPicture.isNull())
        return true;
    Bitmap zoomed;
    {
        const BusyScope busy;
        if (!WithMemory([&] { zoomed = ZoomPicture(resultPicture, zoomScale); }))
            return false;
    }
    imgDest->SetPicture(zoomed);
    scrDest->horizontalScrollBar()->setValue(0);
    scrDest->verticalScrollBar()->setValue(0);
    if (setScroll) {
        scrDest->horizontalScrollBar()->setValue(x);
        scrDest->verticalScrollBar()->setValue(y);
    }
    return true;
}

bool TfrmPictaron::WithMemory(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const PictaronError& error) {
        QMessageBox::critical(this, QStringLiteral("Pictaron"), ToQString(error.message()));
    } catch (const std::bad_alloc&) {
        QMessageBox::critical(this, QStringLiteral("Pictaron"),
                              QStringLiteral("There is not enough memory for this command."));
    }
    return false;
}

void TfrmPictaron::txtResizeHeightChange(bool fromHeight)
{
    if (!opt.chkKeepRatio->isChecked() || keepRatioBusy)
        return;
    const std::optional<float> ratio =
        KeepRatio(opt.chkCrop->isChecked(), cropTopLeft, cropBottomRight, ToQSize(original.size()));
    if (ratio) {
        keepRatioBusy = true;
        if (fromHeight)
            opt.txtResizeWidth->setText(QString::number(KeepRatioValue(opt.txtResizeHeight->IntValue(), *ratio, true)));
        else
            opt.txtResizeHeight->setText(QString::number(KeepRatioValue(opt.txtResizeWidth->IntValue(), *ratio, false)));
        keepRatioBusy = false;
    }
    RestartAutoApply();
}

void TfrmPictaron::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void TfrmPictaron::dropEvent(QDropEvent* event)
{
    // Several files dropped at once: the last one, as with other requests to open.
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.last().isLocalFile()) {
        event->acceptProposedAction();
        OpenPicture(urls.last().toLocalFile());
    }
}

} // namespace pictaron
