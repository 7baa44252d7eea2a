#include "app/compareformatsdialog.h"
#include "components/qtbridge.h"

#include "app/outputformat.h"
#include "components/errors.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace pictaron {

CompareFormatsDialog::CompareFormatsDialog(const Bitmap& original, const Bitmap& alpha,
                                           const ConversionSettings& settings, qint64 originalSize,
                                           const LineSpeed& speed, QWidget* parent)
    : QDialog(parent),
      current_(settings.format),
      originalSize_(originalSize),
      speed_(speed),
      view_(std::make_unique<QueuedProgressView>(this,
                                                 [this](const QString& text, int percent) {
                                                     progressBar->setFormat(text);
                                                     progressBar->setValue(percent);
                                                 })),
      progress_(view_.get())
{
    setObjectName(QStringLiteral("frmCompareFormats"));
    setWindowTitle(QStringLiteral("Compare Formats"));
    auto* layout = new QVBoxLayout(this);

    const QStringList header = ComparisonHeader(speed);
    tblFormats = new QTableWidget(0, static_cast<int>(header.size()), this);
    tblFormats->setObjectName(QStringLiteral("tblFormats"));
    tblFormats->setHorizontalHeaderLabels(header);
    tblFormats->verticalHeader()->hide();
    tblFormats->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblFormats->setSelectionMode(QAbstractItemView::SingleSelection);
    tblFormats->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFormats->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblFormats->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(tblFormats);

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, 100);
    progressBar->setAlignment(Qt::AlignCenter);
    layout->addWidget(progressBar);
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->hide();
    layout->addWidget(lblMessage);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CompareFormatsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CompareFormatsDialog::reject);
    connect(tblFormats, &QTableWidget::itemSelectionChanged, this,
            [this] { buttons->button(QDialogButtonBox::Ok)->setEnabled(SelectedEntry() != nullptr); });
    connect(tblFormats, &QTableWidget::cellDoubleClicked, this, [this] {
        if (SelectedEntry())
            accept();
    });

    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, &CompareFormatsDialog::ComparisonEnded);
    watcher_.setFuture(QtConcurrent::run([this, original, alpha, settings]() -> Outcome {
        RunContext context{progress_, cancel_, std::string()};
        Outcome outcome;
        try {
            outcome.entries = CompareFormats(original, alpha, settings, context);
        } catch (const RunCancelled&) {
            outcome.cancelled = true;
        } catch (const PictaronError& error) {
            outcome.error = ToQString(error.message());
        } catch (const std::bad_alloc&) {
            outcome.error = QStringLiteral("There is not enough memory to finish this picture.");
        }
        return outcome;
    }));
    resize(440, sizeHint().height());
}

CompareFormatsDialog::~CompareFormatsDialog()
{
    cancel_.Cancel();
    watcher_.waitForFinished();
}

void CompareFormatsDialog::ComparisonEnded()
{
    Outcome outcome = watcher_.result();
    progressBar->hide();
    if (outcome.cancelled)
        return;
    if (!outcome.error.isEmpty()) {
        lblMessage->setText(outcome.error);
        lblMessage->show();
        return;
    }
    entries_ = std::move(outcome.entries);
    FillTable(entries_);
}

void CompareFormatsDialog::FillTable(const std::vector<FormatComparison>& entries)
{
    tblFormats->setRowCount(static_cast<int>(entries.size()));
    int preferred = -1;
    for (int row = 0; row < tblFormats->rowCount(); ++row) {
        const FormatComparison& entry = entries[static_cast<size_t>(row)];
        const QStringList texts = ComparisonRow(entry, originalSize_, speed_);
        for (int column = 0; column < texts.size(); ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            // Numbers line up on the right; a format that could not be made
            // says why and cannot be picked.
            if (column > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!entry.result) {
                item->setFlags(Qt::NoItemFlags);
                item->setToolTip(entry.error);
            }
            tblFormats->setItem(row, column, item);
        }
        if (entry.result && (preferred < 0 || entry.format == current_))
            preferred = row;
    }
    if (preferred >= 0)
        tblFormats->selectRow(preferred);
    tblFormats->setFocus();
}

const FormatComparison* CompareFormatsDialog::SelectedEntry() const
{
    const QList<QTableWidgetItem*> selected = tblFormats->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    const auto row = static_cast<size_t>(selected.first()->row());
    return row < entries_.size() && entries_[row].result ? &entries_[row] : nullptr;
}

void CompareFormatsDialog::accept()
{
    const FormatComparison* entry = SelectedEntry();
    if (!entry)
        return;
    chosen_ = entry->result;
    QDialog::accept();
}

void CompareFormatsDialog::reject()
{
    cancel_.Cancel();
    QDialog::reject();
}

} // namespace pictaron
