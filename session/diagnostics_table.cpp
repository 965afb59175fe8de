#include "session/diagnostics_table.h"

namespace vm {

namespace {
// Payload positions of DIAG_HIGH_POWER and DIAG_LOW_POWER.
constexpr int kCountsAt = 4;
constexpr int kTripLevelAt = 22;
constexpr int kLowCurrentAt = 40;
} // namespace

DiagCell DiagCountCell(int count) {
    return {count >= 15 ? QStringLiteral("> 15") : QString::number(count), count != 0};
}

QString TripLevelText(std::uint8_t raw) {
    if (raw == 0) return QStringLiteral("0");
    return QString::asprintf("%2.1f", raw * 0.4);
}

int DiagnosticsTable::ApplyHighPower(const LinkPacket& p) {
    // Only what arrived and what the length byte covers: never zeros for
    // bytes the unit did not send.
    const int present = std::min<int>(p.length(), p.size);
    int rows = 0;
    for (int i = 0; i < kHighPowerDiagRows; ++i) {
        if (kLowCurrentAt + i >= present) break;
        const std::uint8_t counts = p.at(kCountsAt + i);
        high[static_cast<std::size_t>(i)] =
            HighPowerDiagRow{DiagCountCell(counts & 0x0F), DiagCountCell(counts >> 4),
                             TripLevelText(p.at(kTripLevelAt + i)), DiagCountCell(p.at(kLowCurrentAt + i) & 0x0F)};
        ++rows;
    }
    return rows;
}

int DiagnosticsTable::ApplyLowPower(const LinkPacket& p) {
    const int present = std::min<int>(p.length(), p.size);
    int rows = 0;
    for (int i = 0; i < kLowPowerDiagRows; ++i) {
        if (kCountsAt + i >= present) break;
        low[static_cast<std::size_t>(i)] = LowPowerDiagRow{DiagCountCell(p.at(kCountsAt + i) & 0x0F)};
        ++rows;
    }
    return rows;
}

QString DiagLine(const DiagnosticsTable& table, int channel) {
    if (channel >= 1 && channel <= kHighPowerDiagRows) {
        const auto& row = table.high[static_cast<std::size_t>(channel - 1)];
        if (!row) return {};
        return QStringLiteral("channel %1: short %2, trip %3, trip level %4 A, low current %5")
            .arg(channel)
            .arg(row->shortCircuit.text, row->trip.text, row->tripLevel, row->lowCurrent.text);
    }
    const int low = channel - kHighPowerDiagRows;
    if (low < 1 || low > kLowPowerDiagRows) return {};
    const auto& row = table.low[static_cast<std::size_t>(low - 1)];
    if (!row) return {};
    return QStringLiteral("channel %1: short %2").arg(channel).arg(row->shortCircuit.text);
}

} // namespace vm
