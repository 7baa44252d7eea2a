#include "components/busy.h"

#include <atomic>

namespace pictaron {

namespace {
std::atomic<BusyIndicator*> gIndicator{nullptr};
}

void SetBusyIndicator(BusyIndicator* indicator) { gIndicator.store(indicator); }

void BeginBusy()
{
    if (BusyIndicator* indicator = gIndicator.load())
        indicator->BeginBusy();
}

void EndBusy()
{
    if (BusyIndicator* indicator = gIndicator.load())
        indicator->EndBusy();
}

} // namespace pictaron
