#include "session/can_monitor_control.h"

namespace vm {

CanMonitorControl::CanMonitorControl(UnitSession& unit, QObject* parent) : QObject(parent), unit_(unit) {
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    connect(&pause_, &QTimer::timeout, this, &CanMonitorControl::PauseEnded);
}

void CanMonitorControl::send(bool on) { unit_.Send(CanMonitorSetPacket(on)); }

bool CanMonitorControl::SetEnabled(bool on) {
    if (on && !unit_.state().connected) on = false; // a state the unit does not have is not shown
    else if (on || enabled_) send(on);
    if (on != enabled_) {
        enabled_ = on;
        Q_EMIT enabledChanged(on);
    }
    return enabled_;
}

bool CanMonitorControl::SwitchOffThen(std::function<void()> then) {
    if (pause_.isActive()) return false;
    if (!enabled_) {
        if (then) then();
        return true;
    }
    SetEnabled(false);
    then_ = std::move(then);
    pause_.start();
    return true;
}

void CanMonitorControl::PauseEnded() {
    auto then = std::move(then_);
    then_ = nullptr;
    if (then) then();
}

void CanMonitorControl::SwitchOffNow() {
    if (enabled_) SetEnabled(false);
}

} // namespace vm
