// The "Compare Formats" dialog: while the comparison works on a worker thread
// it shows its progress (Cancel or Escape stop it); then a table of the five
// formats — bytes, share of the original, SSIM, download time at the line
// chosen in the download-time list — from which the user picks one with a
// double-click or OK.
//
// Threading: every function on the GUI thread; the dialog waits for its
// worker before it goes.
#pragma once

#include "app/compareformats.h"
#include "app/queuedprogressview.h"

#include <QDialog>
#include <QFutureWatcher>

#include <memory>
#include <optional>

class QDialogButtonBox;
class QLabel;
class QProgressBar;
class QTableWidget;

namespace pictaron {

class CompareFormatsDialog : public QDialog {
    Q_OBJECT
public:
    // Starts comparing at once. originalSize is the original's file size (0
    // for a pasted picture).
    CompareFormatsDialog(const Bitmap& original, const Bitmap& alpha, const ConversionSettings& settings,
                         qint64 originalSize, const LineSpeed& speed, QWidget* parent = nullptr);
    ~CompareFormatsDialog() override;

    // The result of the row picked; empty until one is.
    const std::optional<EncodedResult>& Chosen() const { return chosen_; }

    void accept() override;
    void reject() override;

private:
    struct Outcome {
        std::vector<FormatComparison> entries;
        QString error;
        bool cancelled = false;
    };

    void ComparisonEnded();
    void FillTable(const std::vector<FormatComparison>& entries);
    // The entry of the selected row, when it has a result.
    const FormatComparison* SelectedEntry() const;

    OutputFormat current_;  // its row is picked at first, when it was made
    qint64 originalSize_;
    const LineSpeed& speed_;
    CancelFlag cancel_;
    std::unique_ptr<QueuedProgressView> view_;
    RunProgress progress_;
    QFutureWatcher<Outcome> watcher_;
    std::vector<FormatComparison> entries_;
    std::optional<EncodedResult> chosen_;

    QTableWidget* tblFormats = nullptr;
    QProgressBar* progressBar = nullptr;
    QLabel* lblMessage = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

} // namespace pictaron
