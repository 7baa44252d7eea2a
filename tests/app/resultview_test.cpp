// The result view: zoom levels drawn from the unscaled result, and picking the
// transparent colour with the mouse.
#include "app/mainwindow.h"
#include "components/qtbridge.h"
#include "app/pictureview.h"
#include "colour/orvacolourpicker.h"
#include "windowtesting.h"

#include "../bitmapimage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::testing;

class ResultViewTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void zoomIsDrawnFromTheUnscaledResult();
    void oneClickPicksTheShownColourAndEndsPicking();
    void aZoomBeyondMemorySaysSoAndKeepsTheView();

private:
    void RunGif(QSize size)
    {
        QVERIFY(OpenAndRunGif(*window_, folder_, size));
        QCOMPARE(ToQSize(window_->ResultPicture().size()), size);
    }
    void Zoom(const QString& text) { ChooseZoom(*window_, text); }
    PictureView* Dest() { return window_->findChild<PictureView*>(QStringLiteral("imgDest")); }
    static TColor ColourOf(QRgb rgb) { return qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16; }

    QTemporaryDir folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

void ResultViewTest::init()
{
    window_ = std::make_unique<TfrmPictaron>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void ResultViewTest::zoomIsDrawnFromTheUnscaledResult()
{
    RunGif(QSize(101, 101));
    const QImage result = ImageView(window_->ResultPicture()).convertToFormat(QImage::Format_RGB32);

    Zoom(QStringLiteral("50%"));  // 50.5 rounds to even
    QCOMPARE(Dest()->Picture().size(), Size(50, 50));

    // From 50% on to 1000%: every shown pixel repeats a pixel of the result,
    // not of the smaller picture shown before.
    Zoom(QStringLiteral("1000%"));
    const QImage shown = ImageView(Dest()->Picture()).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(1010, 1010));
    for (const QPoint at : {QPoint(0, 0), QPoint(9, 9), QPoint(10, 0), QPoint(555, 37), QPoint(1009, 1009)})
        QCOMPARE(shown.pixel(at), result.pixel(at.x() / 10, at.y() / 10));
    QCOMPARE(window_->ResultPicture().size(), Size(101, 101));
}

void ResultViewTest::oneClickPicksTheShownColourAndEndsPicking()
{
    RunGif(QSize(120, 90));
    const OptionPages& opt = window_->Options();
    const QImage result = ImageView(window_->ResultPicture());
    auto* timer = window_->findChild<QTimer*>(QStringLiteral("tmrAutoSave"));
    auto* autoApply = window_->findChild<QAction*>(QStringLiteral("mnuOptionsAutoApply"));
    if (!autoApply->isChecked())
        QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsAutoApply"));  // so that a change of the options would start the timer
    ShowPageOf(opt.chkTransparent);
    ClickAt(opt.chkTransparent);
    QVERIFY(opt.chkTransparent->isChecked());
    timer->stop();
    Zoom(QStringLiteral("200%"));

    QVERIFY(opt.btnTransparentColourPicker->isEnabled());
    ClickAt(opt.btnTransparentColourPicker);
    QVERIFY(opt.btnTransparentColourPicker->isChecked());
    QCOMPARE(Dest()->cursor().shape(), Qt::PointingHandCursor);

    // Moving previews the colour of the enlarged pixel, which is the result's.
    MoveTo(Dest(), QPoint(31, 21));
    QCOMPARE(opt.ocpTransparentColour->Color(), ColourOf(result.pixel(15, 10)));
    MoveTo(Dest(), QPoint(200, 150));
    QCOMPARE(opt.ocpTransparentColour->Color(), ColourOf(result.pixel(100, 75)));

    // One click picks and ends picking; later moves change nothing.
    ClickAt(Dest(), QPoint(60, 40));
    const TColor picked = ColourOf(result.pixel(30, 20));
    QCOMPARE(opt.ocpTransparentColour->Color(), picked);
    QVERIFY(!opt.btnTransparentColourPicker->isChecked());
    QCOMPARE(Dest()->cursor().shape(), Qt::ArrowCursor);
    MoveTo(Dest(), QPoint(2, 2));
    QCOMPARE(opt.ocpTransparentColour->Color(), picked);
    QVERIFY(picked != ColourOf(result.pixel(1, 1)));  // the ramp makes that move a real check

    // Picking is not a change of the options: no run is scheduled.
    QVERIFY(!timer->isActive());
}

void ResultViewTest::aZoomBeyondMemorySaysSoAndKeepsTheView()
{
    window_->OpenPicture(WritePicture(folder_, QStringLiteral("wide.png"), QSize(2000, 1800)));
    QVERIFY(RunAndWait(*window_));
    Zoom(QStringLiteral("200%"));
    QCOMPARE(Dest()->Picture().size(), Size(4000, 3600));

    // 20000 by 18000 pixels would take a gigabyte: refused, and the view and
    // the list stay at 200%.
    MessageBoxCatcher boxes;
    Zoom(QStringLiteral("1000%"));
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("There is not enough memory for a picture of 20000 by 18000 pixels.")});
    QCOMPARE(Dest()->Picture().size(), Size(4000, 3600));
    QCOMPARE(window_->findChild<QComboBox*>(QStringLiteral("cmbZoom"))->currentText(), QStringLiteral("200%"));
    Zoom(QStringLiteral("50%"));
    QCOMPARE(Dest()->Picture().size(), Size(1000, 900));
}

QTEST_MAIN(ResultViewTest)
#include "resultview_test.moc"
