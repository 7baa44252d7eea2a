// The report: the info labels above both views and the download-time list.
// The texts themselves are built in report.cpp; this file fits them to the
// labels and fills the list.
#include "app/mainwindow.h"

#include "app/downloadtimelist.h"
#include "app/infolabel.h"
#include "app/pictureview.h"
#include "app/report.h"
#include "components/fittext.h"
#include "components/qtbridge.h"
#include "components/textutils.h"

#include <QComboBox>

namespace pictaron {

namespace {
const QString kLineBreak = QStringLiteral("\r\n");
}

void TfrmPictaron::ShowResultReport(qint64 size, const std::string& description)
{
    const QFontMetrics metrics = lblDestInfo->fontMetrics();
    const ResultInfo info = BuildResultInfo(
        size, description.empty() ? DescribePicture(imgDest->Picture()) : description, originalSize,
        ToUtf8(resultFileName), changed,
        [this, &metrics](const std::string& line) {
            return ToUtf8(FitTextToWidth(ToQString(line), lblDestInfo->width() - 2, metrics));
        },
        resultNotes);
    // The long text only when it fits the label on one line.
    const QString longText = ToQString(info.longText);
    QString oneLine = longText;
    oneLine.remove(kLineBreak);
    lblDestInfo->SetHint(metrics.horizontalAdvance(oneLine) < lblDestInfo->width() ? longText
                                                                                   : ToQString(info.shortText));
    FitInfoLabel(lblDestInfo);
    resultSize = size;
    RefreshDownloadTimes(true);
}

void TfrmPictaron::FitInfoLabel(InfoLabel* label)
{
    const QString line1 = TextBefore(label->Hint(), kLineBreak, true);
    const QString line2 = TextAfter(label->Hint(), kLineBreak, true);
    // The zoom list stands at the right end of the result label's row.
    const int available = label == lblDestInfo ? label->width() - cmbZoom->width() - 10 : label->width() - 2;
    const QFontMetrics metrics = label->fontMetrics();
    label->SetCaption(FitTextToWidth(line1, available, metrics) + kLineBreak
                      + FitTextToWidth(line2, available, metrics));
}

void TfrmPictaron::RefreshDownloadTimes(bool showNew)
{
    const int selected = cmbDownloadTime->currentIndex();
    cmbDownloadTime->clear();
    cmbDownloadTime->addItems(
        ToQStringList(DownloadTimeItems(originalSize, resultSize, showNew, mnuOptionsTodaysLines->isChecked())));
    cmbDownloadTime->setCurrentIndex(selected);
}

} // namespace pictaron
