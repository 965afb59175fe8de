#include "session/diagnostics_table.h"
#include "session/unit_session.h"
#include "protocol/message_catalogue.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vm;

namespace {
LinkPacket HighPower(int channel, std::uint8_t counts, std::uint8_t tripLevel, std::uint8_t lowCurrent) {
    std::vector<std::uint8_t> payload(54, 0);
    payload[std::size_t(channel - 1)] = counts;
    payload[std::size_t(18 + channel - 1)] = tripLevel;
    payload[std::size_t(36 + channel - 1)] = lowCurrent;
    return LinkPacket::make(kGroupApp, msg::DIAG_HIGH_POWER, payload.data(), int(payload.size()));
}
} // namespace

TEST(DiagnosticsTable, HighPowerCells) {
    struct Case {
        std::uint8_t counts, tripLevel, lowCurrent;
        const char *shortText, *tripText, *levelText, *lowText;
        bool shortRed, tripRed, lowRed;
    };
    const Case cases[] = {
        {0xF3, 25, 0, "3", "> 15", "10.0", "0", true, true, false},
        {0x00, 0, 0x0F, "0", "0", "0", "> 15", false, false, true},
        {0x1E, 1, 0xF2, "14", "1", "0.4", "2", true, true, true}, // high nibble of low current ignored
        {0x00, 255, 0, "0", "0", "102.0", "0", false, false, false},
    };
    for (const Case& c : cases) {
        DiagnosticsTable table;
        EXPECT_EQ(table.ApplyHighPower(HighPower(7, c.counts, c.tripLevel, c.lowCurrent)), 18);
        const HighPowerDiagRow& row = *table.high[6];
        EXPECT_EQ(row.shortCircuit.text, c.shortText);
        EXPECT_EQ(row.trip.text, c.tripText);
        EXPECT_EQ(row.tripLevel, c.levelText);
        EXPECT_EQ(row.lowCurrent.text, c.lowText);
        EXPECT_EQ(row.shortCircuit.alarm, c.shortRed);
        EXPECT_EQ(row.trip.alarm, c.tripRed);
        EXPECT_EQ(row.lowCurrent.alarm, c.lowRed);
    }
}

TEST(DiagnosticsTable, ShortAnswersReplaceOnlyTheRowsTheyCarry) {
    DiagnosticsTable table;
    table.ApplyHighPower(HighPower(5, 0x11, 1, 1));
    table.ApplyLowPower(LinkPacket::make(kGroupApp, msg::DIAG_LOW_POWER,
                                         {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}));
    // 40 payload bytes: low-current bytes for channels 1..4 only.
    std::vector<std::uint8_t> payload(40, 0);
    EXPECT_EQ(table.ApplyHighPower(LinkPacket::make(kGroupApp, msg::DIAG_HIGH_POWER, payload.data(), 40)), 4);
    EXPECT_EQ(table.high[3]->shortCircuit.text, "0");
    EXPECT_EQ(table.high[4]->shortCircuit.text, "1"); // kept from before
    EXPECT_EQ(table.ApplyLowPower(LinkPacket::make(kGroupApp, msg::DIAG_LOW_POWER, {0, 0, 0})), 3);
    EXPECT_EQ(table.low[2]->shortCircuit.text, "0");
    EXPECT_EQ(table.low[3]->shortCircuit.text, "9");
    // A length byte that claims more than arrived counts only what arrived.
    LinkPacket truncated = LinkPacket::make(kGroupApp, msg::DIAG_LOW_POWER, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    truncated.size = 6;
    EXPECT_EQ(table.ApplyLowPower(truncated), 2);
}

TEST(DiagnosticsTable, CommandLineLines) {
    DiagnosticsTable table;
    EXPECT_EQ(DiagLine(table, 1), "");
    table.ApplyHighPower(HighPower(1, 0xF3, 25, 0));
    table.ApplyLowPower(LinkPacket::make(kGroupApp, msg::DIAG_LOW_POWER,
                                         {15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(DiagLine(table, 1), "channel 1: short 3, trip > 15, trip level 10.0 A, low current 0");
    EXPECT_EQ(DiagLine(table, 19), "channel 19: short > 15");
    EXPECT_EQ(DiagLine(table, 35), "");
}

TEST(CanMonitorLine, PrintsOnlyDataThatArrived) {
    struct Case {
        std::vector<std::uint8_t> payload;
        int size; // bytes that arrived; 0: all
        const char* line;
    };
    const Case cases[] = {
        {{0xA0, 0x01, 2, 0x01, 0xFE}, 0, "Can id: 1A0 , Data: 01 FE"},
        {{0x05, 0x00, 0}, 0, "Can id: 005 , Data:"},
        {{0xFF, 0x07, 8, 1, 2}, 0, "Can id: 7FF , Data: 01 02"},          // count past the length
        {{0x00, 0x01, 3, 0xAA, 0xBB, 0xCC}, 9, "Can id: 100 , Data: AA BB"}, // length past what arrived
        {{0x23, 0x01, 200, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, "Can id: 123 , Data: 01 02 03 04 05 06 07 08"},
    };
    for (const Case& c : cases) {
        LinkPacket p = LinkPacket::make(kGroupApp, msg::CAN_MONITOR_FRAME, c.payload.data(), int(c.payload.size()));
        if (c.size) p.size = c.size;
        EXPECT_EQ(CanMonitorLine(p), c.line);
    }
}
