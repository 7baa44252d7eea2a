// What a codec in a module sees of its run: the cancel flag and the progress
// bar, behind virtual calls. The program exports none of its own functions,
// so a module reaches the engine's progress only through an object the
// engine made (StepCodecProgress in stepprogress.h).
#pragma once

namespace pictaron {

class CodecProgress {
public:
    virtual bool IsCancelled() const = 0;
    // Moves the bar to percent of the step; throws what the progress view
    // throws.
    virtual void Report(int percent) = 0;

protected:
    ~CodecProgress() = default;
};

} // namespace pictaron
