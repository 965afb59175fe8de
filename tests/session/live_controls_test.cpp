// Manual test, the CAN monitor switch and the diagnostics reader: what each
// sends, and when it must send nothing.
#include "session/can_monitor_control.h"
#include "session/diagnostics_reader.h"
#include "session/manual_test.h"
#include "protocol/message_catalogue.h"

#include <gtest/gtest.h>

#include "tests/support/answers.h"
#include "tests/support/recording_link.h"

using namespace vm;

namespace {

class LiveControlsTest : public ::testing::Test {
protected:
    RecordingLink link;
    UnitSession unit{link, nullptr};
    ManualTest manual{unit};
    CanMonitorControl monitor{unit};
    DiagnosticsReader diagnostics{unit};

    void connectedInMode(TestMode mode) {
        unit.SetConnected(true);
        unit.SetTestMode(mode);
        link.sent.clear();
    }
    // The switch commands sent, as +channel (on) or -channel (off).
    std::vector<int> switches() const {
        std::vector<int> out;
        for (const LinkPacket& p : link.sent)
            if (p.command() == msg::CHANNEL_SWITCH) out.push_back(p.payload(1) == kChannelOn ? p.payload(0) : -p.payload(0));
        return out;
    }
    void runSweepTimer(int steps) {
        for (int i = 0; i < steps && manual.sweeping(); ++i) manual.SweepStep();
    }
};

} // namespace

TEST_F(LiveControlsTest, ChannelSwitchOnlyInManualTestWithAUnit) {
    struct Case {
        bool connected;
        TestMode mode;
        bool sent;
    };
    for (const Case c : {Case{true, TestMode::Manual, true}, Case{true, TestMode::Auto, false},
                         Case{false, TestMode::Manual, false}}) {
        unit.SetConnected(c.connected);
        unit.SetTestMode(c.mode);
        link.sent.clear();
        EXPECT_EQ(manual.SwitchChannel(7, true), c.sent);
        EXPECT_EQ(link.sent.size(), c.sent ? 1u : 0u);
    }
    connectedInMode(TestMode::Manual);
    EXPECT_FALSE(manual.SwitchChannel(0, true));
    EXPECT_FALSE(manual.SwitchChannel(35, true));
    manual.SwitchChannel(34, false);
    const LinkPacket& p = link.sent.at(0);
    const std::uint8_t expected[12] = {0, 12, 1, 36, 34, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(p.size, 12);
    EXPECT_TRUE(p.checksumOk());
    EXPECT_TRUE(std::equal(expected + 1, expected + 12, p.bytes.begin() + 1));
}

TEST_F(LiveControlsTest, KeypadToggleSweepsOffThenOnAndQueuesPresses) {
    connectedInMode(TestMode::Manual);
    manual.ToggleAll();
    EXPECT_TRUE(manual.sweeping());
    EXPECT_EQ(manual.sweepTimer().interval(), 25);
    EXPECT_TRUE(link.sent.empty()); // the first channel goes one step after the press
    manual.ToggleAll();             // pressed again while the sweep runs
    EXPECT_EQ(manual.queuedSweeps(), 1);
    runSweepTimer(100);
    std::vector<int> expected;
    for (int ch = 1; ch <= 34; ++ch) expected.push_back(-ch);
    for (int ch = 1; ch <= 34; ++ch) expected.push_back(ch);
    EXPECT_EQ(switches(), expected);
    EXPECT_FALSE(manual.sweeping());
    EXPECT_FALSE(manual.nextSweepOn()); // the next press switches everything off again
}

TEST_F(LiveControlsTest, LeavingManualTestStopsTheSweep) {
    connectedInMode(TestMode::Manual);
    manual.ToggleAll();
    manual.ToggleAll();
    runSweepTimer(10);
    unit.SetTestMode(TestMode::Auto);
    EXPECT_FALSE(manual.sweeping());
    EXPECT_EQ(manual.queuedSweeps(), 0);
    const std::size_t sent = switches().size();
    EXPECT_EQ(sent, 10u);
    manual.SweepStep(); // a late tick sends nothing in automatic mode
    manual.ToggleAll();
    EXPECT_EQ(switches().size(), sent);
    EXPECT_FALSE(manual.sweeping());
    // Presses pile up only to a bound.
    unit.SetTestMode(TestMode::Manual);
    for (int i = 0; i < 50; ++i) manual.ToggleAll();
    EXPECT_EQ(manual.queuedSweeps(), ManualTest::kMaxQueuedSweeps);
}

TEST_F(LiveControlsTest, MonitorTickedWithoutAUnitSendsNothingAndStaysOff) {
    EXPECT_FALSE(monitor.SetEnabled(true));
    EXPECT_FALSE(monitor.enabled());
    EXPECT_TRUE(link.sent.empty());
    unit.SetConnected(true);
    EXPECT_TRUE(monitor.SetEnabled(true));
    EXPECT_FALSE(monitor.SetEnabled(false));
    ASSERT_EQ(link.sent.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const LinkPacket& p = link.sent[std::size_t(i)];
        // [chk][4][1][92][flag]: the checksum covers three bytes, the flag rides outside.
        EXPECT_EQ(p.size, 5);
        EXPECT_EQ(p.length(), 4);
        EXPECT_EQ(p.command(), msg::CAN_MONITOR_SET);
        EXPECT_EQ(p.bytes[4], i == 0 ? 1 : 0);
        EXPECT_EQ(p.checksum(), 4 ^ 1 ^ 92);
    }
}

TEST_F(LiveControlsTest, CommandsWaitForTheMonitorToStop) {
    int ran = 0;
    EXPECT_TRUE(monitor.SwitchOffThen([&] { ++ran; })); // off already: at once
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(link.sent.empty());

    unit.SetConnected(true);
    monitor.SetEnabled(true);
    link.sent.clear();
    bool boxFollowed = false;
    QObject::connect(&monitor, &CanMonitorControl::enabledChanged, [&](bool on) { boxFollowed = !on; });
    EXPECT_TRUE(monitor.SwitchOffThen([&] { ++ran; }));
    EXPECT_TRUE(boxFollowed);
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0].bytes[4], 0);
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(monitor.pausing());
    EXPECT_EQ(monitor.pauseTimer().interval(), 200);
    EXPECT_FALSE(monitor.SwitchOffThen([&] { ran += 10; })); // F9 during the pause
    monitor.pauseTimer().stop();
    monitor.PauseEnded();
    EXPECT_EQ(ran, 2);
}

TEST_F(LiveControlsTest, DiagnosticsReadAndClearRules) {
    using R = DiagnosticsReader::ClearResult;
    EXPECT_FALSE(diagnostics.Read());
    EXPECT_EQ(diagnostics.Clear(), R::NotConnected);
    unit.SetConnected(true);
    unit.SetTransferInProgress(true);
    EXPECT_FALSE(diagnostics.Read());
    EXPECT_EQ(diagnostics.Clear(), R::Busy);
    EXPECT_TRUE(link.sent.empty());
    unit.SetTransferInProgress(false);
    EXPECT_TRUE(diagnostics.Read());
    EXPECT_EQ(diagnostics.Clear(), R::Sent);
    EXPECT_EQ(link.commands(), (std::vector<int>{msg::DIAG_READ, msg::DIAG_CLEAR}));
    // The answers fill the table and name the rows they carried.
    int rows = -1;
    QObject::connect(&diagnostics, &DiagnosticsReader::lowPowerChanged, [&](int n) { rows = n; });
    unit.Dispatch(test::Answer(msg::DIAG_LOW_POWER, {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rows, 16);
    EXPECT_EQ(diagnostics.table().low[2]->shortCircuit.text, "2");
}
