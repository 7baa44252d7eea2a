// The run from the window: the auto-apply timer, "&Apply Changes", and what
// the window shows and enables while and after a run works.
//
// A run works on a worker thread (RunController), so the window stays
// responsive. That changes two things about the timer: it is stopped when a
// run starts (so it cannot start a second run into the first), and a change
// made while a run works restarts it as usual and is not lost when the run
// ends.
//
// Save and Save As follow one rule (CanSave): they are offered while the
// picture shown is the result of the current original in the chosen format
// and no run works, so what a save writes is always what the report shows.
// `changed` is set when a new result is shown, not when a run starts: a run
// that fails leaves the result, and whether it is saved, as they were.
#include "app/mainwindow.h"

#include "app/downloadtimelist.h"
#include "app/infolabel.h"
#include "app/pictureview.h"
#include "components/qtbridge.h"

#include <QAction>
#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace pictaron {

void TfrmPictaron::btnGoClick()
{
    tmrAutoSaveTimer();
}

void TfrmPictaron::RestartAutoApply()
{
    tmrAutoSave->stop();
    if (mnuOptionsAutoApply->isChecked())
        tmrAutoSave->start();
}

void TfrmPictaron::ResetZoom()
{
    cmbZoom->setCurrentText(QStringLiteral("100%"));
    zoomScale = 1.0f;
}

void TfrmPictaron::tmrAutoSaveTimer()
{
    // Without an original there is nothing to convert.
    if (lblSourceInfo->Hint().isEmpty())
        return;
    tmrAutoSave->stop();
    runs.Start(original, originalAlpha, GatherSettings());
}

bool TfrmPictaron::CanSave() const
{
    return resultOfPicture == pictureSerial && resultFormat == ChosenFormat() && !runs.IsRunning();
}

void TfrmPictaron::UpdateSaveCommands()
{
    const bool enabled = CanSave();
    for (QAction* action : {mnuFileSave, mnuFileSaveAs})
        action->setEnabled(enabled);
    btnSave->setEnabled(enabled);
    btnSaveAs->setEnabled(enabled);
}

void TfrmPictaron::RunStarted()
{
    runPicture = pictureSerial;
    imgDest->show();
    UpdateSaveCommands();
    cmbDownloadTime->hide();
    cmbZoom->show();
    progressBar->setValue(0);
    progressBar->setFormat(QString());
    progressBar->move(cmbDownloadTime->pos());
    progressBar->show();
}

void TfrmPictaron::RunProgressChanged(const QString& text, int percent)
{
    progressBar->setFormat(text);
    progressBar->setValue(percent);
}

void TfrmPictaron::RunSucceeded(const EncodedResult& result)
{
    // A run of a picture that has since been replaced shows nothing.
    if (runPicture != pictureSerial)
        return;
    runMessages << ToQStringList(result.warnings);
    ShowResult(result);
}

void TfrmPictaron::ShowResult(const EncodedResult& result)
{
    imgDest->SetPicture(result.picture);
    imgDest->show();
    cmbZoom->show();
    resultPicture = result.picture;
    resultOfPicture = pictureSerial;
    resultFormat = result.format;
    // A GIF is built again from the picture shown; every other format is
    // saved as the bytes the run encoded.
    resultBytes = result.format == OutputFormat::Gif ? SharedBytes() : result.bytes;
    resultNotes = NotesOf(result);
    changed = true;
    scrDest->horizontalScrollBar()->setValue(0);
    scrDest->verticalScrollBar()->setValue(0);
    ShowResultReport(result.size, result.description);

    mnuOptionsViewTiled->setEnabled(true);
    ResetZoom();
}

void TfrmPictaron::RunFailed(const QString& message)
{
    runMessages << message;
}

void TfrmPictaron::RunFinished()
{
    cmbDownloadTime->show();
    progressBar->hide();
    UpdateSaveCommands();
    // Messages come after the window is tidy again: the guarded end of a run
    // always comes first.
    for (const QString& message : std::exchange(runMessages, QStringList()))
        QMessageBox::critical(this, QStringLiteral("Pictaron"), message);
}

} // namespace pictaron
