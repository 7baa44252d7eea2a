// The crop frame on the source view, driven with the mouse.
#include "app/mainwindow.h"
#include "components/qimagebridge.h"
#include "app/pictureview.h"
#include "windowtesting.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::testing;

class CropViewTest : public QObject {
    Q_OBJECT
private slots:
    void frameToggleLeavesThePictureAsItWas();
    void draggingANewRectangleSetsTheCrop();
    void theFrameOnPicturesSmallerThanItLeavesNothingBehind();
    void aPastedPictureShowsTheFrameWhileCropIsChecked();

private:
    QTemporaryDir folder_;
};

namespace {

void ShowWindow(TfrmPictaron& window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

} // namespace

void CropViewTest::frameToggleLeavesThePictureAsItWas()
{
    TfrmPictaron window;
    ShowWindow(window);
    window.OpenPicture(WritePicture(folder_, QStringLiteral("a.png"), QSize(200, 150)));
    auto* view = window.findChild<PictureView*>(QStringLiteral("imgSource"));
    auto* crop = window.findChild<QCheckBox*>(QStringLiteral("chkCrop"));
    QVERIFY(view && crop);
    const Bitmap before = view->Picture().copy();

    ShowPageOf(crop);
    ClickAt(crop);
    QVERIFY(crop->isChecked());
    QVERIFY(view->Picture() != before);          // the frame is drawn into the view
    QCOMPARE(window.Original(), before);         // never into the picture a run starts from
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblCrop"))->text(), QStringLiteral("5,5 to 50,50"));
    // The space bar toggles the focused box as well as a click.
    QVERIFY(crop->hasFocus());
    PressKey(Qt::Key_Space);
    QVERIFY(!crop->isChecked());
    QCOMPARE(view->Picture(), before);
}

void CropViewTest::draggingANewRectangleSetsTheCrop()
{
    TfrmPictaron window;
    ShowWindow(window);
    window.OpenPicture(WritePicture(folder_, QStringLiteral("b.png"), QSize(200, 150)));
    auto* view = window.findChild<PictureView*>(QStringLiteral("imgSource"));
    auto* crop = window.findChild<QCheckBox*>(QStringLiteral("chkCrop"));
    ShowPageOf(crop);
    ClickAt(crop);
    const Bitmap clean = window.Original();

    // Outside the first frame: a new rectangle, dragged up and left of its
    // start, then on from the normalised corner (90,70) it became.
    MoveTo(view, QPoint(150, 120));
    PressAt(view, QPoint(150, 120));
    MoveTo(view, QPoint(90, 70));
    MoveTo(view, QPoint(100, 80));
    ReleaseAt(view, QPoint(100, 80));

    const ConversionSettings settings = window.GatherSettings();
    QCOMPARE(ToQPoint(settings.cropTopLeft), QPoint(90, 70));
    QCOMPARE(ToQPoint(settings.cropBottomRight), QPoint(100, 80));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblCrop2"))->text(), QStringLiteral("W:10 H:10"));

    // Exactly one frame stays drawn: unchecking gives back the clean picture.
    ClickAt(crop);
    QVERIFY(!crop->isChecked());
    QCOMPARE(view->Picture(), clean);
}

void CropViewTest::theFrameOnPicturesSmallerThanItLeavesNothingBehind()
{
    // The first frame reaches from 5,5 to 50,50: pictures narrower, lower or
    // both, down to a single pixel.
    TfrmPictaron window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* view = window.findChild<PictureView*>(QStringLiteral("imgSource"));
    auto* crop = window.findChild<QCheckBox*>(QStringLiteral("chkCrop"));
    ShowPageOf(crop);
    for (const QSize size : {QSize(30, 200), QSize(200, 20), QSize(3, 2), QSize(1, 1), QSize(7, 60)}) {
        window.OpenPicture(WritePicture(folder_, QStringLiteral("small.png"), size));
        const Bitmap before = view->Picture().copy();
        for (int toggle = 0; toggle < 3; ++toggle) {
            ClickAt(crop);
            QVERIFY(crop->isChecked());
            QVERIFY(size.width() < 5 || size.height() < 5 || view->Picture() != before);
            ClickAt(crop);
            QVERIFY(!crop->isChecked());
            QCOMPARE(view->Picture(), before);
        }
    }
}

void CropViewTest::aPastedPictureShowsTheFrameWhileCropIsChecked()
{
    TfrmPictaron window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.OpenPicture(WritePicture(folder_, QStringLiteral("c.png"), QSize(120, 90)));
    auto* view = window.findChild<PictureView*>(QStringLiteral("imgSource"));
    auto* crop = window.findChild<QCheckBox*>(QStringLiteral("chkCrop"));
    ShowPageOf(crop);
    ClickAt(crop);
    QVERIFY(crop->isChecked());

    QImage pasted(100, 80, QImage::Format_RGB32);
    pasted.fill(Qt::darkGreen);
    QGuiApplication::clipboard()->setImage(pasted);
    PressKey(Qt::Key_V, Qt::ControlModifier);
    const Bitmap clean = window.Original();
    QCOMPARE(clean.size(), Size(100, 80));
    QVERIFY(view->Picture() != clean);  // the frame, as Crop is checked
    ClickAt(crop);
    QVERIFY(!crop->isChecked());
    QCOMPARE(view->Picture(), clean);   // and gone with it
}

QTEST_MAIN(CropViewTest)
#include "cropview_test.moc"
