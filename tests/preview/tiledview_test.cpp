// The tiled preview: its caption, that every pixel of the window shows the
// tile pixel it should (the grabbed window against the tile itself), resizing,
// and the ways it closes.
#include "preview/tiledview.h"
#include "windowtesting.h"

#include <QtTest>

using pictaron::testing::ClickAt;
using pictaron::testing::PressKey;

using namespace pictaron;

namespace {

// Every pixel different from its neighbours, so a shifted tile shows.
QImage PatternTile(int width, int height)
{
    QImage tile(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            tile.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x * 7 + y * 13) % 256));
    return tile;
}

// How many pixels of the window differ from the tile repeated from the top
// left corner.
int Mismatches(const QImage& window, const QImage& tile)
{
    int count = 0;
    for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x)
            count += window.pixel(x, y) != tile.pixel(x % tile.width(), y % tile.height());
    return count;
}

} // namespace

class TiledViewTest : public QObject {
    Q_OBJECT

private slots:
    void captionCountsWholeTiles()
    {
        QCOMPARE(TfrmTileBitmap::TileCaption({536, 348}, {100, 50}), QStringLiteral("5 by 6 tiles"));
        QCOMPARE(TfrmTileBitmap::TileCaption({60, 348}, {100, 50}), QStringLiteral("0 by 6 tiles"));
        QCOMPARE(TfrmTileBitmap::TileCaption({200, 100}, {100, 50}), QStringLiteral("2 by 2 tiles"));
    }

    void tilesCoverTheWindow()
    {
        const QImage tile = PatternTile(100, 50);
        TfrmTileBitmap window;
        window.SetTile(tile);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(536, 348));
        QCOMPARE(window.windowTitle(), QStringLiteral("5 by 6 tiles"));
        const QImage shown = window.grab().toImage();
        QCOMPARE(shown.size(), QSize(536, 348));
        QCOMPARE(Mismatches(shown, tile), 0);
    }

    void narrowWindowShowsOnePartialColumn()
    {
        const QImage tile = PatternTile(100, 50);
        TfrmTileBitmap window;
        window.SetTile(tile);
        window.show();
        window.resize(60, 120);
        QCOMPARE(window.windowTitle(), QStringLiteral("0 by 2 tiles"));
        const QImage shown = window.grab().toImage();
        QCOMPARE(shown.width(), 60);
        QCOMPARE(Mismatches(shown, tile), 0);
    }

    void resizingUpdatesTheCaptionAtOnce()
    {
        TfrmTileBitmap window;
        window.SetTile(PatternTile(30, 20));
        window.show();
        window.resize(95, 61);
        QCOMPARE(window.windowTitle(), QStringLiteral("3 by 3 tiles"));
        window.resize(300, 200);
        QCOMPARE(window.windowTitle(), QStringLiteral("10 by 10 tiles"));
    }

    void tileIsTheWindowsOwn24BitCopy()
    {
        QImage picture(4, 3, QImage::Format_Indexed8);
        picture.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 0)});
        picture.fill(1);
        TfrmTileBitmap window;
        window.SetTile(picture);
        picture.fill(0);
        QCOMPARE(window.tile().format(), QImage::Format_BGR888);
        QCOMPARE(window.tile().pixel(2, 2), qRgb(200, 100, 0));
    }

    void clickAndEscapeCloseWithOk()
    {
        for (const bool click : {true, false}) {
            TfrmTileBitmap window;
            window.SetTile(PatternTile(10, 10));
            window.show();
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            // A press and a release at the window, or Escape to the window in front.
            if (click)
                ClickAt(&window, QPoint(20, 20));
            else
                PressKey(Qt::Key_Escape);
            QVERIFY(!window.isVisible());
            QCOMPARE(window.result(), int(QDialog::Accepted));
            QVERIFY(window.tile().isNull());
        }
    }
};

QTEST_MAIN(TiledViewTest)
#include "tiledview_test.moc"
