// The zoom window over a made-up screen whose every pixel tells where it is.
#include "preview/zoom.h"
#include "windowtestsupport.h"
#include "windowtesting.h"

#include <QAction>
#include <QMouseEvent>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>

using namespace pictaron;
using namespace pictaron::testing;

namespace {

void SendMouse(QWidget* view, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held)
{
    const QPoint local = view->mapFromGlobal(global);
    QMouseEvent event(type, local, global, button, held, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
}

} // namespace

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
        if (!QTest::qWaitForWindowExposed(zoom.get()))
            return nullptr;
        return zoom;
    }

    QPoint ViewPointFor(TfrmZoom& zoom, QPoint global) { return zoom.View()->mapFromGlobal(global); }

private slots:
    void zoomOneShowsTheAreaAroundThePointer()
    {
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        QCOMPARE(zoom->windowTitle(), QStringLiteral("Zoom"));
        QCOMPARE(zoom->ZoomSlider()->value(), 2);
        zoom->ZoomSlider()->setValue(1);
        const QSize view = zoom->ViewSize();
        const QPoint p = ViewPointFor(*zoom, QPoint(600, 400));
        zoom->Magnify(p.x(), p.y(), true);
        QVERIFY(zoom->Magnified());
        const QRect source(600 - view.width() / 2, 400 - view.height() / 2, view.width(), view.height());
        QCOMPARE(zoom->FocusRect(), source);
        QVERIFY(zoom->FocusShown());
        // The first drawn pixel is the source's second, the border being left for the frame.
        QCOMPARE(zoom->Canvas().pixel(2, 2), FakeScreenRgb(source.left() + 1, source.top() + 1));
        QCOMPARE(zoom->Canvas().pixel(view.width(), view.height()),
                 FakeScreenRgb(source.right() - 1, source.bottom() - 1));
        zoom->ShowFocus(false);
        QVERIFY(!zoom->FocusShown());
    }

    void zoomSixteenShowsASixteenth()
    {
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        zoom->ZoomSlider()->setValue(16);
        const QSize view = zoom->ViewSize();
        const QPoint p = ViewPointFor(*zoom, QPoint(700, 500));
        zoom->Magnify(p.x(), p.y(), false);
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
        QPoint p = ViewPointFor(*zoom, QPoint(1279, 799));
        zoom->Magnify(p.x(), p.y(), false);
        QCOMPARE(zoom->FocusRect(), QRect(1280 - w, 800 - h, w, h));
        p = ViewPointFor(*zoom, QPoint(1279, 0));
        zoom->Magnify(p.x(), p.y(), false);
        QCOMPARE(zoom->FocusRect(), QRect(1280 - w, 0, w, h));
        p = ViewPointFor(*zoom, QPoint(0, 799));
        zoom->Magnify(p.x(), p.y(), false);
        QCOMPARE(zoom->FocusRect(), QRect(0, 800 - h, w, h));
    }

    void neverMagnifiesItself()
    {
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        const QPoint p = ViewPointFor(*zoom, QPoint(600, 400));
        zoom->Magnify(p.x(), p.y(), false);
        const QImage before = zoom->Canvas().copy();
        const QRect rect = zoom->FocusRect();
        zoom->Magnify(30, 30, true); // over the window itself
        QCOMPARE(zoom->FocusRect(), rect);
        QCOMPARE(zoom->Canvas(), before);
        QVERIFY(!zoom->FocusShown());
    }

    void aRefusedScreenIsSaidSo()
    {
        FakeScreen screen;
        screen.refuse = true;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        const QPoint p = ViewPointFor(*zoom, QPoint(600, 400));
        zoom->Magnify(p.x(), p.y(), true);
        QVERIFY(!zoom->Magnified());
        QVERIFY(!zoom->FocusShown());
        const QRgb text = zoom->palette().color(QPalette::WindowText).rgb();
        bool written = false;
        for (int y = 0; y < zoom->Canvas().height() && !written; ++y)
            for (int x = 0; x < zoom->Canvas().width() && !written; ++x)
                written = zoom->Canvas().pixel(x, y) == text;
        QVERIFY(written);
        // No preview of the window's own grey.
        SendMouse(zoom->View(), QEvent::MouseMove, zoom->View()->mapToGlobal(QPoint(40, 40)), Qt::NoButton, {});
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
        QTest::keyClick(zoom.get(), Qt::Key_Escape);
        QVERIFY(!zoom->isVisible());
        QVERIFY(previewed_.isEmpty());
    }

    void howToUseShowsTheInstructions()
    {
        RecordingSink sink;
        FakeScreen screen;
        auto zoom = ShowZoom();
        QVERIFY(zoom);
        zoom->findChild<QAction*>(QStringLiteral("mnuHowToUse"))->trigger();
        QCOMPARE(sink.shown.size(), 1);
        QVERIFY(sink.shown[0].startsWith(QStringLiteral("The Color Picker's Zoom Window allows you to magnify")));
        QVERIFY(sink.shown[0].endsWith(QStringLiteral("controls the level of magnification.")));
        QCOMPARE(sink.shown[0].count(QStringLiteral("\n\n")), 3);
    }
};

PICTARON_WINDOW_TEST_MAIN(ZoomTest)
#include "zoom_test.moc"
