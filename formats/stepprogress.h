// The progress bar around an encoder step.
#pragma once

#include "app/progress.h"

#include <QString>

namespace pictaron {

// Leaves the bar empty and captionless however the step ends.
class StepProgressReset {
public:
    explicit StepProgressReset(RunProgress& progress) : progress_(progress) {}
    ~StepProgressReset()
    {
        progress_.ReportProgress(QString(), 0, 100);
        progress_.SetStatus(QString());
    }
    StepProgressReset(const StepProgressReset&) = delete;
    StepProgressReset& operator=(const StepProgressReset&) = delete;

private:
    RunProgress& progress_;
};

} // namespace pictaron
