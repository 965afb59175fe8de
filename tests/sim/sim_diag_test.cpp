// The simulated unit's fault counters and CAN monitor stream, driven in-process
// with a hand-moved clock.
#include "sim/sim_unit.h"
#include "tests/support/sim_test_util.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vm::sim {
namespace {

using namespace std::chrono_literals;
using namespace vm::sim::test;

struct Unit {
    FakeClock clock;
    SimUnit unit{SimOptions{}, clock.fn()};
    LinkPacket only(std::uint8_t command, std::initializer_list<std::uint8_t> payload = {}) {
        const auto answers = Ask(unit, LinkPacket::make(kGroupApp, command, payload));
        EXPECT_EQ(answers.size(), 1u);
        return answers.empty() ? LinkPacket{} : answers.front();
    }
    int monitorFramesOver(std::chrono::milliseconds span) {
        int n = 0;
        for (auto t = 0ms; t < span; t += 5ms) {
            for (const LinkPacket& p : Decode(unit.tick()))
                n += p.command() == msg::CAN_MONITOR_FRAME;
            clock.now += 5ms;
        }
        return n;
    }
};

TEST(SimDiagnostics, CountersReachTheirPayloadPositionsAndClear) {
    Unit u;
    SimDiagnostics& d = u.unit.state().diagnostics;
    EXPECT_TRUE(d.setShorts(3, 40)); // kept as 15
    EXPECT_TRUE(d.setTrips(3, 2, 25));
    EXPECT_TRUE(d.setLowCurrents(18, 7));
    EXPECT_TRUE(d.setShorts(20, 4));
    // Outside the channels each table has: refused, nothing changes.
    EXPECT_FALSE(d.setShorts(35, 1));
    EXPECT_FALSE(d.setTrips(19, 1, 1));
    EXPECT_FALSE(d.setLowCurrents(0, 1));

    const LinkPacket high = u.only(msg::DIAG_READ);
    ASSERT_EQ(high.command(), msg::DIAG_HIGH_POWER);
    ASSERT_EQ(high.payloadSize(), 54);
    EXPECT_EQ(high.payload(2), 0x2F);    // trips << 4 | shorts
    EXPECT_EQ(high.payload(18 + 2), 25); // trip level
    EXPECT_EQ(high.payload(36 + 17), 7); // low currents of channel 18
    const LinkPacket low = u.only(msg::DIAG_NEXT);
    ASSERT_EQ(low.command(), msg::DIAG_LOW_POWER);
    ASSERT_EQ(low.payloadSize(), 16);
    EXPECT_EQ(low.payload(1), 4); // channel 20

    EXPECT_EQ(u.only(msg::DIAG_CLEAR).command(), msg::DIAG_CLEARED);
    const LinkPacket cleared = u.only(msg::DIAG_READ);
    for (int i = 0; i < cleared.payloadSize(); ++i)
        EXPECT_EQ(cleared.payload(i), 0) << i;
}

TEST(SimCanMonitor, StreamsOnlyWhileOnAndNotSilentAtTheSetRate) {
    Unit u;
    EXPECT_EQ(u.monitorFramesOver(500ms), 0); // off at power-up
    EXPECT_FALSE(u.unit.nextTick());

    Ask(u.unit, CanMonitorSetPacket(true));
    EXPECT_EQ(u.monitorFramesOver(1000ms), 10); // every 100 ms
    u.unit.state().canMonitor.setIntervalMs(0);
    const int full = u.monitorFramesOver(1000ms);
    EXPECT_GT(full, 180); // back to back at 38400 baud
    EXPECT_LT(full, 300);

    u.unit.setSilent(true);
    EXPECT_EQ(u.monitorFramesOver(200ms), 0);
    u.unit.setSilent(false);

    Ask(u.unit, CanMonitorSetPacket(false));
    EXPECT_EQ(u.monitorFramesOver(500ms), 0);
    // A request without its flag byte changes nothing.
    Ask(u.unit, LinkPacket::make(kGroupApp, msg::CAN_MONITOR_SET));
    EXPECT_EQ(u.monitorFramesOver(200ms), 0);
}

TEST(SimCanMonitor, FramePacketCarriesIdLengthAndData) {
    Unit u;
    u.unit.state().canMonitor.setFrames({{0x7FF, {1, 2, 3, 4, 5, 6, 7, 8, 9}}}); // the ninth byte is dropped
    Ask(u.unit, CanMonitorSetPacket(true));
    const auto packets = Decode(u.unit.tick());
    ASSERT_EQ(packets.size(), 1u);
    const LinkPacket& p = packets[0];
    ASSERT_EQ(p.payloadSize(), 11);
    EXPECT_EQ(p.payload(0) | p.payload(1) << 8, 0x7FF);
    EXPECT_EQ(p.payload(2), 8);
    EXPECT_EQ(p.payload(10), 8);
}

} // namespace
} // namespace vm::sim
