// Opening pictures and saving the result, the recent-files entries and the
// clipboard commands of the Edit menu.
//
// Nothing the user owns is replaced or lost unasked: a new original, from
// wherever it comes, first asks about an unsaved result; Save asks before it
// replaces the opened original or a file whose name only followed a change of
// format; and a save writes exactly the picture the report then names.
#include "app/mainwindow.h"

#include "app/appsettings.h"
#include "app/associatedialog.h"
#include "app/downloadtimelist.h"
#include "app/infolabel.h"
#include "app/openwith.h"
#include "app/pictureview.h"
#include "app/report.h"
#include "app/saveresult.h"
#include "app/workfile.h"
#include "components/busy.h"
#include "components/errors.h"
#include "components/qimagebridge.h"
#include "components/pathutils.h"
#include "components/qtbridge.h"
#include "components/recentfilesmenu.h"
#include "components/settingstext.h"
#include "effects/pixels.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>

namespace pictaron {

namespace {

// Every kind the loader reads, in both spellings of the extensions that have two.
const QString kOpenFilter = QStringLiteral(
    "Graphics Files|*.gif;*.jpg;*.jpeg;*.jpe;*.png;*.tif;*.tiff;*.bmp;*.dib;*.pcx;*.dcx;*.tga;*.pcd;*.webp;*.avif;"
    "*.ppm;*.pgm;*.pbm;*.pnm|All Files (*.*)|*.*");
const QString kNotABitmap = QStringLiteral("The data in the clipboard is not a bitmap.");
const QString kUnsavedResult = QStringLiteral("The new image has not been saved.");

void ShowMessage(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, QStringLiteral("Pictaron"), message);
}

} // namespace

void TfrmPictaron::OpenPicture(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        ShowMessage(this, path + QStringLiteral(" does not exist."));
        return;
    }
    if (!ConfirmDiscard())
        return;
    const QString fullPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    Bitmap picture;
    Bitmap alpha;
    Texts loadWarnings;
    {
        const BusyScope busy;
        // The window keeps the picture it has when this fails.
        if (!WithMemory([&] { picture = ToWorkingBitmap(ilPreview.Load(ToUtf8(fullPath), &loadWarnings, &alpha)); }))
            return;
        runs.Cancel();
        ++pictureSerial;
        ResetDragRect();
        opt.chkCrop->setChecked(false);
        scrSource->horizontalScrollBar()->setValue(0);
        scrSource->verticalScrollBar()->setValue(0);
        changed = false;
        originalPath = fullPath;

        originalSize = QFileInfo(fullPath).size();
        resultSize = -1;
        RefreshDownloadTimes(false);
        cmbDownloadTime->setCurrentIndex(kDefaultSpeedRow);
        recentFiles->AddRecentFile(fullPath);
        settingsKey->setValue(kOpenFolderSetting, ToQString(FolderWithSeparator(ToUtf8(fullPath))));

        original = std::move(picture);
        originalAlpha = std::move(alpha);
        imgSource->SetPicture(original);
        SetSourceInfo(ToQString(OpenedSourceInfo(ToUtf8(fullPath), originalSize, original)));
    }
    LayoutAfterLoad();
    // A picture read only in part (a cut-short file) is shown, and said so.
    for (const QString& warning : ToQStringList(loadWarnings))
        QMessageBox::warning(this, QStringLiteral("Pictaron"), warning);
}

bool TfrmPictaron::ConfirmDiscard()
{
    if (!changed || resultOfPicture != pictureSerial || !mnuOptionsConfirmDiscard->isChecked())
        return true;
    // Offered only when it can be done now: a result of the other format
    // needs a run first.
    const bool saveable = CanSave();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pictaron"),
                    kUnsavedResult
                        + (saveable ? QStringLiteral("  Do you want to save it first?")
                                    : QStringLiteral("  Do you want to discard it?")),
                    QMessageBox::Discard | QMessageBox::Cancel | (saveable ? QMessageBox::Save : QMessageBox::NoButton),
                    this);
    box.setDefaultButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Discard:
        return true;
    case QMessageBox::Save:
        mnufileSaveClick();
        return !changed;
    default:
        return false;
    }
}

void TfrmPictaron::SetSourceInfo(const QString& hint)
{
    lblSourceInfo->SetHint(hint);
    FitInfoLabel(lblSourceInfo);
}

void TfrmPictaron::PICTARONExecuteMacro(const QStringList& lines)
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (!lines.isEmpty())
        OpenPicture(lines.last());
}

void TfrmPictaron::mnuOptionsFileClick()
{
    TfrmAssociate dialog(this);
    const QStringList types{QStringLiteral("GIF"), QStringLiteral("JPEG"), QStringLiteral("BMP")};
    const QList<QCheckBox*> boxes{dialog.chkGIF, dialog.chkJPEG, dialog.chkBMP};
    settingsKey->beginGroup(QStringLiteral("Associations"));
    for (int i = 0; i < types.size(); ++i)
        boxes[i]->setChecked(ReadBoolSetting(*settingsKey, types[i], false));
    settingsKey->endGroup();
    if (dialog.exec() != QDialog::Accepted)
        return;

    // GIF, BMP and then JPEG: the order in which the types are registered.
    settingsKey->beginGroup(QStringLiteral("Associations"));
    QStringList chosen;
    for (const int i : {0, 2, 1}) {
        WriteBoolSetting(*settingsKey, types[i], boxes[i]->isChecked());
        if (boxes[i]->isChecked())
            chosen << types[i];
    }
    settingsKey->endGroup();
    // Unchecking never withdraws what was offered before.
    try {
        OfferOpenWith(chosen, QCoreApplication::applicationFilePath());
    } catch (const PictaronError& error) {
        ShowMessage(this, ToQString(error.message()));
    }
}

void TfrmPictaron::mnuFileOpenClick()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Open"),
                                                      ReadTextSetting(*settingsKey, kOpenFolderSetting),
                                                      ToQString(QtFileFilter(ToUtf8(kOpenFilter))));
    if (!file.isEmpty())
        OpenPicture(file);
}

void TfrmPictaron::mnufileSaveClick()
{
    SaveResultFile(false);
}

void TfrmPictaron::SaveResultFile(bool namedNow)
{
    if (!CanSave())
        return;
    if (cmbZoom->currentText() != QStringLiteral("100%")) {
        ResetZoom();
        ShowZoomed(0, 0, true);  // a GIF is saved from the picture shown
    }
    if (resultFileName.isEmpty()) {
        mnuFileSaveAsClick();
        return;
    }
    // The dialog asked already about a name the user chose there; a name that
    // merely followed the format, or the original itself, is asked about here.
    if (!namedNow && QFileInfo::exists(resultFileName)
        && (resultNameDerived || IsSameFile(ToUtf8(resultFileName), ToUtf8(originalPath)))) {
        const auto answer = QMessageBox::warning(
            this, QStringLiteral("Pictaron"),
            QStringLiteral("%1 already exists.  Do you want to replace it?").arg(resultFileName),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    qint64 size = 0;
    {
        const BusyScope busy;
        try {
            size = SaveResult(ToUtf8(resultFileName), imgDest->Picture(), resultBytes, GatherSettings());
        } catch (const PictaronError& error) {
            ShowMessage(this, ToQString(error.message()));
            return;
        }
    }
    changed = false;
    resultNameDerived = false;
    ShowResultReport(size, std::string());
    settingsKey->setValue(kSavedFolderSetting, ToQString(FolderWithSeparator(ToUtf8(resultFileName))));
    recentFiles->AddRecentFile(resultFileName);
}

void TfrmPictaron::mnuFileSaveAsClick()
{
    if (!CanSave())
        return;
    const QString folder = QFileInfo::exists(resultFileName) ? ToQString(FolderWithSeparator(ToUtf8(resultFileName)))
                                                             : ReadTextSetting(*settingsKey, kSaveAsFolderSetting);
    QFileDialog dialog(this, QStringLiteral("Save File As"), folder, ToQString(QtFileFilter(ToUtf8(saveFilter))));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(saveDefaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    settingsKey->setValue(kSaveAsFolderSetting, ToQString(FolderWithSeparator(ToUtf8(file))));
    resultFileName = file;
    resultNameDerived = false;
    SaveResultFile(true);
}

void TfrmPictaron::mnuEditSourceClick()
{
    // The picture as shown, with the crop frame while Crop is checked.
    if (!imgSource->Picture().isNull())
        QGuiApplication::clipboard()->setImage(ImageView(imgSource->Picture()));
}

void TfrmPictaron::mnuEditCopyDestClick()
{
    if (!imgDest->Picture().isNull())
        QGuiApplication::clipboard()->setImage(ImageView(imgDest->Picture()));
}

void TfrmPictaron::mnuEditPasteClick()
{
    const QImage pasted = QGuiApplication::clipboard()->image();
    if (pasted.isNull()) {
        ShowMessage(this, kNotABitmap);
        return;
    }
    Bitmap converted;
    if (!WithMemory([&] { converted = ToWorkingBitmap(ToBitmap(pasted)).copy(); }) || !ConfirmDiscard())
        return;
    runs.Cancel();
    ++pictureSerial;
    // The result is gone with its original, so nothing unsaved is left.
    changed = false;
    originalPath.clear();
    originalSize = 0;
    resultSize = -1;
    RefreshDownloadTimes(false);
    original = std::move(converted);
    originalAlpha = Bitmap();
    imgSource->SetPicture(original);
    // Crop stays checked: the new picture shows its frame as the old one did.
    if (opt.chkCrop->isChecked())
        DrawCropFrame(cropTopLeft, cropBottomRight);
    SetSourceInfo(ToQString(PastedSourceInfo(original)));
    LayoutAfterLoad();
}

void TfrmPictaron::mnuPasteDestClick()
{
    const QImage pasted = QGuiApplication::clipboard()->image();
    if (pasted.isNull()) {
        ShowMessage(this, kNotABitmap);
        return;
    }
    Bitmap shown;
    if (!WithMemory([&] { shown = ToBitmap(pasted); }))
        return;
    imgDest->SetPicture(shown);
    imgDest->show();
    // The pasted picture is no run's: nothing is known of it but its size.
    resultNotes = {};
    // A GIF is saved from the picture shown, so the pasted one is what Save
    // writes; a result of any other format is its encoded bytes, which no
    // longer match it.
    if (resultFormat != OutputFormat::Gif)
        resultOfPicture = -1;
    else
        changed = true;
    UpdateSaveCommands();
}

} // namespace pictaron
