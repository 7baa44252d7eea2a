// The crop frame on the source view, driven with the mouse.
#include "app/mainwindow.h"
#include "app/pictureview.h"
#include "windowtesting.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QtTest>

using namespace pictaron;
using pictaron::testing::WritePicture;

class CropViewTest : public QObject {
    Q_OBJECT
private slots:
    void frameToggleLeavesThePictureAsItWas();
    void draggingANewRectangleSetsTheCrop();

private:
    static void Send(QWidget* view, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(at), view->mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    }
    QTemporaryDir folder_;
};

void CropViewTest::frameToggleLeavesThePictureAsItWas()
{
    TfrmPictaron window;
    window.OpenPicture(WritePicture(folder_, QStringLiteral("a.png"), QSize(200, 150)));
    auto* view = window.findChild<PictureView*>(QStringLiteral("imgSource"));
    auto* crop = window.findChild<QCheckBox*>(QStringLiteral("chkCrop"));
    QVERIFY(view && crop);
    const QImage before = view->Picture().copy();

    crop->setChecked(true);
    QVERIFY(view->Picture() != before);          // the frame is drawn into the view
    QCOMPARE(window.Original(), before);         // never into the picture a run starts from
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblCrop"))->text(), QStringLiteral("5,5 to 50,50"));
    crop->setChecked(false);
    QCOMPARE(view->Picture(), before);
}

void CropViewTest::draggingANewRectangleSetsTheCrop()
{
    TfrmPictaron window;
    window.OpenPicture(WritePicture(folder_, QStringLiteral("b.png"), QSize(200, 150)));
    auto* view = window.findChild<PictureView*>(QStringLiteral("imgSource"));
    window.findChild<QCheckBox*>(QStringLiteral("chkCrop"))->setChecked(true);
    const QImage clean = window.Original();

    // Outside the first frame: a new rectangle, dragged up and left of its
    // start, then on from the normalised corner (90,70) it became.
    Send(view, QEvent::MouseMove, QPoint(150, 120), Qt::NoButton);
    Send(view, QEvent::MouseButtonPress, QPoint(150, 120), Qt::LeftButton);
    Send(view, QEvent::MouseMove, QPoint(90, 70), Qt::LeftButton);
    Send(view, QEvent::MouseMove, QPoint(100, 80), Qt::LeftButton);
    Send(view, QEvent::MouseButtonRelease, QPoint(100, 80), Qt::NoButton);

    const ConversionSettings settings = window.GatherSettings();
    QCOMPARE(settings.cropTopLeft, QPoint(90, 70));
    QCOMPARE(settings.cropBottomRight, QPoint(100, 80));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblCrop2"))->text(), QStringLiteral("W:10 H:10"));

    // Exactly one frame stays drawn: unchecking gives back the clean picture.
    window.findChild<QCheckBox*>(QStringLiteral("chkCrop"))->setChecked(false);
    QCOMPARE(view->Picture(), clean);
}

QTEST_MAIN(CropViewTest)
#include "cropview_test.moc"
