// The tiled preview: the result repeated across a whole window, the way a web
// page shows a background pattern, so that the seams can be judged. A click
// or Escape closes it.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPixmap>

class QPainter;

namespace pictaron {

class TfrmTileBitmap : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTileBitmap(QWidget* parent = nullptr);

    // Opens the window modally with a copy of the picture as it is shown (at
    // the zoom of the result view) and the owner's icon; destroyed on return.
    static void ShowTiled(QWidget* owner, const QImage& shownPicture);

    // The picture becomes the window's own 24-bit tile; a PictaronError when
    // there is not enough memory for it.
    void SetTile(const QImage& picture);
    const QImage& tile() const { return tile_; }

    // "columns by rows tiles" for the client area, then the (columns + 1) by
    // (rows + 1) copies that cover it, the last column and row cut off by the
    // window's edge.
    void DrawTiles(QPainter& painter);

    // The caption for a client area and a tile of the given sizes.
    static QString TileCaption(QSize client, QSize tile);

    void done(int result) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateCaption();

    QImage tile_;
    QPixmap tilePixmap_; // the tile ready for the screen, made once
};

} // namespace pictaron
