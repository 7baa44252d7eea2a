// The zoom window over a made-up screen whose every pixel tells where it is,
// driven as a person drives it: drags, clicks and keys sent to the window.
#include "preview/zoom.h"
#include "windowtestsupport.h"
#include "windowtesting.h"

#include <QAction>
#include <QMenuBar>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>

using namespace pictaron;
using namespace pictaron::testing;

class ZoomTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<QSettings> settings_;
    QList<TColor> previewed_;

    std::unique_ptr<TfrmZoom> ShowZoom()
    {
        settings_ = std::make_unique<QSettings>(dir_.filePath(QStringLiteral("zoom.ini")), QSettings::IniFormat);
        previewed_.clear();
        auto zoom = std::make_unique<TfrmZoom>(nullptr, [this](TColor c) { previewed_ << c; }, *settings_);
        zoom->move(20, 20);
        zoom->show();
        zoom->activateWindow();
        if (!QTest::qWaitForWindowActive(zoom.get()))
            return nullptr;
        return zoom;
    }

    QPoint ViewPointFor(TfrmZoom& zoom, QPoint global) { return zoom.View()->mapFromGlobal(global); }

    // A drag from inside the window to the view point, the button still held.
    static void DragTo(TfrmZoom& zoom, QPoint point)
    {
        const QPoint inside(50, 60);
        PressAt(zoom.View(), inside);
        MoveTo(zoom.View(), (inside + point) / 2);
        MoveTo(zoom.View(), point);
    }

private slots:
    void zoomOneShowsTheAreaAroundThePointer()
    {
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        QCOMPARE(zoom->windowTitle(), QStringLiteral("Zoom"));
        QCOMPARE(zoom->ZoomSlider()->value(), 2);
        SlideTo(zoom->ZoomSlider(), 1);
        QCOMPARE(zoom->ZoomSlider()->value(), 1);
        const QSize view = zoom->ViewSize();
        const QPoint p = ViewPointFor(*zoom, QPoint(600, 400));
        DragTo(*zoom, p);
        QVERIFY(zoom->Magnified());
        const QRect source(600 - view.width() / 2, 400 - view.height() / 2, view.width(), view.height());
        QCOMPARE(zoom->FocusRect(), source);
        QVERIFY(zoom->FocusShown());
        // The first drawn pixel is the source's second, the border being left for the frame.
        QCOMPARE(zoom->Canvas().pixel(2, 2), FakeScreenRgb(source.left() + 1, source.top() + 1));
        QCOMPARE(zoom->Canvas().pixel(view.width(), view.height()),
                 FakeScreenRgb(source.right() - 1, source.bottom() - 1));
        ReleaseAt(zoom->View(), p);  // the mark goes with the drag's end
        QVERIFY(!zoom->FocusShown());
    }

    void zoomSixteenShowsASixteenth()
    {
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        SlideTo(zoom->ZoomSlider(), 16);
        QCOMPARE(zoom->ZoomSlider()->value(), 16);
        const QSize view = zoom->ViewSize();
        const QPoint p = ViewPointFor(*zoom, QPoint(700, 500));
        DragTo(*zoom, p);
        ReleaseAt(zoom->View(), p);
        const int w = view.width() / 16, h = view.height() / 16;
        const QRect source(700 - w / 2, 500 - h / 2, w, h);
        QCOMPARE(zoom->FocusRect(), source);
        QVERIFY(!zoom->FocusShown());
        // Each source pixel covers about sixteen canvas pixels each way.
        QCOMPARE(zoom->Canvas().pixel(2, 2), FakeScreenRgb(source.left() + 1, source.top() + 1));
        QCOMPARE(zoom->Canvas().pixel(2 + 15, 2 + 15), FakeScreenRgb(source.left() + 1, source.top() + 1));
        QCOMPARE(zoom->Canvas().pixel(view.width(), view.height()),
                 FakeScreenRgb(source.right() - 1, source.bottom() - 1));
    }

    void screenEdgesKeepTheSourceInside()
    {
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        const QSize view = zoom->ViewSize();
        const int w = view.width() / 2, h = view.height() / 2;
        // One drag along the screen's edges.
        QPoint p = ViewPointFor(*zoom, QPoint(1279, 799));
        DragTo(*zoom, p);
        QCOMPARE(zoom->FocusRect(), QRect(1280 - w, 800 - h, w, h));
        p = ViewPointFor(*zoom, QPoint(1279, 0));
        MoveTo(zoom->View(), p);
        QCOMPARE(zoom->FocusRect(), QRect(1280 - w, 0, w, h));
        p = ViewPointFor(*zoom, QPoint(0, 799));
        MoveTo(zoom->View(), p);
        QCOMPARE(zoom->FocusRect(), QRect(0, 800 - h, w, h));
        ReleaseAt(zoom->View(), p);
    }

    void neverMagnifiesItself()
    {
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        const QPoint p = ViewPointFor(*zoom, QPoint(600, 400));
        DragTo(*zoom, p);
        const QImage before = zoom->Canvas().copy();
        const QRect rect = zoom->FocusRect();
        QVERIFY(zoom->FocusShown());
        MoveTo(zoom->View(), QPoint(30, 30)); // the drag back over the window itself
        QCOMPARE(zoom->FocusRect(), rect);
        QCOMPARE(zoom->Canvas(), before);
        QVERIFY(zoom->FocusShown());  // the mark stays on the last area magnified
        ReleaseAt(zoom->View(), QPoint(30, 30));
        QVERIFY(!zoom->FocusShown());
    }

    void aRefusedScreenIsSaidSo()
    {
        FakeScreen screen;
        screen.refuse = true;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        const QPoint p = ViewPointFor(*zoom, QPoint(600, 400));
        DragTo(*zoom, p);
        QVERIFY(!zoom->Magnified());
        QVERIFY(!zoom->FocusShown());
        const QRgb text = zoom->palette().color(QPalette::WindowText).rgb();
        bool written = false;
        for (int y = 0; y < zoom->Canvas().height() && !written; ++y)
            for (int x = 0; x < zoom->Canvas().width() && !written; ++x)
                written = zoom->Canvas().pixel(x, y) == text;
        QVERIFY(written);
        // No preview of the window's own grey.
        ReleaseAt(zoom->View(), p);
        MoveTo(zoom->View(), QPoint(40, 40));
        QVERIFY(previewed_.isEmpty());
    }

    // The drag, and the two clicks after it, as a person makes them on the
    // window; the release that ends the drag takes no colour.
    void dragThenTwoClicksPickAColour()
    {
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        QWidget* view = zoom->View();
        const QPoint inside(50, 60);
        const QPoint away = view->mapFromGlobal(QPoint(600, 400));
        PressAt(view, inside);
        MoveTo(view, (inside + away) / 2);
        MoveTo(view, away);
        QVERIFY(zoom->Magnified());
        QVERIFY(zoom->FocusShown());
        ReleaseAt(view, away);
        QVERIFY(!zoom->FocusShown());
        QVERIFY(zoom->isVisible()); // the click that ends the drag only switches to sampling
        QVERIFY(zoom->Sampling());
        QCOMPARE(previewed_, QList<TColor>{}); // nothing pointed at yet, so no colour

        MoveTo(view, inside);
        const QRgb under = zoom->Canvas().pixel(inside);
        const TColor expected = TColor(qRed(under)) | TColor(qGreen(under)) << 8 | TColor(qBlue(under)) << 16;
        QVERIFY(!previewed_.isEmpty());
        QCOMPARE(previewed_.last(), expected);

        ClickAt(view, inside);
        QVERIFY(!zoom->isVisible());
        QCOMPARE(zoom->result(), int(QDialog::Accepted));
        QCOMPARE(previewed_.last(), expected);
        QVERIFY(settings_->contains(QStringLiteral("Form Positions/Color Picker Zoom/Top")));
    }

    void escapeCloses()
    {
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        PressKey(Qt::Key_Escape);
        QVERIFY(!zoom->isVisible());
        QVERIFY(previewed_.isEmpty());
    }

    void howToUseShowsTheInstructions()
    {
        RecordingSink sink;
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        QVERIFY(ChooseMenuItem(zoom->findChild<QMenuBar*>(), QStringLiteral("&Help"),
                               zoom->findChild<QAction*>(QStringLiteral("mnuHowToUse"))));
        QCOMPARE(sink.shown.size(), 1);
        QVERIFY(sink.shown[0].startsWith(QStringLiteral("The Color Picker's Zoom Window allows you to magnify")));
        QVERIFY(sink.shown[0].endsWith(QStringLiteral("controls the level of magnification.")));
        QCOMPARE(sink.shown[0].count(QStringLiteral("\n\n")), 3);
    }
};

PICTARON_WINDOW_TEST_MAIN(ZoomTest)
#include "zoom_test.moc"
