#pragma once
// The unit session as a service command uses it: no poll and no keep-alive,
// so nothing goes on the wire but what the command asks for.
#include "session/unit_session.h"

#include <functional>
#include <iosfwd>

namespace vm::cli {

class CliLink;

// Runs the event loop until pred holds or ms pass; true when it holds.
bool RunEventsUntil(const std::function<bool()>& pred, int ms);
// Feeds the unit session what the link receives and tells it of the link's losses.
void ConnectSession(CliLink& link, UnitSession& unit);

class ServiceRun {
public:
    explicit ServiceRun(CliLink& link);

    UnitSession& unit() { return unit_; }
    // Runs the event loop until pred holds or ms pass; true when it holds.
    bool RunUntil(const std::function<bool()>& pred, int ms);
    // Lets every queued frame reach the wire.
    void Drain();

private:
    CliLink& link_;
    UnitSession unit_;
};

} // namespace vm::cli
