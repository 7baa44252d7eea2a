// The busy cursor. The engine says when it is busy; the GUI decides what that
// looks like (an hourglass cursor). Without an installed indicator, as on the
// command line, both calls do nothing. Calls nest.
#pragma once

namespace pictaron {

class BusyIndicator {
public:
    virtual ~BusyIndicator() = default;
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
};

// The indicator is owned by the caller and must outlive every run.
void SetBusyIndicator(BusyIndicator* indicator);
void BeginBusy();
void EndBusy();

// BeginBusy for the life of a scope; EndBusy also when an exception passes.
class BusyScope {
public:
    BusyScope() { BeginBusy(); }
    ~BusyScope() { EndBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

} // namespace pictaron
