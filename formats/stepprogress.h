// The progress bar around an encoder step.
#pragma once

#include "app/progress.h"
#include "formats/codecprogress.h"

#include <string>
#include <utility>

namespace pictaron {

// Leaves the bar empty and captionless however the step ends.
class StepProgressReset {
public:
    explicit StepProgressReset(RunProgress& progress) : progress_(progress) {}
    ~StepProgressReset()
    {
        progress_.ReportProgress({}, 0, 100);
        progress_.SetStatus({});
    }
    StepProgressReset(const StepProgressReset&) = delete;
    StepProgressReset& operator=(const StepProgressReset&) = delete;

private:
    RunProgress& progress_;
};

// A step's progress as a codec in a module reports it: the bar under the
// step's caption, and the run's cancel flag.
class StepCodecProgress final : public CodecProgress {
public:
    StepCodecProgress(RunProgress& progress, const CancelFlag& cancel, std::string status)
        : progress_(progress), cancel_(cancel), status_(std::move(status))
    {
    }
    bool IsCancelled() const override { return cancel_.IsCancelled(); }
    void Report(int percent) override { progress_.ReportProgress(status_, percent, -1); }

private:
    RunProgress& progress_;
    const CancelFlag& cancel_;
    std::string status_;
};

} // namespace pictaron
