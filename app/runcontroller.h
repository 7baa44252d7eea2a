// Runs conversions off the GUI thread, one at a time.
//
// Start() begins a run on a worker thread, or, while one is running, remembers
// the request and starts it when the current run ends (a newer request replaces
// an older waiting one). Runs therefore never overlap or nest. Progress arrives
// as queued signals; every run ends with exactly one of Succeeded, Failed or
// Cancelled, followed by Finished.
//
// Threading: all public functions and all signals are on the GUI thread.
#pragma once

#include "app/conversionsettings.h"
#include "app/queuedprogressview.h"
#include "app/runcontext.h"

#include <QFutureWatcher>
#include "effects/bitmap.h"
#include <QObject>

#include <memory>
#include <optional>

namespace pictaron {

class RunController : public QObject {
    Q_OBJECT
public:
    explicit RunController(QString workFile, QObject* parent = nullptr);
    ~RunController() override;

    // alpha: the original's transparency, null when it has none.
    void Start(const Bitmap& original, const Bitmap& alpha, const ConversionSettings& settings);
    // Ends the current run silently and drops a waiting request.
    void Cancel();
    bool IsRunning() const { return watcher_.isRunning(); }
    // Blocks until the current run has ended (for closing the window).
    void WaitForFinished();

signals:
    void Started();
    void ProgressChanged(const QString& text, int percent);
    void Succeeded(const pictaron::EncodedResult& result);
    void Failed(const QString& message);
    void Cancelled();
    void Finished();

private:
    struct Request {
        Bitmap original;
        Bitmap alpha;
        ConversionSettings settings;
    };
    struct Outcome {
        std::optional<EncodedResult> result;
        QString error;
        bool cancelled = false;
    };

    void Launch(Request request);
    void OnRunEnded();

    QString workFile_;
    CancelFlag cancel_;
    std::unique_ptr<QueuedProgressView> bridge_;
    QFutureWatcher<Outcome> watcher_;
    std::optional<Request> waiting_;
};

} // namespace pictaron
