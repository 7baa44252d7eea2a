// The main window: enabling rules, the auto-apply timer, the run, the report
// texts, layout after loading and the settings it reads.
#include "app/appsettings.h"
#include "app/downloadtimelist.h"
#include "app/infolabel.h"
#include "app/layoutrules.h"
#include "app/mainwindow.h"
#include "app/report.h"
#include "app/workfile.h"
#include "colour/orvacolourpicker.h"
#include "components/orvaedit.h"
#include "components/qtbridge.h"
#include "components/recentfilesmenu.h"
#include "windowtesting.h"

#include <QAction>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::testing;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void aWideWindowKeepsTheFieldsOfAFrameTogether();

    void startsWithTheWrittenDefaults();
    void groupsFollowTheirCheckBoxes();
    void buttonizeSelectsTopLeftOnce();
    void addCaptionSelectsCenterOnlyWhenNone();
    void resizeFillsEmptySizesFromTheSource();
    void trackBarsAndEditsMirrorEachOther();
    void formatChoiceSetsPanelsFilterExtensionAndInterval();
    void keyFilterOfTheWindowsEdits();
    void tabGoesThroughTheFieldsAsTheyStand();
    void onlyTheListedChangesRestartTheTimer();
    void aBurstOfChangesGivesOneRun();
    void applyWithoutPictureDoesNothing();
    void escapeCancelsSilently();
    void successfulRunEnablesSavingAndShowsTheReport();
    void failedRunKeepsResultReportAndSaveState();
    void aResizeBeyondMemorySaysSoAndKeepsEverything();
    void openReportsSourceAndSelects28k();
    void openFailureKeepsThePicture();
    void resultReportTexts();
    void pastedOriginalHasNoShare();
    void longNamesAreShortenedInTheCaptionOnly();
    void layoutAfterLoadRules();
    void layoutAfterLoadInTheWindow();
    void ctrlF6RevealsTheEditMenu();
    void corruptSettingsGiveDefaults();
    void recentFilesAreKeptAcrossSessions();

private:
    std::unique_ptr<TfrmPictaron> NewWindow();
    QAction* Action(const char* name) { return window_->findChild<QAction*>(QString::fromLatin1(name)); }
    QToolButton* Button(const char* name) { return window_->findChild<QToolButton*>(QString::fromLatin1(name)); }
    // Options › Automatically apply changes, clicked in the menu.
    void ToggleAutoApply() { QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsAutoApply")); }
    const OptionPages& O() { return window_->Options(); }
    void OpenAndRun();

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

std::unique_ptr<TfrmPictaron> MainWindowTest::NewWindow()
{
    auto window = std::make_unique<TfrmPictaron>();
    window->resize(1000, 700);
    window->show();
    window->activateWindow();
    return window;
}

void MainWindowTest::init()
{
    OpenProgramSettings()->clear();
    folder_ = std::make_unique<QTemporaryDir>();
    window_ = NewWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void MainWindowTest::cleanup()
{
    window_.reset();
    QDir().rmdir(WorkFilePath());  // left by the failed-run test as a folder
}

void MainWindowTest::OpenAndRun()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("run.png"), QSize(64, 48)));
    QVERIFY(RunAndWait(*window_));
}

void MainWindowTest::startsWithTheWrittenDefaults()
{
    QCOMPARE(window_->windowTitle(), QStringLiteral("Pictaron"));
    QVERIFY(O().rbJPEG->isChecked());
    QVERIFY(O().pnlJPEGOptions->isVisible());
    QVERIFY(!O().pnlGIFOptions->isVisible());
    QCOMPARE(O().tbCompression->value(), 80);
    QCOMPARE(O().txtMaxColours->text(), QStringLiteral("256"));
    QVERIFY(O().rbFlat->isChecked());
    QCOMPARE(O().cmbResizeMethod->count(), 7);
    QCOMPARE(O().cmbResizeMethod->currentText(), QStringLiteral("Lanczos3"));
    QCOMPARE(O().cmbPalette->currentText(), QStringLiteral("[Optimized]"));
    QCOMPARE(O().cmbPalette->toolTip(), QStringLiteral("[Optimized]"));
    QCOMPARE(O().cmbLighting->currentIndex(), -1);
    QCOMPARE(O().cmbCaptionLocation->currentIndex(), -1);
    QCOMPARE(O().txtButtonWidth->value(), 5);
    QVERIFY(!O().ocpTransparentColour->isEnabled());
    QVERIFY(!O().btnTransparentColourPicker->isEnabled());
    QVERIFY(!O().txtRotateAngle->isEnabled());
    QVERIFY(!O().txtBlendFile->isEnabled());
    QVERIFY(!O().txtBlendFile->BrowseButton()->isEnabled());
    QCOMPARE(O().PageControl1->count(), 8);
    QCOMPARE(O().PageControl1->currentIndex(), 0);

    QVERIFY(!Action("mnuFileSave")->isEnabled());
    QVERIFY(!Action("mnuFileSaveAs")->isEnabled());
    QVERIFY(!Action("mnuOptionsViewTiled")->isEnabled());
    QVERIFY(!Action("mnuOptionsAutoApply")->isChecked());
    QVERIFY(!window_->findChild<QMenu*>(QStringLiteral("mnuEdit"))->menuAction()->isVisible());
    QVERIFY(!window_->findChild<QToolButton*>(QStringLiteral("btnSave"))->isEnabled());
    QCOMPARE(window_->findChild<QToolButton*>(QStringLiteral("btnGo"))->toolTip(),
             QStringLiteral("Make a new image from the original"));
    QVERIFY(!window_->findChild<QComboBox*>(QStringLiteral("cmbZoom"))->isVisible());
    QCOMPARE(window_->findChild<QTimer*>(QStringLiteral("tmrAutoSave"))->interval(), 2000);

    auto* list = window_->findChild<DownloadTimeList*>(QStringLiteral("cmbDownloadTime"));
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->currentIndex(), -1);
    QCOMPARE(window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"))->Hint(), QString());
}

void MainWindowTest::groupsFollowTheirCheckBoxes()
{
    const std::pair<QCheckBox*, QWidget*> pairs[] = {
        {O().chkRotate, O().txtRotateAngle},     {O().chkResize, O().cmbResizeMethod},
        {O().chkSmoothing, O().tbSmoothing},     {O().chkSharpen, O().txtSharpen},
        {O().chkBrightness, O().txtBrightness},  {O().chkContrast, O().tbContrast},
        {O().chkBlendImage, O().txtBlendFile},   {O().chkButtonize, O().chkInvert},
        {O().chkAddCaption, O().btnCaptionFont}, {O().chkTransparent, O().ocpTransparentColour},
    };
    // Transparent stands on the GIF panel, shown once GIF is chosen.
    ClickOnPage(O().rbGIF);
    QVERIFY(O().chkTransparent->isVisible());
    for (const auto& [box, control] : pairs) {
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        ClickOnPage(box);
        QVERIFY2(box->isChecked(), qPrintable(box->objectName()));
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        ClickOnPage(box);
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    }
    // The browse button goes with the blend file's edit.
    ClickOnPage(O().chkBlendImage);
    QVERIFY(O().txtBlendFile->BrowseButton()->isEnabled());

    // Crop shows its labels while checked.
    ClickOnPage(O().chkCrop);
    QVERIFY(!O().lblCrop->isHidden() && !O().lblCrop2->isHidden());
    ClickOnPage(O().chkCrop);
    QVERIFY(O().lblCrop->isHidden() && O().lblCrop2->isHidden());
}

void MainWindowTest::buttonizeSelectsTopLeftOnce()
{
    ClickOnPage(O().chkButtonize);
    QVERIFY(O().chkButtonize->isChecked());
    QCOMPARE(O().cmbLighting->currentText(), QStringLiteral("Top Left"));
    ClickAt(O().chkButtonize);
    QCOMPARE(O().cmbLighting->currentText(), QStringLiteral("Top Left"));  // unchecking keeps it
    // A light chosen in the list (enabled while Buttonize is checked) stays.
    ClickAt(O().chkButtonize);
    ChooseFromList(O().cmbLighting, 0);
    QCOMPARE(O().cmbLighting->currentText(), QStringLiteral("None"));
    ClickAt(O().chkButtonize);
    QCOMPARE(O().cmbLighting->currentText(), QStringLiteral("None"));
    ClickAt(O().chkButtonize);
    QVERIFY(O().chkButtonize->isChecked());
    QCOMPARE(O().cmbLighting->currentText(), QStringLiteral("None"));
    // Any click selects it when nothing is selected, unchecking too. No
    // person can empty the list once it holds a light: the program does.
    O().cmbLighting->setCurrentIndex(-1);
    ClickAt(O().chkButtonize);
    QVERIFY(!O().chkButtonize->isChecked());
    QCOMPARE(O().cmbLighting->currentText(), QStringLiteral("Top Left"));
}

void MainWindowTest::addCaptionSelectsCenterOnlyWhenNone()
{
    ClickOnPage(O().chkAddCaption);
    QCOMPARE(O().cmbCaptionLocation->currentText(), QStringLiteral("Center"));
    // Unchecking with nothing selected selects nothing (only the program can
    // empty the list, as no person can).
    O().cmbCaptionLocation->setCurrentIndex(-1);
    ClickAt(O().chkAddCaption);
    QVERIFY(!O().chkAddCaption->isChecked());
    QCOMPARE(O().cmbCaptionLocation->currentIndex(), -1);
    // A location chosen in the list stays when Add Caption is checked again.
    ClickAt(O().chkAddCaption);
    QCOMPARE(O().cmbCaptionLocation->currentText(), QStringLiteral("Center"));
    ChooseFromList(O().cmbCaptionLocation, 2);
    QCOMPARE(O().cmbCaptionLocation->currentText(), QStringLiteral("Bottom"));
    ClickAt(O().chkAddCaption);
    ClickAt(O().chkAddCaption);
    QVERIFY(O().chkAddCaption->isChecked());
    QCOMPARE(O().cmbCaptionLocation->currentText(), QStringLiteral("Bottom"));
}

void MainWindowTest::resizeFillsEmptySizesFromTheSource()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("a.png"), QSize(120, 60)));
    ClickOnPage(O().chkResize);
    QCOMPARE(O().txtResizeWidth->text(), QStringLiteral("120"));
    QCOMPARE(O().txtResizeHeight->text(), QStringLiteral("60"));
    // The sizes are typed while Resize is checked (the frame is disabled
    // otherwise), without Keep Ratio, which would fill the other one.
    if (O().chkKeepRatio->isChecked())
        ClickAt(O().chkKeepRatio);
    TypeInto(O().txtResizeWidth, QStringLiteral("33"));
    TypeInto(O().txtResizeHeight, QStringLiteral("0"));
    ClickAt(O().chkResize);
    QVERIFY(!O().chkResize->isChecked());
    QCOMPARE(O().txtResizeHeight->text(), QStringLiteral("0"));
    ClickAt(O().chkResize);
    QCOMPARE(O().txtResizeWidth->text(), QStringLiteral("33"));
    QCOMPARE(O().txtResizeHeight->text(), QStringLiteral("60"));
}

void MainWindowTest::trackBarsAndEditsMirrorEachOther()
{
    SlideTo(O().tbCompression, 55);
    QCOMPARE(O().tbCompression->value(), 55);
    QCOMPARE(O().txtCompression->text(), QStringLiteral("55"));
    TypeInto(O().txtCompression, QStringLiteral("150"));
    QCOMPARE(O().txtCompression->text(), QStringLiteral("150"));
    QCOMPARE(O().tbCompression->value(), 100);  // limited to the bar's range
    QCOMPARE(window_->GatherSettings().jpegQuality, 100);
    // Each pair is used while its box is checked, as its frame is disabled
    // otherwise.
    ClickOnPage(O().chkBrightness);
    TypeInto(O().txtBrightness, QStringLiteral("-40"));
    QCOMPARE(O().tbBrightness->value(), -40);
    // Contrast and brightness runs read the edit box, sharpen and blur the bar.
    ClickOnPage(O().chkContrast);
    TypeInto(O().txtContrast, QStringLiteral("-"));
    QCOMPARE(O().txtContrast->text(), QStringLiteral("-"));  // text being typed stays
    ClickOnPage(O().chkSharpen);
    SlideTo(O().tbSharpen, 7);
    QCOMPARE(O().txtSharpen->text(), QStringLiteral("7"));
    const ConversionSettings settings = window_->GatherSettings();
    QCOMPARE(settings.brightnessAmount, -40);
    QCOMPARE(settings.contrastAmount, 0);
    QCOMPARE(settings.sharpenAmount, 7);
    QVERIFY(settings.contrast);
}

void MainWindowTest::formatChoiceSetsPanelsFilterExtensionAndInterval()
{
    auto* timer = window_->findChild<QTimer*>(QStringLiteral("tmrAutoSave"));
    window_->SetResultFileName(QStringLiteral("/pics/result.jpg"));
    ClickOnPage(O().rbGIF);
    QVERIFY(O().pnlGIFOptions->isVisible() && !O().pnlJPEGOptions->isVisible());
    QCOMPARE(window_->SaveFilter(), QStringLiteral("*.gif|*.gif"));
    QCOMPARE(window_->SaveDefaultExt(), QStringLiteral("gif"));
    QCOMPARE(window_->ResultFileName(), QStringLiteral("/pics/result.gif"));
    QCOMPARE(timer->interval(), 2000);
    QCOMPARE(window_->GatherSettings().format, OutputFormat::Gif);
    ClickAt(O().rbJPEG);
    QVERIFY(O().pnlJPEGOptions->isVisible() && !O().pnlGIFOptions->isVisible());
    QCOMPARE(window_->ResultFileName(), QStringLiteral("/pics/result.jpg"));
    QCOMPARE(window_->SaveFilter(), QStringLiteral("*.jpg|*.jpg"));
    QCOMPARE(timer->interval(), 500);
    ClickAt(O().rbGIF);
    ClickAt(O().rbGIF);
    QCOMPARE(window_->ResultFileName(), QStringLiteral("/pics/result.gif"));
}

void MainWindowTest::keyFilterOfTheWindowsEdits()
{
    ClickOnPage(O().chkRotate);
    TOrvaEdit* angle = O().txtRotateAngle;
    QCOMPARE(QApplication::focusWidget(), angle);  // checking Rotate moved the focus there
    TypeKeys(QStringLiteral("36"));
    TypeKeys(QStringLiteral("0"));  // 360 is beyond 359
    QCOMPARE(angle->text(), QStringLiteral("36"));
    TypeInto(angle, QStringLiteral("35"));
    PressKey(Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(angle->selectedText(), QStringLiteral("35"));
    TypeKeys(QStringLiteral("4"));  // a digit over a selection replaces it all
    QCOMPARE(angle->text(), QStringLiteral("4"));

    // Leaving Max. Colors raises a number below 2.
    ClickOnPage(O().rbGIF);
    TypeInto(O().txtMaxColours, QStringLiteral("1"));
    QCOMPARE(O().txtMaxColours->text(), QStringLiteral("1"));
    ClickAt(O().rbDither);
    QCOMPARE(O().txtMaxColours->text(), QStringLiteral("2"));
}

void MainWindowTest::tabGoesThroughTheFieldsAsTheyStand()
{
    // From each heading box, checked with a click, Tab goes through the
    // fields of its page left to right (and down where they are stacked).
    for (QCheckBox* box : {O().chkRotate, O().chkResize, O().chkButtonize, O().chkAddCaption}) {
        ClickOnPage(box);
        QVERIFY(box->isChecked());
        QWidget* page = O().PageControl1->currentWidget();
        QStringList order;
        QPoint last(-1, -1);
        for (int step = 0; step < 12; ++step) {
            QWidget* focus = QApplication::focusWidget();
            if (!focus || !page->isAncestorOf(focus))
                break;
            const QPoint at = focus->mapTo(page, QPoint(0, 0));
            order << focus->objectName() + QLatin1Char('@') + QString::number(at.x()) + QLatin1Char(',') +
                         QString::number(at.y());
            QVERIFY2(at.x() > last.x() || (at.x() == last.x() && at.y() > last.y()), qPrintable(order.join(u' ')));
            last = at;
            PressKey(Qt::Key_Tab);
        }
        QVERIFY2(order.size() >= 4, qPrintable(order.join(u' ')));
    }
}

void MainWindowTest::onlyTheListedChangesRestartTheTimer()
{
    auto* timer = window_->findChild<QTimer*>(QStringLiteral("tmrAutoSave"));
    QAction* autoApply = Action("mnuOptionsAutoApply");

    // Off: changes never start the timer.
    ClickOnPage(O().chkFlip);
    QVERIFY(O().chkFlip->isChecked());
    QVERIFY(!timer->isActive());

    ToggleAutoApply();
    QVERIFY(autoApply->isChecked());
    QVERIFY(!timer->isActive());  // switching it on starts nothing

    // Each change is made as a person makes it, with what it needs first
    // (the box that enables its frame) done before the timer is stopped.
    struct Change {
        std::function<void()> prepare;
        std::function<void()> change;
    };
    const auto nothing = [] {};
    const Change restarting[] = {
        {[&] { ClickOnPage(O().chkRotate); }, [&] { ClickOnPage(O().chkMirror); }},
        {nothing, [&] { ClickOnPage(O().rbRotateLeft); }},
        {[&] { ClickOnPage(O().chkSharpen); }, [&] { SlideTo(O().tbSharpen, O().tbSharpen->value() + 1); }},
        {nothing, [&] { TypeInto(O().txtRotateAngle, QStringLiteral("12")); }},
        {[&] { ClickOnPage(O().chkAddCaption); }, [&] { TypeInto(O().txtCaption, QStringLiteral("hello")); }},
        {[&] { ClickOnPage(O().chkButtonize); }, [&] { StepSpinBox(O().txtButtonWidth, 4); }},
        {[&] { ClickOnPage(O().chkResize); }, [&] { ChooseFromList(O().cmbResizeMethod, 0); }},
        {[&] { ClickOnPage(O().chkBlendImage); }, [&] { SlideTo(O().tbBlendFactor, 40); }},
        {nothing, [&] { TypeInto(O().ocpCornerColour->Entry()->lineEdit(), QStringLiteral("00FF00")); }},
        {nothing, [&] { ClickOnPage(O().chkCrop); }},
    };
    int index = 0;
    for (const auto& [prepare, change] : restarting) {
        prepare();
        timer->stop();
        change();
        QVERIFY2(timer->isActive(), qPrintable(QString::number(index)));
        ++index;
    }
    QCOMPARE(O().txtButtonWidth->value(), 9);
    QCOMPARE(O().cmbResizeMethod->currentIndex(), 0);
    QCOMPARE(O().tbBlendFactor->value(), 40);
    QCOMPARE(O().ocpCornerColour->Color(), TColor(0x00FF00));

    // GIF comes last: its longer interval leaves the time for the menu below.
    const Change quiet[] = {
        {nothing, [&] {
             if (O().chkKeepRatio->isChecked())
                 ClickOnPage(O().chkKeepRatio);
             TypeInto(O().txtResizeWidth, QStringLiteral("5"));
         }},
        {nothing, [&] { TypeInto(O().txtBlendFile, QStringLiteral("/no/such/file.png")); }},
        {nothing, [&] { ClickOnPage(O().rbJPEG); }},
        {nothing, [&] { ClickOnPage(O().rbGIF); }},
        {nothing, [&] { ClickOnPage(O().chkTransparent); }},
        {nothing, [&] { ChooseFromList(O().cmbPalette, 1); }},
    };
    index = 0;
    for (const auto& [prepare, change] : quiet) {
        prepare();
        timer->stop();
        change();
        QVERIFY2(!timer->isActive(), qPrintable(QString::number(index)));
        ++index;
    }
    QVERIFY(O().chkTransparent->isChecked());
    QCOMPARE(O().cmbPalette->currentIndex(), 1);
    QCOMPARE(O().txtResizeWidth->text(), QStringLiteral("5"));
    QCOMPARE(O().txtBlendFile->text(), QStringLiteral("/no/such/file.png"));

    // The zoom list, shown from the first run on, changes no option. (The
    // run itself fails, as the blend file is not there: said and answered.)
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("zoom.png"), QSize(64, 48)));
    {
        MessageBoxCatcher boxes;
        QVERIFY(RunAndWait(*window_));
        QTRY_COMPARE(boxes.texts.size(), 1);
    }
    timer->stop();
    ChooseZoom(*window_, QStringLiteral("400%"));
    QCOMPARE(window_->findChild<QComboBox*>(QStringLiteral("cmbZoom"))->currentText(), QStringLiteral("400%"));
    QVERIFY(!timer->isActive());

    // A colour entry restarts only when it holds a colour.
    QVERIFY(O().chkButtonize->isChecked());
    timer->stop();
    QLineEdit* entry = O().ocpButtonLine->Entry()->lineEdit();
    TypeInto(entry, QStringLiteral("12"));
    QCOMPARE(entry->text(), QStringLiteral("12"));
    QVERIFY(!timer->isActive());
    TypeKeys(QStringLiteral("3456"));
    QCOMPARE(entry->text(), QStringLiteral("123456"));
    QVERIFY(timer->isActive());

    // Switching auto-apply off lets a pending run happen.
    QCOMPARE(timer->interval(), 2000);
    ToggleAutoApply();
    QVERIFY(!autoApply->isChecked());
    QVERIFY(timer->isActive());
}

void MainWindowTest::aBurstOfChangesGivesOneRun()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("burst.png"), QSize(80, 60)));
    auto* timer = window_->findChild<QTimer*>(QStringLiteral("tmrAutoSave"));
    QSignalSpy started(&window_->Runs(), &RunController::Started);
    QSignalSpy finished(&window_->Runs(), &RunController::Finished);
    ToggleAutoApply();
    ClickOnPage(O().rbJPEG);
    QCOMPARE(timer->interval(), 500);

    // Each change starts a full new interval: the track bar is moved with
    // its keys, each step a change.
    SlideTo(O().tbCompression, 70);
    QTest::qWait(300);
    QCOMPARE(started.count(), 0);
    SlideTo(O().tbCompression, 60);
    QVERIFY(timer->remainingTime() > 400);
    for (int quality = 59; quality > 50; --quality)
        PressKey(Qt::Key_Left);
    QCOMPARE(O().tbCompression->value(), 51);
    QCOMPARE(started.count(), 0);

    QVERIFY(finished.wait(20000));
    QCOMPARE(started.count(), 1);
    QVERIFY(!timer->isActive());  // the run ended the burst
    QTest::qWait(1200);
    QCOMPARE(started.count(), 1);
}

void MainWindowTest::applyWithoutPictureDoesNothing()
{
    QSignalSpy started(&window_->Runs(), &RunController::Started);
    ClickAt(Button("btnGo"));
    QTest::qWait(50);
    QCOMPARE(started.count(), 0);
    QVERIFY(!window_->findChild<QProgressBar*>(QStringLiteral("progressBar"))->isVisible());
}

void MainWindowTest::escapeCancelsSilently()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("esc.png"), QSize(1200, 900)));
    QSignalSpy started(&window_->Runs(), &RunController::Started);
    QSignalSpy finished(&window_->Runs(), &RunController::Finished);
    MessageBoxCatcher boxes;
    // Two quick clicks: the second run waits for the first to end.
    DoubleClickAt(Button("btnGo"));
    QVERIFY(window_->Runs().IsRunning());
    QCOMPARE(started.count(), 1);
    PressKey(Qt::Key_Escape);
    QVERIFY(finished.wait(20000));
    QTest::qWait(300);
    // The waiting run was dropped too, and nothing was said.
    QCOMPARE(started.count(), 1);
    QCOMPARE(finished.count(), 1);
    QVERIFY(boxes.texts.isEmpty());
    QVERIFY(!window_->findChild<QProgressBar*>(QStringLiteral("progressBar"))->isVisible());
}

void MainWindowTest::successfulRunEnablesSavingAndShowsTheReport()
{
    auto* zoom = window_->findChild<QComboBox*>(QStringLiteral("cmbZoom"));
    OpenAndRun();
    QVERIFY(window_->Changed());
    QVERIFY(Action("mnuFileSave")->isEnabled());
    QVERIFY(Action("mnuFileSaveAs")->isEnabled());
    QVERIFY(Action("mnuOptionsViewTiled")->isEnabled());
    QVERIFY(window_->findChild<QToolButton*>(QStringLiteral("btnSaveAs"))->isEnabled());
    QVERIFY(zoom->isVisible());
    QCOMPARE(zoom->currentText(), QStringLiteral("100%"));
    QCOMPARE(window_->ResultSize(), QFileInfo(WorkFilePath()).size());
    QCOMPARE(window_->ResultPicture().size(), Size(64, 48));
    QVERIFY(!window_->findChild<QProgressBar*>(QStringLiteral("progressBar"))->isVisible());
    auto* list = window_->findChild<DownloadTimeList*>(QStringLiteral("cmbDownloadTime"));
    QVERIFY(list->isVisible());
    QCOMPARE(list->itemText(0), QStringLiteral("Speed|Current|New"));
    QCOMPARE(list->currentIndex(), kDefaultSpeedRow);  // the selection survives the rebuild
    const QString hint = window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"))->Hint();
    QVERIFY2(hint.startsWith(QStringLiteral(" New image unsaved\r\n 64 by 48 pixels, ")), qPrintable(hint));

    // Opening a new picture hides the result and drops the "New" column; its
    // result is not there to save.
    MessageBoxCatcher discard(QMessageBox::Discard);
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("next.png"), QSize(30, 30)));
    QCOMPARE(discard.texts, QStringList{QStringLiteral("The new image has not been saved.  Do you want to save it first?")});
    QVERIFY(!Action("mnuOptionsViewTiled")->isEnabled());
    QVERIFY(!Action("mnuFileSave")->isEnabled());
    QVERIFY(!Action("mnuFileSaveAs")->isEnabled());
    QCOMPARE(list->itemText(0), QStringLiteral("Speed|Current"));
    QVERIFY(!window_->Changed());
}

void MainWindowTest::failedRunKeepsResultReportAndSaveState()
{
    OpenAndRun();
    auto* dest = window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"));
    const QString hintBefore = dest->Hint();
    const qint64 sizeBefore = window_->ResultSize();
    const Bitmap pictureBefore = window_->ResultPicture();

    // The work file cannot be written while a folder stands in its place.
    QFile::remove(WorkFilePath());
    QVERIFY(QDir().mkdir(WorkFilePath()));
    MessageBoxCatcher boxes;
    SlideTo(O().tbCompression, 20);
    QVERIFY(RunAndWait(*window_));
    QTRY_COMPARE(boxes.texts.size(), 1);
    QVERIFY(boxes.texts.first().contains(QDir::toNativeSeparators(WorkFilePath())) ||
            boxes.texts.first().contains(WorkFilePath()));

    QCOMPARE(dest->Hint(), hintBefore);
    QCOMPARE(window_->ResultSize(), sizeBefore);
    QCOMPARE(window_->ResultPicture(), pictureBefore);
    QVERIFY(Action("mnuFileSave")->isEnabled());
    QVERIFY(window_->Changed());
    QVERIFY(!window_->findChild<QProgressBar*>(QStringLiteral("progressBar"))->isVisible());
    QVERIFY(window_->findChild<DownloadTimeList*>(QStringLiteral("cmbDownloadTime"))->isVisible());
}

void MainWindowTest::aResizeBeyondMemorySaysSoAndKeepsEverything()
{
    OpenAndRun();
    auto* dest = window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"));
    const QString hintBefore = dest->Hint();
    const qint64 sizeBefore = window_->ResultSize();
    const Bitmap pictureBefore = window_->ResultPicture();
    const Bitmap originalBefore = window_->Original();

    // Resize to 60000 by 60000, typed as a person types it: 10.8 GB, which the
    // system might promise and then not keep.
    ClickOnPage(O().chkResize);
    QVERIFY(O().chkResize->isChecked());
    for (TOrvaEdit* edit : {O().txtResizeWidth, O().txtResizeHeight}) {
        TypeInto(edit, QStringLiteral("60000"));
        QVERIFY(edit->hasFocus());
        QCOMPARE(edit->text(), QStringLiteral("60000"));
    }
    MessageBoxCatcher boxes;
    QVERIFY(RunAndWait(*window_));
    QTRY_COMPARE(boxes.texts,
                 QStringList{QStringLiteral("There is not enough memory for a picture of 60000 by 60000 pixels.")});

    // The program goes on with the original, the last result and the settings.
    QCOMPARE(window_->Original(), originalBefore);
    QCOMPARE(window_->ResultPicture(), pictureBefore);
    QCOMPARE(window_->ResultSize(), sizeBefore);
    QCOMPARE(dest->Hint(), hintBefore);
    QVERIFY(Action("mnuFileSave")->isEnabled());
    QVERIFY(O().chkResize->isChecked());
    QCOMPARE(O().txtResizeWidth->text(), QStringLiteral("60000"));
    QCOMPARE(O().txtResizeHeight->text(), QStringLiteral("60000"));
    QVERIFY(!window_->findChild<QProgressBar*>(QStringLiteral("progressBar"))->isVisible());

    // And a size that fits makes its result as ever.
    TypeInto(O().txtResizeWidth, QStringLiteral("32"));
    TypeInto(O().txtResizeHeight, QStringLiteral("24"));
    QVERIFY(RunAndWait(*window_));
    QCOMPARE(window_->ResultPicture().size(), Size(32, 24));
    QCOMPARE(boxes.texts.size(), 1);
}

void MainWindowTest::openReportsSourceAndSelects28k()
{
    const QString path = WritePicture(*folder_, QStringLiteral("source.png"), QSize(120, 60), 3500);
    OpenThroughDialog(path);
    QCOMPARE(window_->OriginalSize(), 3500);
    QCOMPARE(window_->ResultSize(), -1);
    auto* source = window_->findChild<InfoLabel*>(QStringLiteral("lblSourceInfo"));
    QCOMPARE(source->Hint(), QStringLiteral(" %1\r\n 120 by 60 pixels, 3.4 K").arg(QDir::toNativeSeparators(path)));
    auto* list = window_->findChild<DownloadTimeList*>(QStringLiteral("cmbDownloadTime"));
    QCOMPARE(list->count(), 8);
    QCOMPARE(list->currentIndex(), 3);
    QCOMPARE(list->currentText(), QStringLiteral("28.8k|(1.0 sec)"));
    QCOMPARE(list->itemText(7), QStringLiteral("T1|(0.0 sec)"));
    QCOMPARE(window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"))->Caption(), QStringLiteral(" \r\n "));
    QCOMPARE(window_->RecentFiles().Paths().first(), QDir::toNativeSeparators(path));
    QCOMPARE(OpenProgramSettings()->value(QStringLiteral("Open File Directory")).toString(),
             QDir::toNativeSeparators(folder_->path()) + QDir::separator());
}

void MainWindowTest::openFailureKeepsThePicture()
{
    const QString good = WritePicture(*folder_, QStringLiteral("good.png"), QSize(40, 30));
    window_->OpenPicture(good);
    const QString hint = window_->findChild<InfoLabel*>(QStringLiteral("lblSourceInfo"))->Hint();

    QFile broken(folder_->filePath(QStringLiteral("broken.jpg")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("this is not a picture at all");
    broken.close();
    MessageBoxCatcher boxes;
    OpenThroughDialog(broken.fileName());
    // The Open dialog names only files that are there; a file gone since
    // the program heard of it comes another way (the command line, a recent
    // file, another start of the program).
    window_->OpenPicture(folder_->filePath(QStringLiteral("missing.png")));
    QTRY_COMPARE(boxes.texts.size(), 2);
    QVERIFY2(boxes.texts[0].contains(QStringLiteral("broken.jpg")), qPrintable(boxes.texts[0]));
    QCOMPARE(boxes.texts[1], folder_->filePath(QStringLiteral("missing.png")) + QStringLiteral(" does not exist."));

    QCOMPARE(window_->Original().size(), Size(40, 30));
    QCOMPARE(window_->findChild<InfoLabel*>(QStringLiteral("lblSourceInfo"))->Hint(), hint);
    QCOMPARE(window_->RecentFiles().Paths().size(), 1);
}

void MainWindowTest::resultReportTexts()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("orig.png"), QSize(200, 100), 20480));
    window_->resize(1000, 700);  // opening made the window fit the small picture
    QTest::qWait(20);
    window_->ShowResultReport(5120, DescribePicture(200, 100));
    auto* dest = window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"));
    QCOMPARE(dest->Hint(), QStringLiteral(" New image unsaved\r\n 200 by 100 pixels, 5.00 K, 25.00% of original size"));
    QCOMPARE(dest->Caption(), dest->Hint());  // it fits the 1000-pixel window whole
    QCOMPARE(window_->ResultSize(), 5120);

    auto* list = window_->findChild<DownloadTimeList*>(QStringLiteral("cmbDownloadTime"));
    QCOMPARE(list->itemText(0), QStringLiteral("Speed|Current|New"));
    // 20480 / 3500 = 5.85 s and 5120 / 3500 = 1.46 s; 20480 / 1200 = 17.07 s.
    QCOMPARE(list->itemText(3), QStringLiteral("28.8k|(5.9 sec)|1.5 sec"));
    QCOMPARE(list->itemText(1), QStringLiteral("9600|(17 sec)|4.3 sec"));
    QCOMPARE(list->currentIndex(), 3);

    // A saved result names its file, with " *" while it differs from the run.
    window_->SetResultFileName(QStringLiteral("/web/pic.jpg"));
    window_->ShowResultReport(5120, DescribePicture(200, 100));
    QVERIFY(dest->Hint().startsWith(QStringLiteral(" /web/pic.jpg\r\n")));

    // Too narrow for the long text: the short one, without " of original size".
    window_->resize(640, 500);
    QTest::qWait(20);
    window_->ShowResultReport(5120, DescribePicture(200, 100));
    QCOMPARE(dest->Hint(), QStringLiteral(" /web/pic.jpg\r\n 200 by 100 pixels, 5.00 K, 25.00%"));
}

void MainWindowTest::pastedOriginalHasNoShare()
{
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QApplication::clipboard()->setImage(picture);
    PressKey(Qt::Key_V, Qt::ControlModifier);  // the Edit menu is hidden; its keys work
    QCOMPARE(window_->OriginalSize(), 0);
    QCOMPARE(window_->findChild<InfoLabel*>(QStringLiteral("lblSourceInfo"))->Hint(),
             QStringLiteral(" Clipboard\r\n 200 by 100 pixels"));
    window_->ShowResultReport(5120, DescribePicture(200, 100));
    QCOMPARE(window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"))->Hint(),
             QStringLiteral(" New image unsaved\r\n 200 by 100 pixels, 5.00 K"));
    auto* list = window_->findChild<DownloadTimeList*>(QStringLiteral("cmbDownloadTime"));
    QCOMPARE(list->itemText(7), QStringLiteral("T1|(0.0 sec)|0.0 sec"));
    QCOMPARE(list->itemText(3), QStringLiteral("28.8k|(0.0 sec)|1.5 sec"));

    QApplication::clipboard()->setText(QStringLiteral("words"));
    MessageBoxCatcher boxes;
    PressKey(Qt::Key_V, Qt::ControlModifier);
    QTRY_COMPARE(boxes.texts, QStringList{QStringLiteral("The data in the clipboard is not a bitmap.")});
    QCOMPARE(window_->Original().size(), Size(200, 100));
}

void MainWindowTest::longNamesAreShortenedInTheCaptionOnly()
{
    window_->resize(700, 500);
    const QString deep = folder_->path() + QStringLiteral("/a-folder-with-a-rather-long-name/and-another-one-inside");
    QVERIFY(QDir().mkpath(deep));
    const QString path = WritePicture(*folder_, QStringLiteral("a-folder-with-a-rather-long-name/and-another-one-inside/"
                                                                "picture-with-a-long-name-as-well.png"),
                                      QSize(20, 20));
    window_->OpenPicture(path);
    window_->resize(700, 500);
    QTest::qWait(20);
    auto* source = window_->findChild<InfoLabel*>(QStringLiteral("lblSourceInfo"));
    QVERIFY(source->Hint().contains(QDir::toNativeSeparators(path)));
    const QString line1 = source->Caption().section(QStringLiteral("\r\n"), 0, 0);
    QVERIFY2(line1.contains(QStringLiteral("...")), qPrintable(line1));
    QVERIFY(source->fontMetrics().horizontalAdvance(line1) <= source->width() - 2);
    QVERIFY(line1.endsWith(QStringLiteral(".png")));
}

void MainWindowTest::layoutAfterLoadRules()
{
    const QRect screen(0, 0, 1024, 768);
    // 100 by 100 on a 1024 by 768 screen: A = clamp(300, 635, 1014) = 635 and
    // B = clamp(100 + (486 - 300) + 50, 486, 738) = 486, centred.
    WindowPlacement small = PlaceAfterLoad(QSize(100, 100), 486, 300, screen);
    QVERIFY(!small.maximise);
    QCOMPARE(small.bounds, QRect(512 - 317, 384 - 243, 635, 486));
    // 400 by 400: A = 900, B = 400 + 186 + 50 = 636.
    QCOMPARE(PlaceAfterLoad(QSize(400, 400), 486, 300, screen).bounds, QRect(512 - 450, 384 - 318, 900, 636));
    // 400 by 500: B = 736 comes within 50 pixels of the screen's 768.
    QVERIFY(PlaceAfterLoad(QSize(400, 500), 486, 300, screen).maximise);
    // Within 50 pixels of the screen: maximised.
    QVERIFY(PlaceAfterLoad(QSize(460, 100), 486, 300, screen).maximise);  // A = 1014
    QVERIFY(PlaceAfterLoad(QSize(100, 520), 486, 300, screen).maximise);  // B = 738
    QVERIFY(PlaceAfterLoad(QSize(2000, 2000), 486, 300, screen).maximise);
    // A screen narrower than 635: the lower bound wins, and the window is maximised.
    QVERIFY(PlaceAfterLoad(QSize(10, 10), 486, 300, QRect(0, 0, 600, 800)).maximise);
    // The available area need not start at the origin.
    QCOMPARE(PlaceAfterLoad(QSize(100, 100), 486, 300, QRect(0, 30, 1024, 738)).bounds.topLeft(),
             QPoint(512 - 317, 30 + 369 - 243));
}

void MainWindowTest::layoutAfterLoadInTheWindow()
{
    window_->resize(597, 486);
    QTest::qWait(20);
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("small.png"), QSize(100, 100)));
    const QRect screen = window_->screen()->availableGeometry();
    if (screen.width() < 700 || screen.height() < 560)
        QSKIP("the test screen is too small for a window of 635 pixels");
    QVERIFY(!window_->isMaximized());
    QCOMPARE(window_->width(), 635);
    QCOMPARE(window_->x(), screen.left() + screen.width() / 2 - 317);
    QVERIFY(window_->findChild<QWidget*>(QStringLiteral("imgSource"))->isVisible());
    QVERIFY(!window_->findChild<QWidget*>(QStringLiteral("imgDest"))->isVisible());
}

void MainWindowTest::ctrlF6RevealsTheEditMenu()
{
    QMenu* edit = window_->findChild<QMenu*>(QStringLiteral("mnuEdit"));
    // The keys reach the window whatever has the focus: here the caption.
    ClickOnPage(O().chkAddCaption);
    ClickAt(O().txtCaption);
    QCOMPARE(QApplication::focusWidget(), O().txtCaption);
    PressKey(Qt::Key_F6);
    PressKey(Qt::Key_F5, Qt::ControlModifier);
    PressKey(Qt::Key_F6, Qt::ShiftModifier | Qt::ControlModifier);
    QVERIFY(!edit->menuAction()->isVisible());
    PressKey(Qt::Key_F6, Qt::ControlModifier);
    QVERIFY(edit->menuAction()->isVisible());
}

void MainWindowTest::corruptSettingsGiveDefaults()
{
    window_.reset();
    const QString path = OpenProgramSettings()->fileName();
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\nSplash=4294967296x\nOpen%20File%20Directory=1, 2\n"
               "[Recent%20Files]\n1=/ok/one.jpg\n2=a, list\n3=@Variant(\\0\\0\\0\\x7f)\n4=/ok/two.jpg\n");
    file.close();
    window_ = NewWindow();
    QVERIFY(Action("mnuOptionsShowSplash")->isChecked());
    QCOMPARE(window_->RecentFiles().Paths(), (QStringList{"/ok/one.jpg", "/ok/two.jpg"}));

    // "0" switches the splash off and the menu writes it back as text.
    window_.reset();
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\nSplash=0\n");
    file.close();
    window_ = NewWindow();
    QAction* splash = Action("mnuOptionsShowSplash");
    QVERIFY(!splash->isChecked());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsShowSplash"));
    QVERIFY(splash->isChecked());
    QCOMPARE(OpenProgramSettings()->value(kSplashSetting).toString(), QStringLiteral("1"));
}

void MainWindowTest::recentFilesAreKeptAcrossSessions()
{
    const QString a = WritePicture(*folder_, QStringLiteral("a.png"), QSize(10, 10));
    const QString b = WritePicture(*folder_, QStringLiteral("b.png"), QSize(10, 10));
    window_->OpenPicture(a);
    window_->OpenPicture(b);
    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&File"), "mnuFileExit"));
    QVERIFY(!window_->isVisible());
    window_ = NewWindow();
    QCOMPARE(window_->RecentFiles().Paths(), (QStringList{QDir::toNativeSeparators(b), QDir::toNativeSeparators(a)}));
    // An entry opens its file.
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&File"), window_->RecentFiles().Entries().at(1)));
    QCOMPARE(window_->findChild<InfoLabel*>(QStringLiteral("lblSourceInfo"))->Hint().section(QStringLiteral("\r\n"), 0, 0),
             QLatin1Char(' ') + QDir::toNativeSeparators(a));
}

void MainWindowTest::aWideWindowKeepsTheFieldsOfAFrameTogether()
{
    // From the first field of a frame to its last, in a window of the size
    // it opens at and in one three times as wide.
    const auto spans = [this] {
        ShowPageOf(O().txtRotateAngle);
        const int rotate = O().ocpCornerColour->geometry().right() - O().txtRotateAngle->geometry().left();
        ShowPageOf(O().cmbResizeMethod);
        const int size = O().txtResizeHeight->geometry().right() - O().cmbResizeMethod->geometry().left();
        return QList<int>{rotate, size};
    };
    window_->resize(600, 486);
    QTest::qWait(50);
    const QList<int> narrow = spans();
    window_->resize(1800, 486);
    QTest::qWait(50);
    QCOMPARE(spans(), narrow);
}

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
