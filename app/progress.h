// Progress and cancellation of a run.
//
// RunProgress is the model behind the progress bar that stands in for the
// download-time list while a run works. Long passes call ReportProgress once per
// row; the throttling rules below keep that nearly free: the bar takes a new
// value only when done is a multiple of max(1, total div 10), and the view hears
// of a change only when the text or the shown percentage changes.
//
// The bar's counts are 16-bit like the control they model; a larger total wraps.
//
// Threading: a run calls these from its worker thread; the view implementation
// must forward to the GUI thread itself (the window's QueuedProgressView,
// app/queuedprogressview.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace pictaron {

class ProgressView {
public:
    virtual ~ProgressView() = default;
    // The caption text or the percentage shown has changed.
    virtual void ProgressChanged(const std::string& text, int percent) = 0;
};

class RunProgress {
public:
    explicit RunProgress(ProgressView* view = nullptr) : view_(view) {}

    // Puts the name of the current step into the bar; an empty text clears it.
    void SetStatus(const std::string& text);
    // text may be empty (keeps the caption); total -1 keeps the current total.
    void ReportProgress(const std::string& text, int done, int total);

    const std::string& text() const { return text_; }
    int total() const { return total_; }
    int done() const { return done_; }
    int percent() const { return percent_; }

private:
    void Refresh(bool textChanged);

    ProgressView* view_;
    std::string text_;
    std::uint16_t total_ = 100;
    std::uint16_t done_ = 0;
    int percent_ = 0;
};

// Set from the GUI thread (Escape, closing the window), tested by long passes
// once per row.
class CancelFlag {
public:
    void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    void Reset() { cancelled_.store(false, std::memory_order_relaxed); }
    bool IsCancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    // Ends the run silently when cancelled.
    void ThrowIfCancelled() const;

private:
    std::atomic<bool> cancelled_{false};
};

} // namespace pictaron
