#include "app/progress.h"

#include "components/errors.h"

#include <algorithm>
#include <cmath>

namespace pictaron {

void RunProgress::SetStatus(const std::string& text)
{
    if (text == text_)
        return;
    text_ = text;
    Refresh(true);
}

void RunProgress::ReportProgress(const std::string& text, int done, int total)
{
    bool textChanged = false;
    if (!text.empty() && text != text_) {
        text_ = text;
        textChanged = true;
    }
    if (total >= 0)
        total_ = static_cast<std::uint16_t>(total);
    const int step = std::max(1, total / 10);
    if (done % step == 0)
        done_ = static_cast<std::uint16_t>(done);
    Refresh(textChanged);
}

void RunProgress::Refresh(bool textChanged)
{
    const int completed = std::min<int>(done_, total_);
    const int percent = total_ == 0 ? 0 : static_cast<int>(std::lround(100.0 * completed / total_));
    if (!textChanged && percent == percent_)
        return;
    percent_ = percent;
    if (view_)
        view_->ProgressChanged(text_, percent_);
}

void CancelFlag::ThrowIfCancelled() const
{
    if (IsCancelled())
        throw RunCancelled();
}

} // namespace pictaron
