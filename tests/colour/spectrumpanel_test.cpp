// The spectrum panel under the mouse: pressing and dragging in the spectrum
// and the grey strip, dragging the markers, clicking the margins.
#include "colour/spectrum.h"
#include "colour/spectrumpanel.h"
#include "windowtestsupport.h"

#include <QMouseEvent>
#include <QSignalSpy>

using namespace pictaron;

namespace {

void SendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, local, target->mapToGlobal(local), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

TColor At(const QImage& image, int x, int y) { return TripleToColor(PixelAt(image, x, y)); }

} // namespace

class SpectrumPanelTest : public QObject {
    Q_OBJECT

private slots:
    void pressAndDragInTheSpectrumChoosePoints()
    {
        SpectrumPanel panel;
        panel.EnsureDrawn();
        QSignalSpy chosen(&panel, &SpectrumPanel::ColourChosen);
        QWidget* image = panel.SpectrumImage();
        SendMouse(image, QEvent::MouseButtonPress, {30, 100}, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(panel.Marker(), QPoint(30, 100));
        QCOMPARE(panel.HorizontalMarker()->x(), 36);
        QCOMPARE(panel.VerticalMarker()->y(), 103);
        QCOMPARE(chosen.last().at(0).value<TColor>(), At(panel.Picture(), 30, 100));

        // Dragging past the edge stays on the spectrum's last column.
        SendMouse(image, QEvent::MouseMove, {140, 50}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(panel.Marker(), QPoint(90, 50));
        QCOMPARE(chosen.last().at(0).value<TColor>(), clWhite);
        // Moving without the button held chooses nothing.
        SendMouse(image, QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(panel.Marker(), QPoint(90, 50));
    }

    void theGreyStripPicksGreysWithoutMovingTheMarkers()
    {
        SpectrumPanel panel;
        panel.EnsureDrawn();
        panel.PlaceMarkers({20, 20});
        panel.Choose({20, 20});
        QSignalSpy chosen(&panel, &SpectrumPanel::ColourChosen);
        SendMouse(panel.GreysImage(), QEvent::MouseButtonPress, {45, 5}, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(chosen.count(), 0);
        SendMouse(panel.GreysImage(), QEvent::MouseMove, {45, 5}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(chosen.last().at(0).value<TColor>(), TColor(0x7F7F7F));
        QCOMPARE(panel.Marker(), QPoint(20, 20));
        QCOMPARE(panel.HorizontalMarker()->x(), 26);
    }

    void markersDragWithinTheirRanges()
    {
        SpectrumPanel panel;
        panel.EnsureDrawn();
        panel.PlaceMarkers({40, 60});
        panel.Choose({40, 60});
        QWidget* across = panel.HorizontalMarker();
        SendMouse(across, QEvent::MouseButtonPress, {8, 4}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(across, QEvent::MouseMove, {18, 4}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(across->x(), 56);
        QCOMPARE(panel.Marker(), QPoint(50, 60));
        SendMouse(across, QEvent::MouseMove, {300, 4}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(across->x(), 96);
        QCOMPARE(panel.Marker(), QPoint(90, 60));

        QWidget* down = panel.VerticalMarker();
        SendMouse(down, QEvent::MouseButtonPress, {4, 8}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(down, QEvent::MouseMove, {4, -500}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(down->y(), 5);
        QCOMPARE(panel.Marker(), QPoint(90, 2));
    }

    void marginClicksMoveOneMarker()
    {
        SpectrumPanel panel;
        panel.EnsureDrawn();
        panel.PlaceMarkers({40, 60});
        panel.Choose({40, 60});
        SendMouse(&panel, QEvent::MouseButtonRelease, {50, 10}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(panel.HorizontalMarker()->x(), 42);
        QCOMPARE(panel.Marker(), QPoint(35, 60));
        SendMouse(&panel, QEvent::MouseButtonRelease, {8, 50}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(panel.VerticalMarker()->y(), 42);
        QCOMPARE(panel.Marker(), QPoint(35, 35));
        // Right of the spectrum the point stays on its last columns.
        SendMouse(&panel, QEvent::MouseButtonRelease, {116, 10}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(panel.HorizontalMarker()->x(), 96);
        QCOMPARE(panel.Marker(), QPoint(89, 35));
    }

    void arrowKeysNeedAChosenPoint()
    {
        SpectrumPanel panel;
        panel.EnsureDrawn();
        QVERIFY(panel.ArrowKey(Qt::Key_Right, false, 10));
        QCOMPARE(panel.Marker(), QPoint(-1, -1));
        QVERIFY(!panel.ArrowKey(Qt::Key_A, false, 10));
        panel.Choose({0, 0});
        QVERIFY(panel.ArrowKey(Qt::Key_Up, false, 10)); // consumed, refused
        QCOMPARE(panel.Marker(), QPoint(0, 0));
        QVERIFY(panel.ArrowKey(Qt::Key_Down, true, 10));
        QCOMPARE(panel.Marker(), QPoint(0, 10));
    }
};

PICTARON_WINDOW_TEST_MAIN(SpectrumPanelTest)
#include "spectrumpanel_test.moc"
