// The spectrum panel under the mouse: pressing and dragging in the spectrum
// and the grey strip, dragging the markers, clicking the margins.
#include "colour/spectrum.h"
#include "colour/spectrumpanel.h"
#include "windowtestsupport.h"
#include "windowtesting.h"

#include <QSignalSpy>

using namespace pictaron;
using namespace pictaron::testing;

namespace {

// The panel in a window of its own, drawn, shown and active.
struct ShownPanel {
    SpectrumPanel panel;
    bool Show()
    {
        panel.EnsureDrawn();
        panel.show();
        panel.activateWindow();
        return QTest::qWaitForWindowActive(&panel);
    }
};

TColor At(const QImage& image, int x, int y) { return TripleToColor(PixelAt(image, x, y)); }

} // namespace

class SpectrumPanelTest : public QObject {
    Q_OBJECT

private slots:
    void pressAndDragInTheSpectrumChoosePoints()
    {
        ShownPanel shown;
        QVERIFY(shown.Show());
        SpectrumPanel& panel = shown.panel;
        QSignalSpy chosen(&panel, &SpectrumPanel::ColourChosen);
        QWidget* image = panel.SpectrumImage();
        PressAt(image, {30, 100});
        QCOMPARE(panel.Marker(), QPoint(30, 100));
        QCOMPARE(panel.HorizontalMarker()->x(), 36);
        QCOMPARE(panel.VerticalMarker()->y(), 103);
        QCOMPARE(chosen.last().at(0).value<TColor>(), At(panel.Picture(), 30, 100));

        // Dragging past the edge stays on the spectrum's last column.
        MoveTo(image, {140, 50});
        QCOMPARE(panel.Marker(), QPoint(90, 50));
        QCOMPARE(chosen.last().at(0).value<TColor>(), clWhite);
        const int before = chosen.count();
        ReleaseAt(image, {140, 50});
        QCOMPARE(chosen.count(), before); // the release chooses nothing more
        // Moving without the button held chooses nothing.
        MoveTo(image, {10, 10});
        QCOMPARE(panel.Marker(), QPoint(90, 50));

        // A press on the spectrum's top row is no click on the margin above.
        PressAt(image, {40, 0});
        ReleaseAt(image, {40, 0});
        QCOMPARE(panel.Marker(), QPoint(40, 0));
    }

    void theGreyStripPicksGreysWithoutMovingTheMarkers()
    {
        ShownPanel shown;
        QVERIFY(shown.Show());
        SpectrumPanel& panel = shown.panel;
        ClickAt(panel.SpectrumImage(), {20, 20});  // the markers' point, chosen
        QCOMPARE(panel.Marker(), QPoint(20, 20));
        QSignalSpy chosen(&panel, &SpectrumPanel::ColourChosen);
        PressAt(panel.GreysImage(), {45, 5});
        QCOMPARE(chosen.count(), 0);
        MoveTo(panel.GreysImage(), {45, 6});
        ReleaseAt(panel.GreysImage(), {45, 6});
        QCOMPARE(chosen.last().at(0).value<TColor>(), TColor(0x7F7F7F));
        QCOMPARE(panel.Marker(), QPoint(20, 20));
        QCOMPARE(panel.HorizontalMarker()->x(), 26);
    }

    // A marker's drag ends where it was let go: the release is no click on
    // the margin beside the marker.
    void markersDragWithinTheirRanges()
    {
        ShownPanel shown;
        QVERIFY(shown.Show());
        SpectrumPanel& panel = shown.panel;
        ClickAt(panel.SpectrumImage(), {40, 60});  // the markers' point, chosen
        QCOMPARE(panel.Marker(), QPoint(40, 60));
        QSignalSpy chosen(&panel, &SpectrumPanel::ColourChosen);
        QWidget* across = panel.HorizontalMarker();
        PressAt(across, {8, 4});
        MoveTo(across, {18, 4});
        QCOMPARE(across->x(), 56);
        QCOMPARE(panel.Marker(), QPoint(50, 60));
        // The marker has moved under the pointer: the release is at its point.
        ReleaseAt(across, {8, 4});
        QCOMPARE(across->x(), 56);
        QCOMPARE(panel.Marker(), QPoint(50, 60));
        QCOMPARE(chosen.last().at(0).value<TColor>(), At(panel.Picture(), 50, 60));

        PressAt(across, {8, 4});
        MoveTo(across, {300, 4});
        QCOMPARE(across->x(), 96);
        QCOMPARE(panel.Marker(), QPoint(90, 60));
        ReleaseAt(across, {8, 4});
        QCOMPARE(panel.Marker(), QPoint(90, 60));

        QWidget* down = panel.VerticalMarker();
        PressAt(down, {4, 8});
        MoveTo(down, {4, -500});
        QCOMPARE(down->y(), 5);
        QCOMPARE(panel.Marker(), QPoint(90, 2));
        ReleaseAt(down, {4, 8});
        QCOMPARE(down->y(), 5);
        QCOMPARE(panel.Marker(), QPoint(90, 2));
    }

    void marginClicksMoveOneMarker()
    {
        ShownPanel shown;
        QVERIFY(shown.Show());
        SpectrumPanel& panel = shown.panel;
        ClickAt(panel.SpectrumImage(), {40, 60});  // the markers' point, chosen
        QCOMPARE(panel.Marker(), QPoint(40, 60));
        // Beside the marker (46 to 62 across), not on it.
        ClickAt(&panel, {80, 10});
        QCOMPARE(panel.HorizontalMarker()->x(), 72);
        QCOMPARE(panel.Marker(), QPoint(65, 60));
        ClickAt(&panel, {8, 50});
        QCOMPARE(panel.VerticalMarker()->y(), 42);
        QCOMPARE(panel.Marker(), QPoint(65, 35));
        // Right of the spectrum the point stays on its last columns.
        ClickAt(&panel, {116, 10});
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
