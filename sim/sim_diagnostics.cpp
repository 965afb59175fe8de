#include "sim/sim_diagnostics.h"

#include <algorithm>

namespace vm::sim {

namespace {
std::uint8_t Count(int n) { return static_cast<std::uint8_t>(std::clamp(n, 0, 15)); }
constexpr int kMaxBurst = 64; // frames one tick may make up after a stall
} // namespace

bool SimDiagnostics::setShorts(int channel, int count) {
    if (channel >= 1 && channel <= kHighPower)
        high[std::size_t(channel - 1)].shortCircuits = Count(count);
    else if (channel > kHighPower && channel <= kHighPower + kLowPower)
        lowShorts[std::size_t(channel - kHighPower - 1)] = Count(count);
    else
        return false;
    return true;
}

bool SimDiagnostics::setTrips(int channel, int count, int level) {
    if (channel < 1 || channel > kHighPower) return false;
    high[std::size_t(channel - 1)].trips = Count(count);
    high[std::size_t(channel - 1)].tripLevel = static_cast<std::uint8_t>(std::clamp(level, 0, 255));
    return true;
}

bool SimDiagnostics::setLowCurrents(int channel, int count) {
    if (channel < 1 || channel > kHighPower) return false;
    high[std::size_t(channel - 1)].lowCurrents = Count(count);
    return true;
}

std::vector<std::uint8_t> SimDiagnostics::highPowerPayload() const {
    std::vector<std::uint8_t> p(3 * kHighPower, 0);
    for (int i = 0; i < kHighPower; ++i) {
        const HighPower& h = high[std::size_t(i)];
        p[std::size_t(i)] = static_cast<std::uint8_t>((h.trips << 4) | h.shortCircuits);
        p[std::size_t(kHighPower + i)] = h.tripLevel;
        p[std::size_t(2 * kHighPower + i)] = h.lowCurrents;
    }
    return p;
}

std::vector<std::uint8_t> SimDiagnostics::lowPowerPayload() const {
    return {lowShorts.begin(), lowShorts.end()};
}

SimCanMonitor::SimCanMonitor() {
    // What a vehicle bus might carry: an engine speed, a door, a switch panel.
    frames_ = {{0x1A0, {0x01, 0xFE}},
               {0x2F1, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80}},
               {0x005, {}},
               {0x7FF, {0xC0, 0xDB}}};
}

void SimCanMonitor::setOn(bool on, Time now) {
    if (on && !on_) due_ = now;
    on_ = on;
}

void SimCanMonitor::setFrames(std::vector<SimCanFrame> frames) {
    for (SimCanFrame& f : frames)
        if (f.data.size() > 8) f.data.resize(8);
    frames_ = std::move(frames);
    next_ = 0;
}

std::chrono::nanoseconds SimCanMonitor::period(const SimCanFrame& next) const {
    if (intervalMs_ > 0) return std::chrono::nanoseconds(static_cast<long long>(intervalMs_ * 1e6));
    // Back to back: the frame's bytes at 38400 baud (7 + data, the framing and a
    // few escapes), so the line is kept full without running ahead of it.
    const long long bytes = 2 + 7 + static_cast<long long>(next.data.size()) + 1;
    return std::chrono::nanoseconds(bytes * 260'417);
}

std::vector<SimCanFrame> SimCanMonitor::due(Time now) {
    std::vector<SimCanFrame> out;
    if (!on_ || frames_.empty()) return out;
    while (due_ <= now && int(out.size()) < kMaxBurst) {
        const SimCanFrame& f = frames_[next_];
        out.push_back(f);
        due_ += period(f);
        next_ = (next_ + 1) % frames_.size();
        ++sent_;
    }
    if (due_ <= now) due_ = now; // behind by more than a burst: start over from now
    return out;
}

std::optional<SimCanMonitor::Time> SimCanMonitor::nextDue() const {
    if (!on_ || frames_.empty()) return std::nullopt;
    return due_;
}

} // namespace vm::sim
