#include "cli/cli_session.h"

#include "cli/cli_link.h"
#include "cli/service_run.h"
#include "link/usb_thread.h"

namespace vm::cli {

CliSession::CliSession(CliLink& link, std::ostream& err, ConfigWorkflow::Policy policy)
    : link_(link), unit_(link.link(), nullptr), prompt_(err), wait_(prompt_), policy_(policy) {
    ConnectSession(link, unit_);
    poll_.setInterval(UnitSession::kPollMs);
    keepAlive_.setInterval(UnitSession::kKeepAliveMs);
    QObject::connect(&poll_, &QTimer::timeout, &unit_, &UnitSession::PollTick);
    QObject::connect(&keepAlive_, &QTimer::timeout, &unit_, &UnitSession::KeepAliveTick);
    poll_.start();
    keepAlive_.start();
    wait_.beforeVersionCheck = [this] { unit_.KeepAliveTick(); }; // ask at once rather than at the next tick
}

CliSession::~CliSession() = default;

ConfigWorkflow& CliSession::workflow() {
    if (!workflow_) workflow_ = std::make_unique<ConfigWorkflow>(unit_, store_, prompt_, wait_, policy_);
    return *workflow_;
}

bool CliSession::RunUntil(const std::function<bool()>& pred, int ms) { return RunEventsUntil(pred, ms); }

void CliSession::Drain() {
    RunUntil([this] { return link_.link().pendingFrames() == 0; }, 2000);
    RunUntil([] { return false; }, 50); // the last frame leaves the port's buffer
}

} // namespace vm::cli
