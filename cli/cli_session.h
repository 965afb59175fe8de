#pragma once
// The window's core without the window: the unit session with its poll and
// keep-alive timers, the configuration store, and the configuration workflow
// waiting in event loops.
#include "cli/cli_prompt.h"
#include "config/config_store.h"
#include "session/config_workflow.h"
#include "session/event_loop_wait.h"
#include "session/unit_session.h"

#include <QTimer>
#include <functional>
#include <iosfwd>
#include <memory>

namespace vm::cli {

class CliLink;

class CliSession {
public:
    CliSession(CliLink& link, std::ostream& err, ConfigWorkflow::Policy policy = {false, false, true});
    ~CliSession();

    UnitSession& unit() { return unit_; }
    ConfigStore& store() { return store_; }
    CliPrompt& prompt() { return prompt_; }
    // Created on first use, so answers that arrive before are not taken as
    // steps of a chain.
    ConfigWorkflow& workflow();

    // Runs the event loop until pred holds or ms pass.
    bool RunUntil(const std::function<bool()>& pred, int ms);
    // Lets every queued frame reach the wire.
    void Drain();

private:
    CliLink& link_;
    UnitSession unit_;
    ConfigStore store_;
    CliPrompt prompt_;
    EventLoopWait wait_;
    ConfigWorkflow::Policy policy_;
    std::unique_ptr<ConfigWorkflow> workflow_;
    QTimer poll_;
    QTimer keepAlive_;
};

} // namespace vm::cli
