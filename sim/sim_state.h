#pragma once
// What the simulated unit remembers between messages. Handlers read and change
// it; it grows with the messages the unit answers (configuration image, EEPROM,
// error log, ...).
//
// Live values are a function of the clock, so everything read at one moment
// agrees (the total current is the sum of the channel currents) and tests can
// stop time.
#include "sim/sim_config.h"
#include "sim/sim_diagnostics.h"
#include "sim/sim_firmware.h"
#include "sim/sim_service_data.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace vm::sim {

using SimClock = std::function<std::chrono::steady_clock::time_point()>;

constexpr int kChannelCount = 34;
constexpr int kHighPowerChannels = 18; // 1..18; 19..34 are low power
constexpr int kInputCount = 11;
constexpr int kCanInputCount = 32;

enum class TestMode : std::uint8_t { Auto = 0, Manual = 1, Calibration = 2 };

// Channel fault codes as CHANNEL_STATE carries them.
namespace fault {
constexpr std::uint8_t kNone = 0;
constexpr std::uint8_t kMinusShort = 1;
constexpr std::uint8_t kPlusShort = 2;
constexpr std::uint8_t kOpen = 4;
constexpr std::uint8_t kOverload = 8;
} // namespace fault

bool IsFaultCode(int code); // 0, 1, 2, 4 or 8

struct ChannelReading {
    bool on = false;
    std::uint8_t fault = fault::kNone;
    std::uint16_t currentTenths = 0;
    bool highlight = false; // manual test holds it away from its automatic state
};

struct LiveReading {
    std::uint8_t highPowerErrors = 0;
    std::uint8_t lowPowerErrors = 0;
    std::uint16_t totalCurrentTenths = 0;
    std::uint8_t batteryTenths = 0; // 125..142
    std::uint8_t temperature = 0;   // °C, 25..45
};

struct SimState {
    SimState();

    std::string version;                             // software version text (STATUS)
    SimClock clock;                                  // injectable for tests
    std::chrono::steady_clock::time_point poweredUp; // when the unit was created

    // Whole seconds since power-up, as the 24-bit counter in STATUS carries them.
    std::uint32_t secondsSincePowerUp() const;

    // Channels 1..34. Out-of-range channels or codes are refused (false).
    bool setFault(int channel, std::uint8_t code); // code 0 clears
    std::uint8_t faultOf(int channel) const;
    // Only in manual test; false (and nothing changes) otherwise.
    bool switchChannel(int channel, bool on);
    ChannelReading channel(int channel) const; // at the clock's present moment
    LiveReading live() const;                  // at the clock's present moment

    // Inputs 1..11 and CAN inputs 1..32.
    bool setInput(int input, bool on);
    bool setCanInput(int input, bool on);
    bool inputOn(int input) const;
    bool canInputOn(int input) const;
    std::uint16_t inputBits() const { return inputs_; }       // bit 0 = input 1
    std::uint32_t canInputBits() const { return canInputs_; } // bit 0 = CAN input 1

    // Leaving manual test puts every channel back to its automatic state.
    bool setTestMode(std::uint8_t mode); // false for an unknown mode
    TestMode testMode() const { return mode_; }

    // Running maxima since power-up of what the live values showed.
    void noteLive(const LiveReading& live);
    std::uint16_t maxCurrentTenths() const { return maxCurrentTenths_; }
    std::uint8_t maxTemperature() const { return maxTemperature_; }
    std::uint8_t watchdogCount = 0;

    // The configuration image, block by block in wire layout (sim_config.h).
    SimConfig config;
    // Stored payload (positions 4..) of a block: writeCommand is the block's
    // write code (msg::OUTPUT_CFG_WRITE, ...), index its wire index (inputs and
    // channels from 1, CAN rules, virtual inputs, flash and exports 2..4 from 0,
    // unindexed blocks 0). Empty for an unknown code or index.
    ConfigBytes configBlock(std::uint8_t writeCommand, int index) const {
        return config.block(writeCommand, index);
    }
    bool setConfigBlock(std::uint8_t writeCommand, int index, std::span<const std::uint8_t> payload) {
        return config.setBlock(writeCommand, index, payload);
    }

    // Fault counters and the CAN monitor stream.
    SimDiagnostics diagnostics;
    SimCanMonitor canMonitor;

    // Program memory, bootloader and production data.
    SimFirmware firmware;
    // EEPROM, production data, calibration, error log, ping faults.
    SimServiceData service;

    // A restart: the power-up counter starts again, manual test ends and the
    // running maxima are forgotten. The configuration stays.
    void reboot();

private:
    struct Channel {
        bool autoOn = false;   // what the unit's own logic switches
        bool manualOn = false; // what manual test switched
        std::uint8_t fault = fault::kNone;
        std::uint16_t nominalTenths = 0; // load when on
    };
    long long msSincePowerUp() const;
    ChannelReading channelAt(int channel, long long ms) const;
    static bool ValidChannel(int channel) { return channel >= 1 && channel <= kChannelCount; }

    std::array<Channel, kChannelCount + 1> channels_{}; // [0] unused
    std::uint16_t inputs_ = 0;
    std::uint32_t canInputs_ = 0;
    TestMode mode_ = TestMode::Auto;
    std::uint8_t highPowerErrors_ = 0; // faults seen since power-up
    std::uint8_t lowPowerErrors_ = 0;
    std::uint16_t maxCurrentTenths_ = 0;
    std::uint8_t maxTemperature_ = 0;
};

} // namespace vm::sim
