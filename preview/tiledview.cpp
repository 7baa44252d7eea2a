#include "preview/tiledview.h"

#include "effects/pixels.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace pictaron {

namespace {

// 544 by 375 with its frame: this client area.
constexpr QSize kStartClientSize(536, 348);

} // namespace

TfrmTileBitmap::TfrmTileBitmap(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTileBitmap"));
    setWindowTitle(QStringLiteral("Tiled View"));
    setSizeGripEnabled(false);
    resize(kStartClientSize);
}

void TfrmTileBitmap::ShowTiled(QWidget* owner, const QImage& shownPicture)
{
    TfrmTileBitmap window(owner);
    if (owner)
        window.setWindowIcon(owner->windowIcon());
    window.SetTile(shownPicture);
    window.exec();
}

void TfrmTileBitmap::SetTile(const QImage& picture)
{
    tile_ = picture.convertToFormat(QImage::Format_BGR888);
    tilePixmap_ = QPixmap::fromImage(tile_);
    // Either copy fails only for want of memory; an empty tile would never draw.
    if (tile_.isNull() || tilePixmap_.isNull())
        ThrowOutOfMemory(picture.width(), picture.height());
    UpdateCaption();
    update();
}

QString TfrmTileBitmap::TileCaption(QSize client, QSize tile)
{
    return QStringLiteral("%1 by %2 tiles")
        .arg(client.width() / tile.width())
        .arg(client.height() / tile.height());
}

void TfrmTileBitmap::UpdateCaption()
{
    if (tile_.width() > 0)
        setWindowTitle(TileCaption(size(), tile_.size()));
}

void TfrmTileBitmap::DrawTiles(QPainter& painter)
{
    UpdateCaption();
    const int w = tile_.width();
    const int h = tile_.height();
    const int columns = width() / w;
    const int rows = height() / h;
    for (int i = 0; i <= columns; ++i)
        for (int j = 0; j <= rows; ++j)
            painter.drawPixmap(i * w, j * h, tilePixmap_);
}

void TfrmTileBitmap::done(int result)
{
    tile_ = QImage();
    tilePixmap_ = QPixmap();
    QDialog::done(result);
}

void TfrmTileBitmap::paintEvent(QPaintEvent*)
{
    if (tile_.width() > 0) {
        QPainter painter(this);
        DrawTiles(painter);
    }
}

void TfrmTileBitmap::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    UpdateCaption(); // at once, not only with the next paint
    update();
}

void TfrmTileBitmap::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        accept();
    else
        QDialog::mouseReleaseEvent(event);
}

void TfrmTileBitmap::keyPressEvent(QKeyEvent* event)
{
    // Escape closes with OK like a click, not with Cancel as in other dialogs.
    if (event->key() == Qt::Key_Escape)
        accept();
    else
        QDialog::keyPressEvent(event);
}

} // namespace pictaron
