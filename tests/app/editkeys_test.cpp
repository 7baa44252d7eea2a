// The Edit menu's keys while the menu is hidden, as it is until Ctrl+F6:
// Ctrl+V pastes a picture into the source and Ctrl+C copies the result,
// unless a text field has the focus, which takes its own copy and paste.
#include "app/mainwindow.h"
#include "components/qtbridge.h"
#include "app/optionpages.h"
#include "windowtesting.h"

#include "../bitmapimage.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::testing;

class EditKeysTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { window_.reset(); }
    void ctrlVPastesAPictureIntoTheSource();
    void aFocusedTextFieldKeepsItsOwnPaste();
    void ctrlCCopiesTheResult();

private:
    QTemporaryDir folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

namespace {

QImage Filled(QSize size, Qt::GlobalColor colour)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

bool EditMenuShown(const TfrmPictaron& window)
{
    for (QAction* menu : window.menuBar()->actions())
        if (menu->text() == QStringLiteral("&Edit"))
            return menu->isVisible();
    return false;
}

} // namespace

void EditKeysTest::init()
{
    window_ = std::make_unique<TfrmPictaron>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QVERIFY(!EditMenuShown(*window_));
}

void EditKeysTest::ctrlVPastesAPictureIntoTheSource()
{
    window_->OpenPicture(WritePicture(folder_, QStringLiteral("a.png"), QSize(64, 48)));
    QGuiApplication::clipboard()->setImage(Filled(QSize(30, 20), Qt::darkBlue));
    PressKey(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(window_->Original().size(), Size(30, 20));
    QCOMPARE(ImageView(window_->Original()).pixelColor(3, 3), QColor(Qt::darkBlue));
    QVERIFY(!EditMenuShown(*window_));
}

void EditKeysTest::aFocusedTextFieldKeepsItsOwnPaste()
{
    window_->OpenPicture(WritePicture(folder_, QStringLiteral("b.png"), QSize(64, 48)));
    const QImage before = ImageView(window_->Original());
    QLineEdit* caption = window_->Options().txtCaption;
    ShowPageOf(caption);
    ClickAt(window_->Options().chkAddCaption);
    ClickAt(caption);
    QVERIFY(caption->hasFocus());
    QGuiApplication::clipboard()->setText(QStringLiteral("Sale"));
    PressKey(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(caption->text(), QStringLiteral("Sale"));
    QCOMPARE(window_->Original(), before);
}

void EditKeysTest::ctrlCCopiesTheResult()
{
    window_->OpenPicture(WritePicture(folder_, QStringLiteral("c.png"), QSize(64, 48)));
    QVERIFY(RunAndWait(*window_));
    QGuiApplication::clipboard()->setText(QStringLiteral("not a picture"));
    PressKey(Qt::Key_C, Qt::ControlModifier);
    const QImage copied = QGuiApplication::clipboard()->image();
    QCOMPARE(copied.size(), ToQSize(window_->ResultPicture().size()));
    QCOMPARE(copied.convertToFormat(QImage::Format_RGB32),
             ImageView(window_->ResultPicture()).convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(EditKeysTest)
#include "editkeys_test.moc"
