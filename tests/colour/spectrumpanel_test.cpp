// The spectrum panel under the mouse: pressing and dragging in the spectrum
// and the grey strip, dragging the markers, clicking the margins; and under
// the arrow keys, which the picker hands it.
#include "colour/colorpicker.h"
#include "colour/palettegrid.h"
#include "colour/spectrum.h"
#include "colour/spectrumpanel.h"
#include "windowtestsupport.h"
#include "windowtesting.h"

#include <QSignalSpy>
#include <QToolButton>

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

    // The picker hands the arrow keys to the shown panel before the focused
    // control sees them: one point a step, ten with Ctrl (Shift changes
    // nothing), none past the spectrum's edge; other keys reach the control.
    void arrowKeysStepTheChosenPoint()
    {
        TfrmColorPicker picker;
        picker.show();
        picker.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        ClickAt(picker.findChild<QToolButton*>(QStringLiteral("btnMoreColor")));
        SpectrumPanel* panel = picker.Spectrum();
        QVERIFY(panel->isVisible());
        // The grid's second cell of the second row, focused by the click and
        // moved by any arrow key that got to it.
        QWidget* grid = picker.Grid();
        const int middle = PaletteGrid::kLine + PaletteGrid::kCell / 2;
        const int next = PaletteGrid::kCell + PaletteGrid::kLine;
        ClickAt(grid, QPoint(middle + next, middle + next));
        QCOMPARE(picker.Grid()->Selected(), QPoint(1, 1));
        ClickAt(panel->SpectrumImage(), {0, 0});
        QCOMPARE(panel->Marker(), QPoint(0, 0));
        QCOMPARE(QApplication::focusWidget(), grid);

        PressKey(Qt::Key_Up); // consumed, refused at the edge
        PressKey(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(panel->Marker(), QPoint(0, 0));
        QCOMPARE(picker.Grid()->Selected(), QPoint(1, 1));
        PressKey(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(panel->Marker(), QPoint(0, 10));
        PressKey(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(panel->Marker(), QPoint(0, 11));
        PressKey(Qt::Key_Right);
        QCOMPARE(panel->Marker(), QPoint(1, 11));
        QCOMPARE(panel->HorizontalMarker()->x(), 7);
        QCOMPARE(panel->VerticalMarker()->y(), 14);
        QCOMPARE(picker.CurrentColour(), At(panel->Picture(), 1, 11));
        QCOMPARE(picker.Grid()->Selected(), QPoint(1, 1));

        // Home is no arrow: the grid has it.
        PressKey(Qt::Key_Home);
        QCOMPARE(picker.Grid()->Selected(), QPoint(0, 1));
        QCOMPARE(panel->Marker(), QPoint(1, 11));
    }

    // Before any point is chosen the arrows have nowhere to step from. The
    // picker always chooses one as it shows the panel, so no key can reach
    // this state; the panel keeps to it for any other host.
    void arrowKeysNeedAChosenPoint()
    {
        SpectrumPanel panel;
        panel.EnsureDrawn();
        QVERIFY(panel.ArrowKey(Qt::Key_Right, false, 10));
        QCOMPARE(panel.Marker(), QPoint(-1, -1));
        QVERIFY(!panel.ArrowKey(Qt::Key_A, false, 10));
        QCOMPARE(panel.Marker(), QPoint(-1, -1));
    }
};

PICTARON_WINDOW_TEST_MAIN(SpectrumPanelTest)
#include "spectrumpanel_test.moc"
