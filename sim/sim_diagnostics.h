#pragma once
// The unit's fault counters and its CAN monitor: what DIAG_READ, DIAG_NEXT
// and DIAG_CLEAR answer, and the CAN frames it reports while the monitor is on.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace vm::sim {

struct SimDiagnostics {
    static constexpr int kHighPower = 18;
    static constexpr int kLowPower = 16;

    struct HighPower {
        std::uint8_t shortCircuits = 0; // 4 bits each, 15 means 15 or more
        std::uint8_t trips = 0;
        std::uint8_t tripLevel = 0; // 0.4 A units
        std::uint8_t lowCurrents = 0;
    };
    std::array<HighPower, kHighPower> high{};
    std::array<std::uint8_t, kLowPower> lowShorts{};

    // Channel 1..34; counts above 15 are kept as 15. False outside.
    bool setShorts(int channel, int count);
    bool setTrips(int channel, int count, int levelTenthsOf04A);
    bool setLowCurrents(int channel, int count);
    void clear() { *this = SimDiagnostics{}; }
    // DIAG_HIGH_POWER payload (54 bytes) and DIAG_LOW_POWER payload (16 bytes).
    std::vector<std::uint8_t> highPowerPayload() const;
    std::vector<std::uint8_t> lowPowerPayload() const;
};

struct SimCanFrame {
    std::uint16_t id = 0;
    std::vector<std::uint8_t> data; // at most 8
};

class SimCanMonitor {
public:
    using Time = std::chrono::steady_clock::time_point;
    // The wire's full rate: as many frames as 38400 baud carries.
    static constexpr double kFullRate = 0;

    SimCanMonitor();

    void setOn(bool on, Time now);
    bool on() const { return on_; }
    // Milliseconds between frames; kFullRate for back to back.
    void setIntervalMs(double ms) { intervalMs_ = ms < 0 ? 0 : ms; }
    double intervalMs() const { return intervalMs_; }
    void setFrames(std::vector<SimCanFrame> frames);
    // The frames due by now, at most a burst's worth; each is a full packet payload.
    std::vector<SimCanFrame> due(Time now);
    std::optional<Time> nextDue() const;
    long long framesSent() const { return sent_; }

private:
    std::chrono::nanoseconds period(const SimCanFrame& next) const;

    bool on_ = false;
    double intervalMs_ = 100;
    std::vector<SimCanFrame> frames_;
    std::size_t next_ = 0;
    Time due_{};
    long long sent_ = 0;
};

} // namespace vm::sim
