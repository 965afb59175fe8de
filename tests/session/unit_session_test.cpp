#include "link/traffic_log.h"
#include "protocol/message_catalogue.h"
#include "session/unit_session.h"

#include <QStringList>
#include <gtest/gtest.h>

#include "tests/support/answers.h"
#include "tests/support/recording_link.h"
#include <vector>

using namespace vm;

namespace {

struct Recorder : PacketReceiver {
    int seen = 0;
    void ReceivePacket(const LinkPacket&) override { ++seen; }
};

class UnitSessionTest : public ::testing::Test {
protected:
    UnitSessionTest() {
        QObject::connect(&log, &TrafficLog::line, [this](const QString& t, quint32 c) {
            lines << t;
            colours.push_back(c);
        });
        unit.SetConnected(true);
    }
    LinkPacket corrupt(LinkPacket p) {
        p.bytes[0] ^= 1;
        return p;
    }
    RecordingLink link;
    TrafficLog log;
    UnitSession unit{link, &log};
    QStringList lines;
    std::vector<quint32> colours;
};

} // namespace

TEST_F(UnitSessionTest, BadChecksumReachesServiceWindowsFirstThenIsLoggedOnly) {
    Recorder window;
    unit.services().publish(ServiceSlot::Version, &window);
    const LinkPacket bad = corrupt(LinkPacket::make(1, msg::STATUS, {'8', '.', '1', '2'}));
    unit.Dispatch(bad);
    EXPECT_EQ(window.seen, 1);
    EXPECT_EQ(lines, QStringList{QString("Checksum error  %1 8 1 135 56 46 49 50").arg(bad.bytes[0])});
    EXPECT_EQ(colours.at(0), kColourChecksum);
    EXPECT_TRUE(unit.stats().version.isEmpty());
    EXPECT_FALSE(unit.versionSeen());
}

TEST_F(UnitSessionTest, ResendRequestRepeatsOnceAndIsLoggedRed) {
    unit.Dispatch(LinkPacket::make(kGroupService, msg::RESEND_REQ));
    EXPECT_EQ(link.resends, 1);
    EXPECT_EQ(lines, QStringList{"Serial Error: Resend last tx frame"});
    EXPECT_EQ(colours.at(0), kColourResend);
    unit.Dispatch(corrupt(LinkPacket::make(kGroupService, msg::RESEND_REQ)));
    unit.Dispatch(LinkPacket::make(kGroupService, msg::PING_CFM));
    EXPECT_EQ(link.resends, 1);
}

// Where every code the unit sends ends up in the main window.
TEST_F(UnitSessionTest, EveryCatalogueAnswerIsRoutedWhereItBelongs) {
    int config = 0, status = 0, stats = 0, factory = 0, diagHigh = 0, diagLow = 0, cleared = 0, can = 0,
        live = 0;
    QObject::connect(&unit, &UnitSession::configAnswer, [&] { ++config; });
    QObject::connect(&unit, &UnitSession::statusReceived, [&] { ++status; });
    QObject::connect(&unit, &UnitSession::statsReceived, [&] { ++stats; });
    QObject::connect(&unit, &UnitSession::factoryResetDone, [&] { ++factory; });
    QObject::connect(&unit.diagnostics(), &DiagnosticsModel::highPowerReceived, [&] { ++diagHigh; });
    QObject::connect(&unit.diagnostics(), &DiagnosticsModel::lowPowerReceived, [&] { ++diagLow; });
    QObject::connect(&unit.diagnostics(), &DiagnosticsModel::cleared, [&] { ++cleared; });
    QObject::connect(&unit.canMonitor(), &CanMonitorModel::lineReceived, [&] { ++can; });
    QObject::connect(&unit.live(), &LiveStatus::valuesChanged, [&] { ++live; });
    QObject::connect(&unit.live(), &LiveStatus::inputsChanged, [&] { ++live; });
    QObject::connect(&unit.live(), &LiveStatus::channelChanged, [&] { ++live; });

    for (const MessageInfo& m : MessageCatalogue()) {
        if (m.group != kGroupApp || m.direction != Direction::FromUnit) continue;
        const int before = config + status + stats + factory + diagHigh + diagLow + cleared + can + live;
        unit.Dispatch(test::Answer(m.code, {1, 0, 0, 0, 0, 0}));
        const int routed =
            config + status + stats + factory + diagHigh + diagLow + cleared + can + live - before;
        const bool serviceOnly =
            m.code == msg::REBOOT_DONE || m.code == msg::TEST_MODE_SET_DONE ||
            (m.code >= msg::SYSTEM_SETUP_WRITE_DONE && m.code <= msg::CALIBRATION_AD_OFFSET_DONE) ||
            m.code == msg::FIA_DATA || m.code == msg::SYSTEM_LOG_RESET_DONE;
        EXPECT_EQ(routed, serviceOnly ? 0 : 1) << m.name;
    }
    EXPECT_EQ(config, 24);
    EXPECT_EQ(status + stats + factory + diagHigh + diagLow + cleared + can, 7);
    EXPECT_EQ(live, 3);
}

TEST_F(UnitSessionTest, FollowUpRequestsOfTheDispatcher) {
    struct Case {
        std::uint8_t code;
        std::uint8_t first;
        std::vector<int> sent;
    };
    const Case cases[] = {
        {msg::INPUT_CFG, 10, {}},
        {msg::INPUT_CFG, 11, {msg::OUTPUT_CFG_READ}},
        {msg::OUTPUT_CFG, 33, {}},
        {msg::OUTPUT_CFG, 34, {msg::LOW_BATT_CFG_READ}},
        {msg::DIAG_HIGH_POWER, 0, {msg::DIAG_NEXT}},
        {msg::DIAG_CLEARED, 0, {msg::DIAG_READ}},
    };
    for (const Case& c : cases) {
        link.sent.clear();
        unit.Dispatch(test::Answer(c.code, {c.first}));
        EXPECT_EQ(link.commands(), c.sent) << int(c.code) << "/" << int(c.first);
    }
    link.sent.clear();
    unit.Dispatch(test::Answer(msg::INPUT_CFG, {11}));
    EXPECT_EQ(link.sent.at(0).length(), 5);
    EXPECT_EQ(link.sent.at(0).payload(0), 255);
    // While a transfer runs the cleared log is not read again.
    link.sent.clear();
    unit.SetTransferInProgress(true);
    unit.Dispatch(test::Answer(msg::DIAG_CLEARED));
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(UnitSessionTest, StatusAndStatisticsAreKept) {
    std::vector<std::uint8_t> payload(20, 0);
    const char text[] = "8.12";
    std::copy(text, text + 4, payload.begin());
    payload[13] = 0x01; // positions 17..19: 0x010203 seconds
    payload[14] = 0x02;
    payload[15] = 0x03;
    unit.Dispatch(LinkPacket::make(kGroupApp, msg::STATUS, payload.data(), 20));
    EXPECT_EQ(unit.stats().version, "8.12");
    EXPECT_EQ(unit.stats().secondsSincePowerUp, 0x010203u);
    EXPECT_TRUE(unit.versionSeen());

    std::vector<std::uint8_t> full(20, 'x');
    unit.Dispatch(LinkPacket::make(kGroupApp, msg::STATUS, full.data(), 20));
    EXPECT_EQ(unit.stats().version.size(), 20);

    unit.Dispatch(test::Answer(msg::UNIT_STATS, {123, 1, 47, 3}));
    EXPECT_EQ(unit.stats().maxCurrentTenths, 256 + 123);
    EXPECT_EQ(unit.stats().maxTemperature, 47);
    EXPECT_EQ(unit.stats().watchdogCount, 3);
}

TEST(CanMonitorLine, IdentifierInHexThenTheDataBytes) {
    EXPECT_EQ(CanMonitorLine(LinkPacket::make(1, 93, {0xA0, 0x01, 2, 0x0F, 0xC0})),
              "Can id: 1A0 , Data: 0F C0");
    EXPECT_EQ(CanMonitorLine(LinkPacket::make(1, 93, {0x05, 0x00, 0})), "Can id: 005 , Data:");
    // A count beyond the bytes that came prints only the bytes that came.
    EXPECT_EQ(CanMonitorLine(LinkPacket::make(1, 93, {0xFF, 0x07, 3, 0x11})), "Can id: 7FF , Data: 11");
}

TEST_F(UnitSessionTest, PollCyclesThroughTheThreeViewsOnlyOnGeneral) {
    for (int i = 0; i < 4; ++i)
        unit.PollTick();
    EXPECT_EQ(link.commands(), (std::vector<int>{msg::LIVE_VALUES_REQ, msg::CHANNEL_STATE_REQ,
                                                 msg::INPUT_STATE_REQ, msg::LIVE_VALUES_REQ}));
    EXPECT_EQ(link.sent[1].payload(0), 255);
    link.sent.clear();
    unit.setCurrentPage(1);
    unit.PollTick();
    unit.setCurrentPage(kPageGeneral);
    unit.SetTransferInProgress(true);
    unit.PollTick();
    unit.SetTransferInProgress(false);
    unit.SetConnected(false);
    unit.PollTick();
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(UnitSessionTest, KeepAliveAsksForStatusThenStatistics) {
    unit.KeepAliveTick();
    EXPECT_EQ(link.commands(), std::vector<int>{msg::STATUS_REQ});
    EXPECT_TRUE(unit.statsTimer().isActive());
    unit.SendStatsRequest(); // the timer's handler
    EXPECT_EQ(link.commands(), (std::vector<int>{msg::STATUS_REQ, msg::STATS_REQ}));
}

TEST_F(UnitSessionTest, SilenceBlanksOnTheSixthTickAndAnAnswerResendsTheTestModeOnce) {
    unit.SetTestMode(TestMode::Manual);
    unit.live().ShowLiveValues(LinkPacket::make(1, msg::LIVE_VALUES, {0, 0, 0x01, 0x2C, 125, 30}));
    int blanked = 0;
    QObject::connect(&unit.live(), &LiveStatus::blanked, [&] { ++blanked; });
    for (int tick = 1; tick <= 6; ++tick) {
        unit.KeepAliveTick();
        EXPECT_EQ(blanked, 0) << tick;
    }
    unit.KeepAliveTick(); // silence counter now above five
    EXPECT_EQ(blanked, 1);
    EXPECT_TRUE(unit.lost());
    EXPECT_EQ(unit.live().currentSum(), "--");
    unit.KeepAliveTick();
    EXPECT_EQ(blanked, 2); // repeated while silent

    link.sent.clear();
    unit.Dispatch(test::Answer(msg::STATUS, {'8', '.', '1', '2'}));
    unit.KeepAliveTick();
    unit.Dispatch(test::Answer(msg::STATUS, {'8', '.', '1', '2'}));
    unit.KeepAliveTick();
    int modeSets = 0;
    for (const auto& p : link.sent)
        if (p.command() == msg::TEST_MODE_SET) {
            ++modeSets;
            EXPECT_EQ(p.payload(0), 1);
        }
    EXPECT_EQ(modeSets, 1);
    EXPECT_FALSE(unit.lost());
    EXPECT_EQ(unit.silence(), 0);
}

TEST_F(UnitSessionTest, ActivityLampMovesOnlyWhileTheUnitAnswers) {
    std::vector<int> lit;
    QObject::connect(&unit, &UnitSession::activityChanged, [&](int l) { lit.push_back(l); });
    unit.KeepAliveTick();
    unit.KeepAliveTick();
    for (int i = 0; i < 3; ++i) {
        unit.Dispatch(test::Answer(msg::STATUS, {'8'}));
        unit.KeepAliveTick();
    }
    unit.KeepAliveTick();
    EXPECT_EQ(lit, (std::vector<int>{0, 0, 0, 1, 2, 0}));
}

TEST_F(UnitSessionTest, NothingIsSentWhileBusyOrBeforeConnecting) {
    unit.SetFirmwareUpdate(true);
    unit.KeepAliveTick();
    unit.SetFirmwareUpdate(false);
    unit.SetConnected(false);
    for (int i = 0; i < 8; ++i)
        unit.KeepAliveTick();
    unit.SetTestMode(TestMode::Manual);
    EXPECT_TRUE(link.sent.empty());
    EXPECT_FALSE(unit.lost()); // never connected: nothing to blank
    EXPECT_EQ(unit.testMode(), TestMode::Manual);
}

// Live polling alone lets the link batch answers; anything waiting for an
// answer stops the hold at once, before its first request goes out.
TEST_F(UnitSessionTest, AnswersMayWaitOnlyWhileNothingAwaitsThem) {
    Recorder ping;
    const struct Step {
        const char* what;
        std::function<void()> change;
        int hold;
    } steps[] = {
        {"live polling", [] {}, UnitSession::kIdleHoldMs},
        {"a transfer starts", [&] { unit.SetTransferInProgress(true); }, 0},
        {"it ends", [&] { unit.SetTransferInProgress(false); }, UnitSession::kIdleHoldMs},
        {"a service window opens", [&] { unit.services().publish(ServiceSlot::Ping, &ping); }, 0},
        {"it closes", [&] { unit.services().withdraw(ServiceSlot::Ping); }, UnitSession::kIdleHoldMs},
        {"a firmware update", [&] { unit.SetFirmwareUpdate(true); }, 0},
        {"after it, not connected",
         [&] {
             unit.SetFirmwareUpdate(false);
             unit.SetConnected(false);
         },
         0},
    };
    for (const Step& s : steps) {
        s.change();
        unit.PollTick();
        EXPECT_EQ(link.hold, s.hold) << s.what;
    }
    // The hold ends when the transfer is marked, not at the next poll tick.
    unit.SetConnected(true);
    unit.PollTick();
    unit.SetTransferInProgress(true);
    EXPECT_EQ(link.hold, 0);
}

TEST_F(UnitSessionTest, CalibrationWindowSuppressesBlanking) {
    Recorder calibration;
    unit.services().publish(ServiceSlot::Calibration, &calibration);
    for (int i = 0; i < 10; ++i)
        unit.KeepAliveTick();
    EXPECT_FALSE(unit.lost());
}

TEST_F(UnitSessionTest, NameListsAreRefreshedOnceWhenDirty) {
    int refreshed = 0;
    QObject::connect(&unit, &UnitSession::refreshNameLists, [&] { ++refreshed; });
    unit.MarkNamesDirty();
    unit.KeepAliveTick();
    unit.KeepAliveTick();
    EXPECT_EQ(refreshed, 1);
}

// An answer shorter than its layout would be read as zeros: it is refused,
// counted and logged, and the exact length still counts.
TEST_F(UnitSessionTest, AnswersShorterThanTheirLayoutAreRefused) {
    int routed = 0;
    QObject::connect(&unit, &UnitSession::configAnswer, [&] { ++routed; });
    QObject::connect(&unit, &UnitSession::statusReceived, [&] { ++routed; });
    QObject::connect(&unit.live(), &LiveStatus::channelChanged, [&] { ++routed; });
    QObject::connect(&unit.diagnostics(), &DiagnosticsModel::highPowerReceived, [&] { ++routed; });
    struct Case {
        std::uint8_t code;
        int length;
        const char* name;
    };
    const Case cases[] = {
        {msg::OUTPUT_CFG, 30, "OUTPUT_CFG"},
        {msg::CAN_RULE, 49, "CAN_RULE"},
        {msg::STATUS, 24, "STATUS"},
        {msg::CHANNEL_STATE, 10, "CHANNEL_STATE"},
        {msg::DIAG_HIGH_POWER, 41, "DIAG_HIGH_POWER"},
        {msg::FLASH_WRITE_DONE, 5, "FLASH_WRITE_DONE"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> payload(static_cast<std::size_t>(c.length - 4), 1);
        lines.clear();
        const long long refusedBefore = unit.shortAnswers();
        unit.Dispatch(LinkPacket::make(kGroupApp, c.code, payload.data(), c.length - 5));
        EXPECT_EQ(unit.shortAnswers(), refusedBefore + 1) << c.name;
        ASSERT_EQ(lines.size(), 1) << c.name;
        EXPECT_TRUE(lines[0].contains(c.name)) << lines[0].toStdString();
        EXPECT_EQ(colours.back(), kColourChecksum);
        const int before = routed;
        unit.Dispatch(LinkPacket::make(kGroupApp, c.code, payload.data(), c.length - 4));
        if (c.code != msg::FLASH_WRITE_DONE) EXPECT_EQ(routed, before + 1) << c.name;
        EXPECT_EQ(unit.shortAnswers(), refusedBefore + 1) << c.name;
    }
}

// Frames the assembler drops are as visible in the traffic log as checksum errors.
TEST_F(UnitSessionTest, DroppedFramesAreLoggedInBlue) {
    const QByteArray badEscape("\xC0\x01\x02\xDB\x01\xC0", 6);
    const QByteArray tooShort("\xC0\x01\x02\xC0", 4);
    for (const QByteArray& frame : {badEscape, tooShort}) {
        lines.clear();
        unit.PutBytes(frame);
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].startsWith("Frame dropped")) << lines[0].toStdString();
        EXPECT_EQ(colours.back(), kColourChecksum);
    }
}
