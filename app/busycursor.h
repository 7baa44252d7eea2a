// The hourglass cursor behind the engine's BeginBusy/EndBusy. Calls may come
// from a run's worker thread; the cursor is always changed on the GUI thread.
#pragma once

#include "components/busy.h"

namespace pictaron {

class BusyCursor : public BusyIndicator {
public:
    void BeginBusy() override;
    void EndBusy() override;
};

} // namespace pictaron
