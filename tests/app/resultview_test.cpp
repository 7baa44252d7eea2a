// The result view: zoom levels drawn from the unscaled result, and picking the
// transparent colour with the mouse.
#include "app/mainwindow.h"
#include "app/pictureview.h"
#include "colour/orvacolourpicker.h"
#include "windowtesting.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace pictaron;
using pictaron::testing::ChooseZoom;
using pictaron::testing::MessageBoxCatcher;
using pictaron::testing::OpenAndRunGif;
using pictaron::testing::RunAndWait;
using pictaron::testing::WritePicture;

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
        QCOMPARE(window_->ResultPicture().size(), size);
    }
    void Zoom(const QString& text) { ChooseZoom(*window_, text); }
    PictureView* Dest() { return window_->findChild<PictureView*>(QStringLiteral("imgDest")); }
    static TColor ColourOf(QRgb rgb) { return qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16; }
    static void Send(QWidget* view, QEvent::Type type, QPoint at, Qt::MouseButton button)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, QPointF(at), view->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    }

    QTemporaryDir folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

void ResultViewTest::init()
{
    window_ = std::make_unique<TfrmPictaron>();
}

void ResultViewTest::zoomIsDrawnFromTheUnscaledResult()
{
    RunGif(QSize(101, 101));
    const QImage result = window_->ResultPicture().convertToFormat(QImage::Format_RGB32);

    Zoom(QStringLiteral("50%"));  // 50.5 rounds to even
    QCOMPARE(Dest()->Picture().size(), QSize(50, 50));

    // From 50% on to 1000%: every shown pixel repeats a pixel of the result,
    // not of the smaller picture shown before.
    Zoom(QStringLiteral("1000%"));
    const QImage shown = Dest()->Picture().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(1010, 1010));
    for (const QPoint at : {QPoint(0, 0), QPoint(9, 9), QPoint(10, 0), QPoint(555, 37), QPoint(1009, 1009)})
        QCOMPARE(shown.pixel(at), result.pixel(at.x() / 10, at.y() / 10));
    QCOMPARE(window_->ResultPicture().size(), QSize(101, 101));
}

void ResultViewTest::oneClickPicksTheShownColourAndEndsPicking()
{
    RunGif(QSize(120, 90));
    const OptionPages& opt = window_->Options();
    const QImage result = window_->ResultPicture();
    auto* timer = window_->findChild<QTimer*>(QStringLiteral("tmrAutoSave"));
    auto* autoApply = window_->findChild<QAction*>(QStringLiteral("mnuOptionsAutoApply"));
    if (!autoApply->isChecked())
        autoApply->trigger();  // so that a change of the options would start the timer
    opt.chkTransparent->setChecked(true);
    timer->stop();
    Zoom(QStringLiteral("200%"));

    QVERIFY(opt.btnTransparentColourPicker->isEnabled());
    opt.btnTransparentColourPicker->click();
    QVERIFY(opt.btnTransparentColourPicker->isChecked());
    QCOMPARE(Dest()->cursor().shape(), Qt::PointingHandCursor);

    // Moving previews the colour of the enlarged pixel, which is the result's.
    Send(Dest(), QEvent::MouseMove, QPoint(31, 21), Qt::NoButton);
    QCOMPARE(opt.ocpTransparentColour->Color(), ColourOf(result.pixel(15, 10)));
    Send(Dest(), QEvent::MouseMove, QPoint(200, 150), Qt::NoButton);
    QCOMPARE(opt.ocpTransparentColour->Color(), ColourOf(result.pixel(100, 75)));

    // One click picks and ends picking; later moves change nothing.
    Send(Dest(), QEvent::MouseButtonPress, QPoint(60, 40), Qt::LeftButton);
    Send(Dest(), QEvent::MouseButtonRelease, QPoint(60, 40), Qt::LeftButton);
    const TColor picked = ColourOf(result.pixel(30, 20));
    QCOMPARE(opt.ocpTransparentColour->Color(), picked);
    QVERIFY(!opt.btnTransparentColourPicker->isChecked());
    QCOMPARE(Dest()->cursor().shape(), Qt::ArrowCursor);
    Send(Dest(), QEvent::MouseMove, QPoint(2, 2), Qt::NoButton);
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
    QCOMPARE(Dest()->Picture().size(), QSize(4000, 3600));

    // 20000 by 18000 pixels would take a gigabyte: refused, and the view and
    // the list stay at 200%.
    MessageBoxCatcher boxes;
    Zoom(QStringLiteral("1000%"));
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("There is not enough memory for a picture of 20000 by 18000 pixels.")});
    QCOMPARE(Dest()->Picture().size(), QSize(4000, 3600));
    QCOMPARE(window_->findChild<QComboBox*>(QStringLiteral("cmbZoom"))->currentText(), QStringLiteral("200%"));
    Zoom(QStringLiteral("50%"));
    QCOMPARE(Dest()->Picture().size(), QSize(1000, 900));
}

QTEST_MAIN(ResultViewTest)
#include "resultview_test.moc"
