#include "app/runcontroller.h"
#include "components/qtbridge.h"

#include "app/conversion.h"
#include "components/errors.h"

#include <QtConcurrent/QtConcurrentRun>

namespace pictaron {

RunController::RunController(QString workFile, QObject* parent)
    : QObject(parent), workFile_(std::move(workFile)), bridge_(std::make_unique<QueuedProgressView>(
                                                           this, [this](const QString& text, int percent) {
                                                               emit ProgressChanged(text, percent);
                                                           }))
{
    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, &RunController::OnRunEnded);
}

RunController::~RunController()
{
    cancel_.Cancel();
    WaitForFinished();
}

void RunController::Start(const Bitmap& original, const Bitmap& alpha, const ConversionSettings& settings)
{
    Request request{original, alpha, settings};
    if (IsRunning()) {
        waiting_ = std::move(request);
        return;
    }
    Launch(std::move(request));
}

void RunController::Cancel()
{
    waiting_.reset();
    if (IsRunning())
        cancel_.Cancel();
}

void RunController::WaitForFinished()
{
    watcher_.waitForFinished();
}

void RunController::Launch(Request request)
{
    cancel_.Reset();
    watcher_.setFuture(QtConcurrent::run([this, request = std::move(request)]() -> Outcome {
        RunProgress progress(bridge_.get());
        RunContext context{progress, cancel_, ToUtf8(workFile_)};
        Outcome outcome;
        try {
            outcome.result = RunConversion(request.original, request.settings, context, request.alpha);
        } catch (const RunCancelled&) {
            outcome.cancelled = true;
        } catch (const PictaronError& error) {
            outcome.error = ToQString(error.message());
        } catch (const std::bad_alloc&) {
            outcome.error = QStringLiteral("There is not enough memory to finish this picture.");
        }
        return outcome;
    }));
    // After the future is set, so that IsRunning() holds for the listeners.
    emit Started();
}

void RunController::OnRunEnded()
{
    const Outcome outcome = watcher_.result();
    if (outcome.result)
        emit Succeeded(*outcome.result);
    else if (outcome.cancelled)
        emit Cancelled();
    else
        emit Failed(outcome.error);
    emit Finished();

    if (waiting_) {
        Request next = std::move(*waiting_);
        waiting_.reset();
        Launch(std::move(next));
    }
}

} // namespace pictaron
