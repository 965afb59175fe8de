#pragma once
// The window's core without the window: the unit session with its poll and
// keep-alive timers, the configuration store and the transfer, and the two
// modal waits (version gate, wait window) as event loops.
#include "session/config_transfer.h"
#include "session/unit_session.h"
#include "config/config_store.h"

#include <QTimer>
#include <functional>
#include <iosfwd>
#include <memory>

namespace vm::cli {

class CliLink;

class CliSession {
public:
    explicit CliSession(CliLink& link);
    ~CliSession();

    UnitSession& unit() { return unit_; }
    ConfigStore& store() { return store_; }
    // Created on first use, so answers that arrive before are not taken as
    // steps of a chain.
    ConfigTransfer& transfer();

    // The version gate; prints the reason and returns false when it refuses.
    bool CheckVersion(std::ostream& err);
    // Runs the wait window's clock with the transfer flag set until done()
    // is signalled or the wait times out (prints " Update timeout ").
    bool Wait(const std::function<void(std::function<void()> done)>& arm, std::ostream& err);
    // Runs the event loop until pred holds or ms pass.
    bool RunUntil(const std::function<bool()>& pred, int ms);
    // Lets every queued frame reach the wire.
    void Drain();

private:
    CliLink& link_;
    UnitSession unit_;
    ConfigStore store_;
    std::unique_ptr<ConfigTransfer> transfer_;
    QTimer poll_;
    QTimer keepAlive_;
};

} // namespace vm::cli
