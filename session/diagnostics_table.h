#pragma once
// The unit's fault counters as the Diagnostic page and the CLI show them: one
// row per channel, texts and colours decided here, drawing left to the caller.
#include "protocol/link_packet.h"

#include <QString>
#include <array>
#include <optional>

namespace vm {

struct DiagCell {
    QString text;
    bool alarm = false; // drawn red: a non-zero count
};

// Channels 1..18: short circuits, trips, the trip current and low currents.
struct HighPowerDiagRow {
    DiagCell shortCircuit;
    DiagCell trip;
    QString tripLevel; // amperes, "0" when never tripped
    DiagCell lowCurrent;
};

// Channels 19..34: short circuits only.
struct LowPowerDiagRow {
    DiagCell shortCircuit;
};

inline constexpr int kHighPowerDiagRows = 18;
inline constexpr int kLowPowerDiagRows = 16;

// A 4-bit count: 15 means "15 or more".
DiagCell DiagCountCell(int count);
// A trip level byte in units of 0.4 A.
QString TripLevelText(std::uint8_t raw);

struct DiagnosticsTable {
    // Empty until the unit sent the row; a short answer leaves the rows it
    // does not carry as they were.
    std::array<std::optional<HighPowerDiagRow>, kHighPowerDiagRows> high{};
    std::array<std::optional<LowPowerDiagRow>, kLowPowerDiagRows> low{};

    // Return the number of rows the answer carried (and replaced).
    int ApplyHighPower(const LinkPacket& packet);
    int ApplyLowPower(const LinkPacket& packet);
};

// "channel 5: short 2, trip > 15, trip level 10.0 A, low current 0" for 1..18,
// "channel 20: short 0" for 19..34; empty when the row never came.
QString DiagLine(const DiagnosticsTable& table, int channel);

} // namespace vm
