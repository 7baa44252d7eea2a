// "Compare Formats": the picture made in each format with the current
// options, side by side in a dialog; the one picked becomes the result shown,
// in its format, ready to save.
#include "app/mainwindow.h"

#include "app/compareformatsdialog.h"
#include "app/downloadtimelist.h"
#include "app/infolabel.h"
#include "components/qtbridge.h"

#include <QAction>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>

namespace pictaron {

void TfrmPictaron::mnuOptionsCompareFormatsClick()
{
    if (lblSourceInfo->Hint().isEmpty())
        return;
    // The comparison stands for the next run: none may end after it and
    // replace the result picked.
    tmrAutoSave->stop();
    runs.Cancel();
    auto* dialog = new CompareFormatsDialog(original, originalAlpha, GatherSettings(), originalSize,
                                            LineSpeedOfRow(cmbDownloadTime->currentIndex()), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const int picture = pictureSerial;
    connect(dialog, &QDialog::accepted, this, [this, dialog, picture] {
        // A picture opened meanwhile (sent from another start) drops it.
        if (picture == pictureSerial && dialog->Chosen())
            ShowComparedResult(*dialog->Chosen());
    });
    // Window-modal and without a loop of its own, so the window keeps
    // painting while the formats are made.
    dialog->open();
}

void TfrmPictaron::ShowComparedResult(const EncodedResult& result)
{
    // The format first: choosing it renames the result and shows its options.
    for (const auto& [format, radio] : FormatButtons(opt))
        if (format == result.format)
            radio->setChecked(true);
    ShowResult(result);
    UpdateSaveCommands();
    for (const QString& warning : ToQStringList(result.warnings))
        QMessageBox::warning(this, QStringLiteral("Pictaron"), warning);
}

} // namespace pictaron
