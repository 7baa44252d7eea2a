// Saving as a person does it, with the tool bar, the keys and the dialogs:
// what lands in a file is the picture the report names, and no file the user
// did not name there and then is replaced without asking.
#include "app/appsettings.h"
#include "app/mainwindow.h"
#include "app/pictureview.h"
#include "app/workfile.h"
#include "tests/filetesting.h"
#include "windowtesting.h"

#include "components/orvaedit.h"

#include "../bitmapimage.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::testing;

class SaveSafetyTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void aNewOriginalWithholdsSaveUntilItsOwnRun();
    void aFormatSwitchWithholdsSaveUntilARunOfThatFormat();
    void saveIsWithheldWhileARunWorks();
    void aNameFromAFormatSwitchNeverReplacesTheOriginalUnasked();
    void anUnsavedResultIsNotDroppedUnasked();

private:
    QToolButton* Button(const char* name) const { return window_->findChild<QToolButton*>(QLatin1String(name)); }
    bool SaveOffered() const { return Button("btnSave")->isEnabled() && Button("btnSaveAs")->isEnabled(); }
    // "Apply Changes" clicked; true once the run has ended.
    bool Apply()
    {
        QSignalSpy finished(&window_->Runs(), &RunController::Finished);
        ClickAt(Button("btnGo"));
        // A small picture's run may end while the click is handled.
        return !finished.isEmpty() || finished.wait(30000);
    }
    void Choose(QRadioButton* format) { ClickAt(format); }
    QString Path(const QString& name) const { return QDir(folder_->path()).filePath(name); }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

void SaveSafetyTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    OpenProgramSettings()->remove(kConfirmDiscardSetting);  // one test switches it off
    QDir().rmdir(WorkFilePath());  // a folder in its place, should a failed-run test have stopped short
    window_ = std::make_unique<TfrmPictaron>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void SaveSafetyTest::cleanup()
{
    window_.reset();
}

void SaveSafetyTest::aNewOriginalWithholdsSaveUntilItsOwnRun()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("a.png"), QSize(64, 48)));
    QVERIFY(!SaveOffered());
    QVERIFY(Apply());
    QVERIFY(SaveOffered());

    // Picture B replaces A: A's result is no longer there to save, by button
    // or by key, until B has its own.
    {
        MessageBoxCatcher discard(QMessageBox::Discard);
        window_->OpenPicture(WritePicture(*folder_, QStringLiteral("b.png"), QSize(30, 20)));
    }
    QVERIFY(!SaveOffered());
    PressKey(Qt::Key_S, Qt::ControlModifier);
    PressKey(Qt::Key_A, Qt::ControlModifier);
    QTest::qWait(50);
    QVERIFY(!QApplication::activeModalWidget());

    QVERIFY(Apply());
    QVERIFY(SaveOffered());
    TypeIntoNextFileDialog(Path(QStringLiteral("b-result")));
    ClickAt(Button("btnSaveAs"));
    const QString saved = Path(QStringLiteral("b-result.jpg"));
    QTRY_VERIFY(QFileInfo::exists(saved));
    // The picture of B, as libjpeg decodes the file, and the report names it.
    const QImage read(saved);
    QCOMPARE(read.size(), QSize(30, 20));
    QCOMPARE(QFileInfo(saved).size(), window_->ResultSize());
    QVERIFY(!window_->Changed());
    QCOMPARE(window_->ResultFileName(), QDir::toNativeSeparators(saved));

    // A pasted original is a new original too.
    QImage clip(12, 9, QImage::Format_RGB32);
    clip.fill(Qt::darkCyan);
    QGuiApplication::clipboard()->setImage(clip);
    PressKey(Qt::Key_F6, Qt::ControlModifier);  // the Edit menu shown
    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Edit"), "mnuEditPaste"));
    QCOMPARE(window_->Original().size(), Size(12, 9));
    QVERIFY(!SaveOffered());
}

void SaveSafetyTest::aFormatSwitchWithholdsSaveUntilARunOfThatFormat()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("ramp.png"), QSize(40, 30)));
    QVERIFY(Apply());  // a JPEG
    Choose(window_->Options().rbGIF);
    QVERIFY(window_->Options().rbGIF->isChecked());
    QVERIFY(!SaveOffered());
    // Back to the format of the result shown: it may be saved again.
    Choose(window_->Options().rbJPEG);
    QVERIFY(SaveOffered());

    Choose(window_->Options().rbGIF);
    QVERIFY(Apply());
    QVERIFY(SaveOffered());
    TypeIntoNextFileDialog(Path(QStringLiteral("ramp-result")));
    PressKey(Qt::Key_S, Qt::ControlModifier);  // no name yet: Save asks for one
    const QString saved = Path(QStringLiteral("ramp-result.gif"));
    QTRY_VERIFY(QFileInfo::exists(saved));
    QCOMPARE(QImage(saved).convertToFormat(QImage::Format_RGB32),
             ImageView(window_->ResultPicture()).convertToFormat(QImage::Format_RGB32));
}

void SaveSafetyTest::saveIsWithheldWhileARunWorks()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("big.png"), QSize(1600, 1200)));
    QVERIFY(Apply());
    window_->SetResultFileName(Path(QStringLiteral("kept.jpg")));
    PressKey(Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(QFileInfo::exists(Path(QStringLiteral("kept.jpg"))));
    const QByteArray savedBefore = FileContents(Path(QStringLiteral("kept.jpg")));

    // A slow run: resized up with the widest filter.
    QVERIFY(!window_->Options().chkResize->isChecked());
    ClickOnPage(window_->Options().chkResize);
    TypeInto(window_->Options().txtResizeWidth, QStringLiteral("4000"));
    TypeInto(window_->Options().txtResizeHeight, QStringLiteral("3000"));
    const ConversionSettings resized = window_->GatherSettings();
    QVERIFY(resized.resize && resized.resizeWidth == 4000 && resized.resizeHeight == 3000);
    QSignalSpy finished(&window_->Runs(), &RunController::Finished);
    ClickAt(Button("btnGo"));
    QVERIFY(window_->Runs().IsRunning());
    QVERIFY(!SaveOffered());
    PressKey(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(FileContents(Path(QStringLiteral("kept.jpg"))), savedBefore);
    QVERIFY(!finished.isEmpty() || finished.wait(60000));

    QVERIFY(SaveOffered());
    QVERIFY(window_->Changed());
    PressKey(Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(!window_->Changed());
    QCOMPARE(QImage(Path(QStringLiteral("kept.jpg"))).size(), QSize(4000, 3000));
}

void SaveSafetyTest::aNameFromAFormatSwitchNeverReplacesTheOriginalUnasked()
{
    // photo.jpg, saved as photo.gif, then switched back to JPEG: the result's
    // name becomes photo.jpg, which is the original.
    const QString original = Path(QStringLiteral("photo.jpg"));
    QImage photo(50, 40, QImage::Format_RGB32);
    photo.fill(Qt::darkRed);
    QVERIFY(photo.save(original, "JPEG"));
    const QByteArray originalBytes = FileContents(original);
    window_->OpenPicture(original);
    Choose(window_->Options().rbGIF);
    QVERIFY(Apply());
    TypeIntoNextFileDialog(Path(QStringLiteral("photo")));
    ClickAt(Button("btnSaveAs"));
    QTRY_VERIFY(QFileInfo::exists(Path(QStringLiteral("photo.gif"))));

    Choose(window_->Options().rbJPEG);
    QCOMPARE(window_->ResultFileName(), QDir::toNativeSeparators(original));
    QVERIFY(Apply());
    {
        MessageBoxCatcher no(QMessageBox::No);
        PressKey(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(no.texts, QStringList{QStringLiteral("%1 already exists.  Do you want to replace it?")
                                           .arg(QDir::toNativeSeparators(original))});
    }
    QCOMPARE(FileContents(original), originalBytes);
    QVERIFY(window_->Changed());

    {
        MessageBoxCatcher yes(QMessageBox::Yes);
        PressKey(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(yes.texts.size(), 1);
    }
    QVERIFY(!window_->Changed());
    QCOMPARE(QFileInfo(original).size(), window_->ResultSize());
    QVERIFY(FileContents(original) != originalBytes);
    // The original stays the original: the next Save over it asks again.
    QVERIFY(Apply());
    MessageBoxCatcher again(QMessageBox::No);
    PressKey(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(again.texts.size(), 1);
}

void SaveSafetyTest::anUnsavedResultIsNotDroppedUnasked()
{
    const QString first = WritePicture(*folder_, QStringLiteral("first.png"), QSize(32, 24));
    const QString second = WritePicture(*folder_, QStringLiteral("second.png"), QSize(16, 12));
    window_->OpenPicture(first);
    QVERIFY(Apply());

    // Kept: a request from a second start, and closing the window.
    {
        MessageBoxCatcher keep(QMessageBox::Cancel);
        window_->PICTARONExecuteMacro({second});
        QCOMPARE(window_->Original().size(), Size(32, 24));
        window_->close();
        QVERIFY(window_->isVisible());
        QCOMPARE(keep.texts.size(), 2);
    }
    QVERIFY(SaveOffered());

    // Saved first, then replaced: the question's Save goes through Save As.
    {
        MessageBoxCatcher save(QMessageBox::Save);
        TypeIntoNextFileDialog(Path(QStringLiteral("kept-first")));
        window_->PICTARONExecuteMacro({second});
    }
    QCOMPARE(QImage(Path(QStringLiteral("kept-first.jpg"))).size(), QSize(32, 24));
    QCOMPARE(window_->Original().size(), Size(16, 12));

    // Switched off in the Options menu, the question no longer comes.
    QVERIFY(Apply());
    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsConfirmDiscard"));
    MessageBoxCatcher none;
    window_->OpenPicture(first);
    QCOMPARE(window_->Original().size(), Size(32, 24));
    window_->close();
    QVERIFY(!window_->isVisible());
    QVERIFY(none.texts.isEmpty());
}

QTEST_MAIN(SaveSafetyTest)
#include "savesafety_test.moc"
