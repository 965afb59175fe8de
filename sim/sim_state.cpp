#include "sim/sim_state.h"

#include <algorithm>

namespace vm::sim {

namespace {

// Channels the unit's own logic has on after power-up (ignition, lights, pumps, ...).
constexpr int kOnAtPowerUp[] = {1, 2, 4, 7, 12, 19, 21, 26, 30};
constexpr int kInputsOnAtPowerUp[] = {1, 3};
constexpr int kCanInputsOnAtPowerUp[] = {2, 17};

// Moves linearly from lo to hi and back once per period.
int Wave(long long ms, long long periodMs, int lo, int hi) {
    const long long half = periodMs / 2;
    long long t = ms % periodMs;
    if (t >= half) t = periodMs - t;
    return lo + static_cast<int>((hi - lo) * t / half);
}

std::uint8_t CountUp(std::uint8_t n) { return n == 0xFF ? n : static_cast<std::uint8_t>(n + 1); }

} // namespace

bool IsFaultCode(int code) {
    return code == fault::kNone || code == fault::kMinusShort || code == fault::kPlusShort ||
           code == fault::kOpen || code == fault::kOverload;
}

SimState::SimState() : clock([] { return std::chrono::steady_clock::now(); }), poweredUp(clock()) {
    for (int ch = 1; ch <= kChannelCount; ++ch) {
        // High-power loads of a few amps, low-power ones below an amp.
        channels_[ch].nominalTenths =
            static_cast<std::uint16_t>(ch <= kHighPowerChannels ? 25 + (ch * 17) % 60 : 2 + (ch * 5) % 8);
    }
    for (int ch : kOnAtPowerUp)
        channels_[ch].autoOn = channels_[ch].manualOn = true;
    for (int n : kInputsOnAtPowerUp)
        setInput(n, true);
    for (int n : kCanInputsOnAtPowerUp)
        setCanInput(n, true);
}

long long SimState::msSincePowerUp() const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(clock() - poweredUp).count();
    return std::max<long long>(ms, 0);
}

std::uint32_t SimState::secondsSincePowerUp() const {
    return static_cast<std::uint32_t>(msSincePowerUp() / 1000) & 0xFFFFFFu;
}

bool SimState::setFault(int channel, std::uint8_t code) {
    if (!ValidChannel(channel) || !IsFaultCode(code)) return false;
    Channel& c = channels_[channel];
    if (c.fault == fault::kNone && code != fault::kNone) {
        if (channel <= kHighPowerChannels)
            highPowerErrors_ = CountUp(highPowerErrors_);
        else
            lowPowerErrors_ = CountUp(lowPowerErrors_);
    }
    c.fault = code;
    return true;
}

std::uint8_t SimState::faultOf(int channel) const {
    return ValidChannel(channel) ? channels_[channel].fault : fault::kNone;
}

bool SimState::switchChannel(int channel, bool on) {
    if (!ValidChannel(channel) || mode_ != TestMode::Manual) return false;
    channels_[channel].manualOn = on;
    return true;
}

bool SimState::setTestMode(std::uint8_t mode) {
    if (mode > static_cast<std::uint8_t>(TestMode::Calibration)) return false;
    const auto next = static_cast<TestMode>(mode);
    // Manual test starts from what the outputs are and ends with them back under automatic control.
    if (next == TestMode::Manual && mode_ != TestMode::Manual)
        for (Channel& c : channels_)
            c.manualOn = c.autoOn;
    mode_ = next;
    return true;
}

ChannelReading SimState::channelAt(int channel, long long ms) const {
    ChannelReading r;
    if (!ValidChannel(channel)) return r;
    const Channel& c = channels_[channel];
    const bool manual = mode_ == TestMode::Manual;
    r.on = manual ? c.manualOn : c.autoOn;
    r.fault = c.fault;
    r.highlight = manual && c.manualOn != c.autoOn;
    if (r.on && c.fault == fault::kNone) {
        // Each load drifts within ±15 % at its own pace.
        const int percent = Wave(ms + channel * 1311LL, 7000 + 900LL * channel, 85, 115);
        r.currentTenths = static_cast<std::uint16_t>(c.nominalTenths * percent / 100);
    }
    return r;
}

ChannelReading SimState::channel(int channel) const { return channelAt(channel, msSincePowerUp()); }

LiveReading SimState::live() const {
    const long long ms = msSincePowerUp();
    LiveReading r;
    r.highPowerErrors = highPowerErrors_;
    r.lowPowerErrors = lowPowerErrors_;
    int total = 0;
    for (int ch = 1; ch <= kChannelCount; ++ch)
        total += channelAt(ch, ms).currentTenths;
    r.totalCurrentTenths = static_cast<std::uint16_t>(std::min(total, 0xFFFF));
    r.batteryTenths = static_cast<std::uint8_t>(Wave(ms, 40'000, 125, 142));
    r.temperature = static_cast<std::uint8_t>(Wave(ms + 30'000, 240'000, 25, 45));
    return r;
}

void SimState::noteLive(const LiveReading& live) {
    maxCurrentTenths_ = std::max(maxCurrentTenths_, live.totalCurrentTenths);
    maxTemperature_ = std::max(maxTemperature_, live.temperature);
}

void SimState::reboot() {
    poweredUp = clock();
    setTestMode(static_cast<std::uint8_t>(TestMode::Auto));
    maxCurrentTenths_ = 0;
    maxTemperature_ = 0;
    canMonitor.setOn(false, clock()); // a restarted unit does not stream
}

bool SimState::setInput(int input, bool on) {
    if (input < 1 || input > kInputCount) return false;
    const auto bit = static_cast<std::uint16_t>(1u << (input - 1));
    inputs_ = on ? (inputs_ | bit) : (inputs_ & ~bit);
    return true;
}

bool SimState::setCanInput(int input, bool on) {
    if (input < 1 || input > kCanInputCount) return false;
    const std::uint32_t bit = 1u << (input - 1);
    canInputs_ = on ? (canInputs_ | bit) : (canInputs_ & ~bit);
    return true;
}

bool SimState::inputOn(int input) const {
    return input >= 1 && input <= kInputCount && (inputs_ >> (input - 1)) & 1u;
}

bool SimState::canInputOn(int input) const {
    return input >= 1 && input <= kCanInputCount && (canInputs_ >> (input - 1)) & 1u;
}

} // namespace vm::sim
