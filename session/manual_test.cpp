#include "session/manual_test.h"

#include "protocol/message_catalogue.h"

namespace vm {

LinkPacket ChannelSwitchPacket(int channel, bool on) {
    return LinkPacket::make(kGroupApp, msg::CHANNEL_SWITCH,
                            {static_cast<std::uint8_t>(channel), on ? kChannelOn : kChannelOff, 0xFF, 0xFF, 0xFF,
                             0xFF, 0xFF, 0xFF});
}

ManualTest::ManualTest(UnitSession& unit, QObject* parent) : QObject(parent), unit_(unit) {
    sweep_.setInterval(kSweepStepMs);
    connect(&sweep_, &QTimer::timeout, this, &ManualTest::SweepStep);
    // Leaving manual test ends a sweep and forgets the presses behind it.
    connect(&unit_, &UnitSession::testModeChanged, this, [this](TestMode mode) {
        if (mode != TestMode::Manual) stop();
    });
}

bool ManualTest::SwitchChannel(int channel, bool on) {
    if (channel < 1 || channel > kChannels) return false;
    if (unit_.testMode() != TestMode::Manual || !unit_.state().connected) return false;
    unit_.Send(ChannelSwitchPacket(channel, on));
    return true;
}

void ManualTest::ToggleAll() {
    if (unit_.testMode() != TestMode::Manual) return;
    if (sweep_.isActive()) {
        if (queued_ < kMaxQueuedSweeps) ++queued_;
        return;
    }
    next_ = 1;
    sweep_.start(); // the first channel goes 25 ms after the press
}

void ManualTest::SweepStep() {
    if (next_ > kChannels) return;
    SwitchChannel(next_, allOn_);
    if (++next_ <= kChannels) return;
    allOn_ = !allOn_;
    if (queued_ > 0) {
        --queued_;
        next_ = 1;
        return; // the timer runs on into the next sweep
    }
    sweep_.stop();
}

void ManualTest::stop() {
    sweep_.stop();
    queued_ = 0;
    next_ = 1;
}

} // namespace vm
