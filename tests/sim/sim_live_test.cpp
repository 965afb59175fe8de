// Live status, test mode and statistics answers of the simulated unit.
#include "sim/sim_unit.h"
#include "tests/support/sim_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <utility>
#include <vector>

namespace vm::sim {
namespace {

using namespace std::chrono_literals;
using namespace vm::sim::test;

LinkPacket Req(std::uint8_t command) { return LinkPacket::make(kGroupApp, command); }
LinkPacket ChannelReq(std::uint8_t channel) {
    return LinkPacket::make(kGroupApp, msg::CHANNEL_STATE_REQ, {channel});
}
LinkPacket ModeSet(std::uint8_t mode) { return LinkPacket::make(kGroupApp, msg::TEST_MODE_SET, {mode}); }
LinkPacket Switch(std::uint8_t channel, std::uint8_t command) {
    return LinkPacket::make(kGroupApp, msg::CHANNEL_SWITCH,
                            {channel, command, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

int Word(const LinkPacket& p, int highPos, int lowPos) { return (p.at(highPos) << 8) | p.at(lowPos); }

LinkPacket AskOne(SimUnit& unit, const LinkPacket& request) {
    const auto replies = Ask(unit, request);
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? LinkPacket{} : replies[0];
}

LinkPacket ChannelState(SimUnit& unit, int channel) {
    return AskOne(unit, ChannelReq(static_cast<std::uint8_t>(channel)));
}

// Position 5 of CHANNEL_STATE, 0xF0 meaning on.
bool IsOn(const LinkPacket& p) { return p.at(5) == 0xF0; }

struct LayoutCase {
    const char* what;
    LinkPacket request;
    std::uint8_t answer;
    int length;
    std::vector<std::pair<int, int>> fields; // packet position, expected value
};

TEST(SimUnitLive, AnswersCarryTheDocumentedLayouts) {
    FakeClock clock;
    SimUnit unit({}, clock.fn());
    SimState& s = unit.state();
    ASSERT_NE(s.inputBits() | s.canInputBits(), 0u) << "some inputs are on at power-up";
    for (int n = 1; n <= kInputCount; ++n)
        s.setInput(n, n == 2 || n == 9 || n == 11);
    for (int n = 1; n <= kCanInputCount; ++n)
        s.setCanInput(n, n == 1 || n == 16 || n == 24 || n == 32);
    EXPECT_FALSE(s.setInput(12, true));
    ASSERT_TRUE(s.setFault(3, fault::kOpen));
    ASSERT_TRUE(s.setFault(4, fault::kPlusShort));
    ASSERT_TRUE(s.setFault(20, fault::kMinusShort));
    s.watchdogCount = 7;
    clock.now += 12'345ms;

    const LiveReading live = s.live();
    ASSERT_GT(live.totalCurrentTenths, 255); // both bytes carry something
    const ChannelReading ch7 = s.channel(7);
    ASSERT_TRUE(ch7.on);
    ASSERT_GT(ch7.currentTenths, 0);

    const std::vector<LayoutCase> cases = {
        {"live values",
         Req(msg::LIVE_VALUES_REQ),
         msg::LIVE_VALUES,
         10,
         {{4, 2},
          {5, 1},
          {6, live.totalCurrentTenths >> 8},
          {7, live.totalCurrentTenths & 0xFF},
          {8, live.batteryTenths},
          {9, live.temperature}}},
        {"inputs",
         Req(msg::INPUT_STATE_REQ),
         msg::INPUT_STATE,
         10,
         {{4, 0x02}, {5, 0x05}, {6, 0x01}, {7, 0x80}, {8, 0x80}, {9, 0x80}}},
        {"channel on",
         ChannelReq(7),
         msg::CHANNEL_STATE,
         10,
         {{4, 7}, {5, 0xF0}, {6, 0}, {7, ch7.currentTenths >> 8}, {8, ch7.currentTenths & 0xFF}, {9, 0}}},
        {"channel off",
         ChannelReq(3),
         msg::CHANNEL_STATE,
         10,
         {{4, 3}, {5, 0x0F}, {6, 4}, {7, 0}, {8, 0}, {9, 0}}},
        {"low-power faulted",
         ChannelReq(20),
         msg::CHANNEL_STATE,
         10,
         {{4, 20}, {5, 0x0F}, {6, 1}, {7, 0}, {8, 0}}},
        {"test mode", ModeSet(2), msg::TEST_MODE_SET_DONE, 5, {{4, 2}}},
        {"statistics",
         Req(msg::STATS_REQ),
         msg::UNIT_STATS,
         8,
         {{4, live.totalCurrentTenths & 0xFF},
          {5, live.totalCurrentTenths >> 8},
          {6, live.temperature},
          {7, 7}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LinkPacket p = AskOne(unit, c.request);
        EXPECT_TRUE(p.checksumOk());
        EXPECT_EQ(p.group(), kGroupApp);
        EXPECT_EQ(p.command(), c.answer);
        EXPECT_EQ(p.length(), c.length);
        EXPECT_EQ(p.size, c.length);
        for (const auto& [pos, value] : c.fields)
            EXPECT_EQ(p.at(pos), value) << "position " << pos;
    }
}

TEST(SimUnitLive, AllChannelsRequestAnswersEveryChannelInOrder) {
    FakeClock clock;
    SimUnit unit({}, clock.fn());
    clock.now += 3s;
    const auto all = Ask(unit, ChannelReq(255));
    ASSERT_EQ(all.size(), 34u);
    int on = 0;
    for (int ch = 1; ch <= 34; ++ch) {
        SCOPED_TRACE(ch);
        const LinkPacket& p = all[static_cast<std::size_t>(ch - 1)];
        EXPECT_TRUE(p.checksumOk());
        EXPECT_EQ(p.command(), msg::CHANNEL_STATE);
        EXPECT_EQ(p.at(4), ch);
        ASSERT_TRUE(p.at(5) == 0xF0 || p.at(5) == 0x0F);
        const int current = Word(p, 7, 8);
        if (!IsOn(p)) {
            EXPECT_EQ(current, 0);
            continue;
        }
        ++on;
        // Some amps on high-power channels, fractions of an amp on low-power ones.
        const auto [lo, hi] = ch <= 18 ? std::pair{10, 120} : std::pair{1, 9};
        EXPECT_TRUE(current >= lo && current <= hi) << current;
        // A single request answers that channel alone, with the same reading.
        EXPECT_EQ(ChannelState(unit, ch).bytes, p.bytes);
    }
    EXPECT_GE(on, 3);
    EXPECT_LE(on, 30);
    for (std::uint8_t bad : {0, 35, 254})
        EXPECT_TRUE(Ask(unit, ChannelReq(bad)).empty()) << int(bad);
}

TEST(SimUnitLive, TotalCurrentIsTheChannelSumAndValuesMove) {
    FakeClock clock;
    SimUnit unit({}, clock.fn());
    std::set<int> totals, batteries, temperatures;
    for (int step = 0; step < 300; ++step) {
        // Mid-run a fault and manual switching change which loads count.
        if (step == 100) unit.state().setFault(1, fault::kOverload);
        if (step == 200) {
            Ask(unit, ModeSet(1));
            Ask(unit, Switch(10, 0xF0));
            Ask(unit, Switch(19, 0x0F));
        }
        int channelSum = 0;
        for (const LinkPacket& p : Ask(unit, ChannelReq(255)))
            channelSum += Word(p, 7, 8);
        const LinkPacket live = AskOne(unit, Req(msg::LIVE_VALUES_REQ));
        ASSERT_EQ(Word(live, 6, 7), channelSum) << "step " << step;
        const int battery = live.at(8), temperature = live.at(9);
        ASSERT_TRUE(battery >= 125 && battery <= 142) << battery;
        ASSERT_TRUE(temperature >= 25 && temperature <= 45) << temperature;
        totals.insert(channelSum);
        batteries.insert(battery);
        temperatures.insert(temperature);
        clock.now += 1700ms;
    }
    EXPECT_GT(totals.size(), 20u);
    EXPECT_EQ(*batteries.begin(), 125);
    EXPECT_EQ(*batteries.rbegin(), 142);
    EXPECT_GT(temperatures.size(), 5u);
}

TEST(SimUnitLive, FaultShowsOnItsChannelWithNoCurrent) {
    FakeClock clock;
    SimUnit unit({}, clock.fn());
    const int before = Word(AskOne(unit, Req(msg::LIVE_VALUES_REQ)), 6, 7);
    const int ch2 = Word(ChannelState(unit, 2), 7, 8);
    ASSERT_GT(ch2, 0);

    for (std::uint8_t code : {fault::kMinusShort, fault::kPlusShort, fault::kOpen, fault::kOverload}) {
        SCOPED_TRACE(int(code));
        ASSERT_TRUE(unit.state().setFault(2, code));
        const LinkPacket p = ChannelState(unit, 2);
        EXPECT_EQ(p.at(6), code);
        EXPECT_EQ(Word(p, 7, 8), 0);
        EXPECT_TRUE(IsOn(p)) << "the switch state stays as commanded";
        EXPECT_EQ(Word(AskOne(unit, Req(msg::LIVE_VALUES_REQ)), 6, 7), before - ch2);
    }
    // One fault event so far on a high-power channel, then one on a low-power channel.
    EXPECT_EQ(AskOne(unit, Req(msg::LIVE_VALUES_REQ)).at(4), 1);
    unit.state().setFault(25, fault::kOpen);
    const LinkPacket live = AskOne(unit, Req(msg::LIVE_VALUES_REQ));
    EXPECT_EQ(live.at(4) + live.at(5), 2);

    ASSERT_TRUE(unit.state().setFault(2, fault::kNone));
    EXPECT_EQ(Word(ChannelState(unit, 2), 7, 8), ch2);
    EXPECT_FALSE(unit.state().setFault(35, fault::kOpen));
    EXPECT_FALSE(unit.state().setFault(5, 3));
}

TEST(SimUnitLive, ChannelsSwitchOnlyInManualTestAndReturnInAuto) {
    FakeClock clock;
    SimUnit unit({}, clock.fn());
    ASSERT_FALSE(IsOn(ChannelState(unit, 3)));
    ASSERT_TRUE(IsOn(ChannelState(unit, 1)));

    // Automatic: switching is ignored and never answered.
    EXPECT_TRUE(Ask(unit, Switch(3, 0xF0)).empty());
    EXPECT_FALSE(IsOn(ChannelState(unit, 3)));

    EXPECT_EQ(AskOne(unit, ModeSet(1)).at(4), 1);
    EXPECT_TRUE(Ask(unit, Switch(3, 0xF0)).empty());
    Ask(unit, Switch(1, 0x0F));
    Ask(unit, Switch(21, 0x0F));
    Ask(unit, Switch(22, 0x55)); // neither on nor off
    Ask(unit, Switch(35, 0xF0));
    const auto all = Ask(unit, ChannelReq(255));
    ASSERT_EQ(all.size(), 34u);
    for (const LinkPacket& p : all) {
        const int ch = p.at(4);
        const bool changed = ch == 1 || ch == 3 || ch == 21;
        EXPECT_EQ(p.at(9), changed ? 1 : 0) << "highlight of " << ch;
        if (ch == 3) {
            EXPECT_TRUE(IsOn(p) && Word(p, 7, 8) > 0);
        } else if (ch == 1 || ch == 21) {
            EXPECT_TRUE(!IsOn(p) && Word(p, 7, 8) == 0) << ch;
        } else if (ch == 22) {
            EXPECT_FALSE(IsOn(p));
        }
    }
    // Calibration and automatic both leave manual test; unknown modes change nothing.
    EXPECT_TRUE(Ask(unit, ModeSet(3)).empty());
    EXPECT_TRUE(Ask(unit, LinkPacket::make(kGroupApp, msg::TEST_MODE_SET)).empty()) << "mode missing";
    EXPECT_EQ(unit.state().testMode(), TestMode::Manual);
    EXPECT_EQ(AskOne(unit, ModeSet(2)).at(4), 2);
    Ask(unit, Switch(5, 0xF0));
    EXPECT_FALSE(IsOn(ChannelState(unit, 5)));
    EXPECT_EQ(AskOne(unit, ModeSet(0)).at(4), 0);
    EXPECT_FALSE(IsOn(ChannelState(unit, 3)));
    EXPECT_TRUE(IsOn(ChannelState(unit, 21)));
    EXPECT_EQ(ChannelState(unit, 1).at(9), 0);

    // The next manual test starts from the automatic states, not the old manual ones.
    AskOne(unit, ModeSet(1));
    EXPECT_FALSE(IsOn(ChannelState(unit, 3)));
    EXPECT_TRUE(IsOn(ChannelState(unit, 1)));
}

TEST(SimUnitLive, StatisticsKeepTheMaximaOfWhatWasShown) {
    FakeClock clock;
    SimUnit unit({}, clock.fn());
    unit.state().watchdogCount = 3;
    int maxCurrent = 0, maxTemp = 0;
    for (int step = 0; step < 60; ++step) {
        const LinkPacket live = AskOne(unit, Req(msg::LIVE_VALUES_REQ));
        maxCurrent = std::max(maxCurrent, Word(live, 6, 7));
        maxTemp = std::max(maxTemp, int(live.at(9)));
        clock.now += 2300ms;
    }
    // Everything off: the live values drop, the maxima stay.
    AskOne(unit, ModeSet(1));
    for (std::uint8_t ch = 1; ch <= 34; ++ch)
        Ask(unit, Switch(ch, 0x0F));
    clock.now -= 2300ms; // the moment already seen, so the temperature adds nothing new
    ASSERT_EQ(Word(AskOne(unit, Req(msg::LIVE_VALUES_REQ)), 6, 7), 0);
    const LinkPacket stats = AskOne(unit, Req(msg::STATS_REQ));
    ASSERT_GT(maxCurrent, 255);
    EXPECT_EQ(stats.at(4) | (stats.at(5) << 8), maxCurrent);
    EXPECT_EQ(stats.at(6), maxTemp);
    EXPECT_EQ(stats.at(7), 3);
}

} // namespace
} // namespace vm::sim
