#pragma once
// What the simulated unit keeps for the service tools: its EEPROM, production
// data, calibration per high-power channel, runtime error log, and the ping
// faults that tests and the command line can set.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vm::sim {

constexpr int kEepromSize = 4096;
constexpr int kCalibratedChannels = 18;

struct ProductionRecord {
    std::uint32_t serial = 1234;
    std::uint8_t week = 12;
    std::uint8_t yearSince2000 = 24;
    std::uint8_t hardware = 3;
};

struct ChannelCalibrationData {
    std::uint16_t ad = 0;     // raw 10-bit reading now
    std::uint16_t zeroAd = 0; // reading with nothing connected: what the offset store takes
    std::uint8_t offset = 0;  // stored
    std::uint16_t ratio = 10000;
};

struct ErrorLogEntry {
    std::string file; // at most 12 characters go on the wire
    std::uint16_t line = 0;
    std::uint8_t count = 1;
    std::vector<std::uint8_t> data; // at most 16 go on the wire
};

struct SimServiceData {
    SimServiceData();

    std::array<std::uint8_t, kEepromSize> eeprom{};
    ProductionRecord production;
    std::array<ChannelCalibrationData, kCalibratedChannels + 1> calibration{}; // [1..18]
    std::uint8_t calibrationFlags = 0;                                         // 2 use offsets, 4 use ratios
    std::vector<ErrorLogEntry> errorLog;
    int systemLogResets = 0;

    int pingDropEvery = 0;    // 0: never; N: the Nth, 2Nth, ... ping is not echoed
    int pingCorruptEvery = 0; // 0: never; N: one data byte of every Nth echo is changed
    long long pings = 0;

    // Current in tenths of an ampere the unit measures on a channel.
    std::uint16_t currentTenths(int channel) const;
    void addSampleErrors(); // a few entries, as a unit in service has
};

} // namespace vm::sim
