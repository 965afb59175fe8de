// The service tools' logic against recorded sends and hand-made answers:
// request layouts, the rules of each tool, and the answers each one refuses.
#include "protocol/message_catalogue.h"
#include "session/unit_session.h"
#include "tests/support/recording_link.h"
#include "tools/calibration/calibration_logic.h"
#include "tools/eeprom/eeprom_file.h"
#include "tools/eeprom/eeprom_transfer.h"
#include "tools/ping/ping_logic.h"
#include "tools/runtime_error/error_log_logic.h"
#include "tools/setup/setup_logic.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

using namespace vm;

namespace {

// Timers need an application object, though no test runs its event loop.
QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "service_logic_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

struct Fixture {
    QCoreApplication& app = App();
    RecordingLink link;
    UnitSession unit{link, nullptr};
    Fixture() { unit.SetConnected(true); }
};

LinkPacket Grp1(std::uint8_t command, std::initializer_list<std::uint8_t> payload = {}) {
    return LinkPacket::make(kGroupApp, command, payload);
}
LinkPacket Svc(std::uint8_t command, std::initializer_list<std::uint8_t> payload = {}) {
    return LinkPacket::make(kGroupService, command, payload);
}
LinkPacket Corrupted(LinkPacket p) {
    p.bytes[0] ^= 0x55;
    return p;
}

} // namespace

// ---- ping ----

TEST(PingLogic, PingIs21BytesAndOnlyAnEqualEchoClearsIt) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> randoms; // count, then data
        std::function<LinkPacket(const LinkPacket&)> echo;
        bool right;
        QStringList tail; // last lines
    };
    const auto same = [](const LinkPacket& p) {
        return Svc(msg::PING_CFM, {}), LinkPacket::make(kGroupService, msg::PING_CFM, &p.bytes[4], 17);
    };
    const Case cases[] = {
        {"no data", {0}, same, true, {}},
        {"three bytes", {3, 0x10, 0xFE + 1, 7}, same, true, {}},
        {"one byte changed",
         {2, 1, 2},
         [](const LinkPacket&) {
             return Svc(msg::PING_CFM, {2, 1, 3});
         },
         false,
         {QStringLiteral(" ERROR in data")}},
        {"count differs",
         {2, 1, 2},
         [](const LinkPacket&) {
             return Svc(msg::PING_CFM, {3, 1, 2, 0});
         },
         false,
         {QStringLiteral(" ERROR in data")}},
        {"data cut short",
         {2, 1, 2},
         [](const LinkPacket&) {
             return Svc(msg::PING_CFM, {2, 1});
         },
         false,
         {QStringLiteral(" ERROR in data")}},
        {"count past 15",
         {0},
         [](const LinkPacket&) { return Svc(msg::PING_CFM, {16}); },
         false,
         {QStringLiteral(" ERROR in data")}},
    };
    for (const Case& c : cases) {
        Fixture f;
        std::size_t i = 0;
        PingLogic ping(
            f.unit, [&] { return c.randoms[std::min(i++, c.randoms.size() - 1)]; },
            [] { return QTime(10, 0, 5, 42); });
        QStringList lines;
        QObject::connect(&ping, &PingLogic::lineAdded, [&](const QString& l) { lines << l; });
        ping.SendPing();
        ASSERT_EQ(f.link.sent.size(), 1u) << c.what;
        EXPECT_EQ(f.link.sent[0].length(), 21) << c.what;
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("5:42: PING_REQ - Data: "))) << c.what;
        ping.ReceivePacket(c.echo(f.link.sent[0]));
        EXPECT_EQ(!ping.pending(), c.right) << c.what;
        EXPECT_EQ(ping.errorCount(), c.right ? 0 : 1) << c.what;
        EXPECT_EQ(lines.mid(2), c.tail) << c.what;
    }
}

// An echo of the ping before, arriving after it timed out, is neither an error
// of the current ping nor its answer.
TEST(PingLogic, LateEchoOfThePingBeforeIsSetAside) {
    Fixture f;
    std::uint32_t next = 0;
    PingLogic ping(
        f.unit, [&] { return next++ % 7 + 2; }, [] { return QTime(10, 0, 5, 42); });
    int echoes = 0;
    QObject::connect(&ping, &PingLogic::echoReceived, [&](bool, double) { ++echoes; });
    ping.SendPing();
    const LinkPacket first = f.link.sent.back();
    ping.SendPing(); // the first one timed out
    ASSERT_NE(f.link.sent.back().checksum(), first.checksum());
    ping.ReceivePacket(LinkPacket::make(kGroupService, msg::PING_CFM, &first.bytes[4], 17));
    EXPECT_TRUE(ping.pending());
    EXPECT_EQ(ping.errorCount(), 0);
    EXPECT_EQ(echoes, 0);
    ping.ReceivePacket(LinkPacket::make(kGroupService, msg::PING_CFM, &f.link.sent.back().bytes[4], 17));
    EXPECT_FALSE(ping.pending());
    EXPECT_EQ(echoes, 1);
}

TEST(PingLogic, TimerTimesOutAfterFiftyTicksAndChecksumErrorsAreLogged) {
    Fixture f;
    PingLogic ping(f.unit);
    QStringList lines;
    QObject::connect(&ping, &PingLogic::lineAdded, [&](const QString& l) { lines << l; });
    EXPECT_TRUE(ping.StartTimer(QStringLiteral("0")).has_value()); // at least 1 ms
    EXPECT_TRUE(ping.StartTimer(QStringLiteral("abc")).has_value());
    ASSERT_FALSE(ping.StartTimer(QStringLiteral("1")).has_value());
    ping.Timer1Timer(); // sends
    for (int t = 0; t < 50; ++t)
        ping.Timer1Timer();
    EXPECT_TRUE(ping.pending());
    ping.Timer1Timer();
    EXPECT_FALSE(ping.pending());
    EXPECT_EQ(lines.last(), QStringLiteral(" Timeout error"));
    EXPECT_EQ(f.link.sent.size(), 1u);
    ping.ReceivePacket(Corrupted(Grp1(msg::STATUS)));
    EXPECT_EQ(lines.last(), QStringLiteral("Chksum Error...."));
    const int before = lines.size();
    ping.ReceivePacket(Grp1(msg::STATUS)); // another group or code: no line
    EXPECT_EQ(lines.size(), before);
    ping.StopTimer();
}

// ---- system setup ----

TEST(SetupLogic, FieldChecksAndStorePayload) {
    struct Case {
        ProductionTexts texts;
        const char* error; // part of the message, or null when accepted
        std::vector<std::uint8_t> payload;
    };
    const Case cases[] = {
        {{"1234", "2010", "12", "2"}, nullptr, {0x00, 0x00, 0x04, 0xD2, 0x0C, 0x0A, 0x02}},
        {{"4294967295", "2099", "255", "255"}, nullptr, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 99, 0xFF}},
        {{"0", "2006", "0", "0"}, nullptr, {0, 0, 0, 0, 0, 6, 0}},
        {{" 16909060 ", " 2024 ", " 52 ", " 3 "}, nullptr, {0x01, 0x02, 0x03, 0x04, 52, 24, 3}},
        {{"+5", "2010", "1", "1"}, "Serial number", {}},
        {{"5", "2010", "1", "1 2"}, "Hardware version", {}},
        {{"1234", "2005", "1", "1"}, "NOT a Valit Year", {}},
        {{"1234", "2100", "1", "1"}, "NOT a Valit Year", {}},
        {{"4294967296", "2010", "1", "1"}, "Serial number", {}},
        {{"-1", "2010", "1", "1"}, "Serial number", {}},
        {{"12a", "2010", "1", "1"}, "Serial number", {}},
        {{"1", "2010", "256", "1"}, "Production week", {}},
        {{"1", "2010", "x", "1"}, "Production week", {}},
        {{"1", "2010", "1", "300"}, "Hardware version", {}},
        {{"1", "20x0", "1", "1"}, "NOT a Valit Year", {}},
    };
    for (const Case& c : cases) {
        Fixture f;
        SetupLogic setup(f.unit);
        const auto refused = setup.Upload(c.texts);
        if (!c.error) {
            ASSERT_FALSE(refused) << c.texts.serial.toStdString();
            ASSERT_EQ(f.link.sent.size(), 1u);
            EXPECT_EQ(f.link.sent[0].length(), 11);
            EXPECT_EQ(std::vector<std::uint8_t>(f.link.sent[0].bytes.begin() + 4,
                                                f.link.sent[0].bytes.begin() + 11),
                      c.payload);
        } else {
            ASSERT_TRUE(refused);
            EXPECT_TRUE(refused->contains(QLatin1String(c.error))) << refused->toStdString();
            EXPECT_TRUE(f.link.sent.empty()) << "a refused store sent something";
        }
    }
}

TEST(SetupLogic, ShowsOnlyTheAnswerItAskedForAndRereadsAfterTheStore) {
    Fixture f;
    SetupLogic setup(f.unit);
    std::vector<ProductionData> read;
    QObject::connect(&setup, &SetupLogic::dataRead, [&](const ProductionData& d) { read.push_back(d); });
    const LinkPacket answer = Grp1(msg::SYSTEM_SETUP, {0x00, 0x00, 0x04, 0xD2, 7, 9, 3});
    setup.ReceivePacket(answer); // not asked: another window's
    EXPECT_TRUE(read.empty());
    setup.Read();
    setup.ReceivePacket(Grp1(msg::SYSTEM_SETUP, {0x00, 0x00, 0x04})); // short
    EXPECT_TRUE(read.empty());
    setup.ReceivePacket(answer);
    ASSERT_EQ(read.size(), 1u);
    const ProductionTexts t = TextsOf(read[0]);
    EXPECT_EQ(t.serial, QStringLiteral("00001234"));
    EXPECT_EQ(t.year, QStringLiteral("2009"));
    EXPECT_EQ(t.week, QStringLiteral("07"));
    EXPECT_EQ(t.hardware, QStringLiteral("03"));
    EXPECT_EQ(TextsOf(ProductionData{123456789, 1, 2010, 1}).serial, QStringLiteral("123456789"));
    EXPECT_EQ(TextsOf(ProductionData{3000000000u, 1, 2010, 1}).serial, QStringLiteral("3000000000"));

    ASSERT_FALSE(setup.Upload({"5", "2020", "1", "1"}));
    f.link.sent.clear();
    setup.ReceivePacket(Grp1(msg::SYSTEM_SETUP_WRITE_DONE));
    ASSERT_EQ(f.link.commands(), std::vector<int>{msg::SYSTEM_SETUP_READ});
}

TEST(SetupLogic, StoreLostWithTheDeviceGoesAgainOrEndsSayingSo) {
    Fixture f;
    SetupLogic setup(f.unit);
    QString failure;
    QObject::connect(&setup, &SetupLogic::storeFailed, [&](const QString& w) { failure = w; });
    ASSERT_FALSE(setup.Upload({"5", "2020", "1", "1"}));
    f.unit.OnDeviceLost();
    f.unit.OnDeviceReopened(0);
    EXPECT_EQ(f.link.commands(), (std::vector<int>{msg::SYSTEM_SETUP_WRITE, msg::SYSTEM_SETUP_WRITE}));
    f.unit.OnDeviceLost();
    setup.lossGuard().GraceTimer();
    EXPECT_TRUE(failure.contains(QLatin1String("USB DISCONNECTED")));
    EXPECT_FALSE(setup.storePending());
}

// ---- runtime error log ----

TEST(ErrorLogLogic, EntriesAreAskedOneByOneOnlyForTheNumberAsked) {
    Fixture f;
    ErrorLogLogic log(f.unit);
    QStringList lines;
    QObject::connect(&log, &ErrorLogLogic::lineAdded, [&](const QString& l) { lines << l; });
    log.Start();
    log.ReceivePacket(Svc(msg::ERROR_LOG_COUNT, {3}));
    EXPECT_EQ(lines, QStringList{QStringLiteral(" Error list count 3")});
    const auto entry = [](int n, std::initializer_list<std::uint8_t> data) {
        std::vector<std::uint8_t> p = {static_cast<std::uint8_t>(n),
                                       'm',
                                       'a',
                                       'i',
                                       'n',
                                       '.',
                                       'c',
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0,
                                       0x34,
                                       0x12,
                                       2,
                                       static_cast<std::uint8_t>(data.size())};
        p.insert(p.end(), data);
        return LinkPacket::make(kGroupService, msg::ERROR_LOG_ENTRY, p.data(), static_cast<int>(p.size()));
    };
    log.ReceivePacket(entry(2, {})); // not the one asked
    EXPECT_EQ(log.entriesShown(), 0);
    log.ReceivePacket(entry(1, {0x0A, 0xFF}));
    log.ReceivePacket(entry(2, {}));
    log.ReceivePacket(entry(3, {1}));
    EXPECT_EQ(log.entriesShown(), 3);
    std::vector<int> asked;
    for (const LinkPacket& p : f.link.sent)
        if (p.command() == msg::ERROR_LOG_ENTRY_REQ) asked.push_back(p.at(4));
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(lines.count(QString(53, QLatin1Char('-'))), 3);
    EXPECT_TRUE(lines.contains(QStringLiteral("Data        : 0x0A:0xFF:")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Line number : 4660")));
    EXPECT_TRUE(lines.contains(QStringLiteral("File name   : main.c")));
    EXPECT_FALSE(log.listing());
}

TEST(ErrorLogLogic, EntryTextsAreBoundedByThePacketAndShownSafely) {
    std::vector<std::uint8_t> p = {1,   'A', 'B', 'C',  'D', 'E', 'F', 'G', 'H',
                                   'I', 'J', 'K', 0x07, 1,   0,   9,   200, 0x11};
    const QStringList lines = ErrorEntryLines(
        LinkPacket::make(kGroupService, msg::ERROR_LOG_ENTRY, p.data(), static_cast<int>(p.size())));
    EXPECT_EQ(lines[1], QStringLiteral("File name   : ABCDEFGHIJK\\x07")); // 12 characters, no zero byte
    EXPECT_EQ(lines[4], QStringLiteral("Data len    : 200"));
    EXPECT_EQ(lines[5], QStringLiteral("Data        : 0x11:")); // only what arrived
    EXPECT_EQ(lines[6], QStringLiteral("(1 of 200 data bytes arrived)"));
}

TEST(ErrorLogLogic, ServiceCommandsAndTheirAnswerLines) {
    struct Case {
        void (ErrorLogLogic::*click)();
        int group, request;
        LinkPacket answer;
        const char* line;
    };
    const Case cases[] = {
        {&ErrorLogLogic::ResetLog, 0, msg::ERROR_LOG_RESET, Svc(msg::ERROR_LOG_RESET_DONE),
         " Error log reset.."},
        {&ErrorLogLogic::ResetSystemLog, 1, msg::SYSTEM_LOG_RESET, Grp1(msg::SYSTEM_LOG_RESET_DONE),
         " System log data reset.."},
        {&ErrorLogLogic::Reboot, 1, msg::REBOOT_REQ, Grp1(msg::REBOOT_DONE), " System reboot.."},
    };
    for (const Case& c : cases) {
        Fixture f;
        ErrorLogLogic log(f.unit);
        QStringList lines;
        QObject::connect(&log, &ErrorLogLogic::lineAdded, [&](const QString& l) { lines << l; });
        log.ReceivePacket(c.answer); // unasked: nothing
        EXPECT_TRUE(lines.isEmpty()) << c.line;
        (log.*c.click)();
        ASSERT_EQ(f.link.sent.size(), 1u);
        EXPECT_EQ(f.link.sent[0].group(), c.group);
        EXPECT_EQ(f.link.sent[0].command(), c.request);
        EXPECT_EQ(f.link.sent[0].length(), 4);
        log.ReceivePacket(Corrupted(c.answer));
        log.ReceivePacket(c.answer);
        EXPECT_EQ(lines, QStringList{QLatin1String(c.line)});
    }
}

// ---- EEPROM ----

TEST(EepromTransfer, ReadRequestsEveryBlockAndMovesOnOnlyForTheBlockAsked) {
    const LinkPacket request = EepromReadRequest(0x0123);
    EXPECT_EQ(request.length(), 7);
    EXPECT_EQ(std::vector<int>(request.bytes.begin() + 4, request.bytes.begin() + 7),
              (std::vector<int>{16, 0x23, 0x01}));
    Fixture f;
    EepromImage image;
    EepromTransfer t(f.unit, image);
    std::vector<int> progress;
    QObject::connect(&t, &EepromTransfer::progressChanged, [&](int p) { progress.push_back(p); });
    t.StartRead({0, 0x1000});
    for (int n = 0; n < 400 && t.mode() == EepromTransfer::Mode::Reading; ++n) {
        const LinkPacket& req = f.link.sent.back();
        const int a = req.at(5) | (req.at(6) << 8);
        std::vector<std::uint8_t> p = {16, req.at(5), req.at(6)};
        for (int i = 0; i < 16; ++i)
            p.push_back(static_cast<std::uint8_t>(a + i));
        if (n == 3) { // another block's answer is not taken and does not move the read
            std::vector<std::uint8_t> q = p;
            q[1] = 0x00;
            q[2] = 0x0F;
            t.ReceivePacket(LinkPacket::make(kGroupService, msg::EEPROM_DATA, q.data(), 19));
        }
        t.ReceivePacket(LinkPacket::make(kGroupService, msg::EEPROM_DATA, p.data(), 19));
    }
    ASSERT_EQ(f.link.sent.size(), 256u);
    EXPECT_EQ(f.link.sent.back().at(5) | (f.link.sent.back().at(6) << 8), 0x0FF0);
    EXPECT_EQ(t.mode(), EepromTransfer::Mode::Idle);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(image.cell(0x0020), QStringLiteral("20"));
    EXPECT_EQ(image.AsciiOfRow(0x0040), QStringLiteral("@ABCDEFGHIJKLMNO"));
}

TEST(EepromTransfer, WriteRefusesABadCellAndTimeoutAndLossAreReported) {
    Fixture f;
    EepromImage image;
    EepromTransfer t(f.unit, image);
    QStringList failures;
    QObject::connect(&t, &EepromTransfer::failed, [&](const QString& w) { failures << w; });
    image.setCell(0x25, QStringLiteral("ZZ"));
    const auto refused = t.StartWrite({0, 0x40});
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->contains(QLatin1String("0025")));
    EXPECT_TRUE(f.link.sent.empty());
    image.setCell(0x25, QStringLiteral("5"));
    ASSERT_FALSE(t.StartWrite({0, 0x40}));
    EXPECT_EQ(f.link.sent.back().at(7 + 5), 0x00);
    t.ReadWriteTimerTimer();
    EXPECT_EQ(failures.last(), QString::fromLatin1(kPowerUpText));
    t.ReceivePacket(Svc(msg::EEPROM_WRITE_DONE)); // late: goes on
    EXPECT_EQ(t.current(), 0x10);
    f.unit.OnDeviceLost();
    EXPECT_FALSE(t.waiting());
    f.unit.OnDeviceReopened(0); // the block went with the device: again
    EXPECT_EQ(f.link.sent.size(), 3u);
    EXPECT_EQ(f.link.sent[2].at(5), 0x10);
    f.unit.OnDeviceLost();
    t.lossGuard().GraceTimer();
    EXPECT_TRUE(failures.last().contains(QLatin1String("0000..000F"))) << failures.last().toStdString();
    EXPECT_EQ(t.mode(), EepromTransfer::Mode::Idle);
}

TEST(EepromImage, CellEditRangesAndAsciiView) {
    struct Edit {
        const char *remembered, *edited, *cell;
        bool changed, beep;
    } const edits[] = {
        {"A5", "3", "53", true, false}, {"A5", "1FF", "00", true, false}, {"A5", "ZZ", "00", true, true},
        {"A5", "", "", false, false},   {"A5", "A5", "", false, false},   {"00", "f", "0F", true, false},
    };
    for (const Edit& e : edits) {
        const CellEdit r = EditCell(QLatin1String(e.remembered), QLatin1String(e.edited));
        EXPECT_EQ(r.changed, e.changed) << e.edited;
        EXPECT_EQ(r.beep, e.beep) << e.edited;
        if (e.changed) EXPECT_EQ(r.cell, QLatin1String(e.cell)) << e.edited;
    }
    struct Range {
        const char *start, *end;
        bool ok;
    } const ranges[] = {{"0000", "1000", true},  {"0100", "0110", true},  {"0008", "1000", false},
                        {"0000", "0FF8", false}, {"0100", "0100", false}, {"0200", "0100", false},
                        {"0000", "2000", false}, {"00G0", "1000", false}, {"", "1000", false},
                        {"10000", "1000", false}};
    for (const Range& r : ranges)
        EXPECT_EQ(CheckEepromRange(QLatin1String(r.start), QLatin1String(r.end)).range.has_value(), r.ok)
            << r.start << ".." << r.end;
    EepromImage image;
    const std::uint8_t row[16] = {0x41, 0x20, 0x7F, 0x21, 0x7E, 0x00, 0xFF};
    image.setBytes(0x30, row, 16);
    image.setCell(0x3F, QString());
    EXPECT_EQ(image.AsciiOfRow(0x30), QStringLiteral("A. . !~. . . . . . . . . . "));
    image.Fill(0x20, 0x40, 0xFF);
    EXPECT_EQ(image.cell(0x3F), QStringLiteral("FF"));
    EXPECT_EQ(image.cell(0x40), QStringLiteral("00"));
}

// ---- calibration ----

TEST(Calibration, RatioRuleAndItsRefusals) {
    struct Case {
        const char* current;
        std::optional<ChannelCalibration> channel;
        int ratio; // 0: refused
    } const cases[] = {
        {"25", ChannelCalibration{10, 0, 0, 300}, 8297},
        {"25,0", ChannelCalibration{10, 0, 0, 300}, 8297},
        {"10", ChannelCalibration{20, 0, 0, 500}, 5000},
        {"50", ChannelCalibration{10, 0, 0, 330}, 15000},
        {"25", std::nullopt, 0},
        {"", ChannelCalibration{10, 0, 0, 300}, 0},
        {"2x", ChannelCalibration{10, 0, 0, 300}, 0},
        {"25", ChannelCalibration{10, 0, 0, 10}, 0},
        {"nan", ChannelCalibration{10, 0, 0, 300}, 0},
        {"inf", ChannelCalibration{10, 0, 0, 300}, 0},
        {"25", ChannelCalibration{10, 0, 0, 9}, 0}, // below the offset: no ratio, not the clamped least
    };
    for (const Case& c : cases) {
        const RatioResult r = ComputeRatio(QLatin1String(c.current), c.channel);
        EXPECT_EQ(r.ratio.value_or(0), c.ratio) << c.current;
        EXPECT_EQ(r.error.isEmpty(), c.ratio != 0) << c.current;
    }
    EXPECT_EQ(UseValuesFlags(true, true), 6);
    EXPECT_EQ(UseValuesFlags(false, true), 4);
    EXPECT_EQ(UseValuesFlags(true, false), 2);
    const ChannelTexts t = TextsOf(ChannelCalibration{5, 812, 123, 300});
    EXPECT_EQ(t.amps, QStringLiteral("12.3 A"));
    EXPECT_EQ(t.ratio, QStringLiteral("0812"));
    EXPECT_EQ(t.ad, QStringLiteral("0300"));
    EXPECT_EQ(t.offset, QStringLiteral("05"));
}

TEST(Calibration, StoreChainMovesOnOnlyForTheChannelStored) {
    struct Case {
        std::vector<int> channels;
        bool okMessage;
    } const cases[] = {{{3, 18}, true}, {{5}, false}};
    for (const Case& c : cases) {
        Fixture f;
        CalibrationLogic cal(f.unit);
        QStringList messages;
        QObject::connect(&cal, &CalibrationLogic::message, [&](const QString& m) { messages << m; });
        for (int ch : c.channels)
            cal.SetNewRatio(ch, 8000 + ch);
        cal.StoreRatios();
        std::vector<int> stored;
        for (std::size_t k = 0; k < c.channels.size(); ++k) {
            const LinkPacket& req = f.link.sent.back();
            ASSERT_EQ(req.command(), msg::CALIBRATION_SET);
            stored.push_back(req.at(4));
            EXPECT_EQ((req.at(5) << 8) | req.at(6), 8000 + req.at(4));
            const std::size_t before = f.link.sent.size();
            cal.ReceivePacket(
                Grp1(msg::CALIBRATION_SET_DONE, {static_cast<std::uint8_t>(req.at(4) + 1)})); // another
            EXPECT_EQ(f.link.sent.size(), before);
            cal.ReceivePacket(Grp1(msg::CALIBRATION_SET_DONE, {req.at(4)}));
        }
        EXPECT_EQ(stored, c.channels);
        EXPECT_EQ(messages.contains(QString::fromLatin1(kStoredRatioText)), c.okMessage);
        EXPECT_EQ(cal.storing(), 0);
    }
}

TEST(Calibration, PollsRoundRobinAndReturnsToTheMainWindowsMode) {
    Fixture f;
    CalibrationLogic cal(f.unit);
    cal.Open();
    EXPECT_EQ(f.link.sent.back().command(), msg::TEST_MODE_SET);
    EXPECT_EQ(f.link.sent.back().at(4), 2);
    cal.ReceivePacket(Grp1(msg::TEST_MODE_SET_DONE, {2}));
    EXPECT_TRUE(cal.inCalibrationMode());
    EXPECT_EQ(f.link.sent.back().command(), msg::CALIBRATION_READ);
    EXPECT_EQ(f.link.sent.back().at(4), 1);
    for (int i = 1; i < 12; ++i)
        cal.ReceivePacket(Grp1(msg::CALIBRATION_DATA, {static_cast<std::uint8_t>(i), 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(cal.pollChannel(), 12);
    cal.ReceivePacket(Grp1(msg::CALIBRATION_DATA, {7, 10, 0x20, 0x69, 0, 123, 0x01, 0x2C}));
    EXPECT_EQ(cal.channel(7)->ad, 300);
    cal.ReceivePacket(Grp1(msg::CALIBRATION_DATA, {7, 10})); // short: not read
    EXPECT_EQ(cal.pollChannel(), 13);
    cal.TimerRefresTimer();
    EXPECT_EQ(f.link.sent.back().at(4), 13);
    f.unit.SetTestMode(TestMode::Manual);
    f.link.sent.clear();
    cal.Close();
    ASSERT_EQ(f.link.sent.size(), 1u);
    EXPECT_EQ(f.link.sent[0].command(), msg::TEST_MODE_SET);
    EXPECT_EQ(f.link.sent[0].at(4), 1);
}

// ---- EEPROM: requests, stray answers, files ----

namespace {
LinkPacket EepromData(int address, std::uint8_t fill, int dataBytes = 16) {
    std::vector<std::uint8_t> p = {16, static_cast<std::uint8_t>(address),
                                   static_cast<std::uint8_t>(address >> 8)};
    p.resize(static_cast<std::size_t>(3 + dataBytes), fill);
    return LinkPacket::make(kGroupService, msg::EEPROM_DATA, p.data(), static_cast<int>(p.size()));
}
LinkPacket WriteDone(int address) {
    return Svc(msg::EEPROM_WRITE_DONE,
               {16, static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8)});
}
int AddressOf(const LinkPacket& request) { return request.at(5) | (request.at(6) << 8); }
} // namespace

TEST(EepromTransfer, WriteSendsEachBlockAtItsAddressWithTheBytesTakenAtTheStart) {
    std::uint8_t block[16];
    for (int i = 0; i < 16; ++i)
        block[i] = static_cast<std::uint8_t>(0xF0 + i);
    const LinkPacket request = EepromWriteRequest(0x0FF0, block);
    ASSERT_EQ(request.length(), 23);
    EXPECT_EQ(request.command(), msg::EEPROM_WRITE);
    EXPECT_EQ(std::vector<int>(request.bytes.begin() + 4, request.bytes.begin() + 8),
              (std::vector<int>{16, 0xF0, 0x0F, 0xF0}));
    EXPECT_EQ(request.at(22), 0xFF);

    Fixture f;
    EepromImage image;
    for (int a = 0x100; a < 0x130; ++a)
        image.setCell(a, ByteText(static_cast<std::uint8_t>(a - 0x100)));
    EepromTransfer t(f.unit, image);
    std::vector<int> progress;
    int finished = 0;
    QObject::connect(&t, &EepromTransfer::progressChanged, [&](int p) { progress.push_back(p); });
    QObject::connect(&t, &EepromTransfer::finished,
                     [&](EepromTransfer::Mode m) { finished += m == EepromTransfer::Mode::Writing; });
    ASSERT_FALSE(t.StartWrite({0x100, 0x130}));
    image.setCell(0x115, QStringLiteral("EE")); // an edit after the start is not what goes out
    for (int block = 0; block < 3; ++block) {
        ASSERT_EQ(f.link.sent.size(), static_cast<std::size_t>(block + 1)) << "sent before the answer";
        const LinkPacket& req = f.link.sent.back();
        EXPECT_EQ(AddressOf(req), 0x100 + 16 * block);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(req.at(7 + i), 16 * block + i) << block << ":" << i;
        t.ReceivePacket(WriteDone(0x100 + 16 * block));
    }
    EXPECT_EQ(f.link.sent.size(), 3u);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(progress, (std::vector<int>{0, 33, 66, 100}));
    EXPECT_FALSE(t.waiting());
}

TEST(EepromTransfer, AnswersNotAskedForLeaveTheGridAndTheTransferAlone) {
    struct Case {
        const char* what;
        std::optional<EepromRange> reading; // none: idle
        LinkPacket answer;
    } const cases[] = {
        {"data while idle", std::nullopt, EepromData(0x0100, 0xAB)},
        {"data of another block", EepromRange{0x0100, 0x0140}, EepromData(0x0110, 0xAB)},
        {"data of the block before", EepromRange{0x0100, 0x0140}, EepromData(0x00F0, 0xAB)},
        {"data off the 16-byte bounds", EepromRange{0x0100, 0x0140}, EepromData(0x0108, 0xAB)},
        {"data past the end", EepromRange{0x0FF0, 0x1000}, EepromData(0x1000, 0xAB)},
        {"data cut short", EepromRange{0x0100, 0x0140}, EepromData(0x0100, 0xAB, 15)},
        {"data with a bad checksum", EepromRange{0x0100, 0x0140}, Corrupted(EepromData(0x0100, 0xAB))},
        {"a write answer while reading", EepromRange{0x0100, 0x0140}, WriteDone(0x0100)},
    };
    for (const Case& c : cases) {
        Fixture f;
        EepromImage image;
        EepromTransfer t(f.unit, image);
        int changed = 0;
        QObject::connect(&image, &EepromImage::rowsChanged, [&] { ++changed; });
        if (c.reading) t.StartRead(*c.reading);
        const int current = t.current();
        t.ReceivePacket(c.answer);
        EXPECT_EQ(changed, 0) << c.what;
        EXPECT_EQ(image.BytesOf(0, kEepromBytes).bytes.count('\xAB'), 0) << c.what;
        EXPECT_EQ(t.current(), current) << c.what;
        EXPECT_EQ(f.link.sent.size(), c.reading ? 1u : 0u) << c.what;
    }
}

TEST(EepromTransfer, WriteMovesOnOnlyForTheBlockItWaitsFor) {
    Fixture f;
    EepromImage image;
    EepromTransfer t(f.unit, image);
    ASSERT_FALSE(t.StartWrite({0, 0x30}));
    t.ReceivePacket(WriteDone(0x0000));
    ASSERT_EQ(t.current(), 0x10);
    t.ReceivePacket(WriteDone(0x0000)); // the first block's answer once more
    EXPECT_EQ(t.current(), 0x10) << "a repeated answer confirmed a block the unit never acknowledged";
    t.ReceivePacket(Svc(msg::EEPROM_WRITE_DONE)); // no address: taken as the answer
    EXPECT_EQ(t.current(), 0x20);
}

TEST(EepromFile, TextAndBinaryRoundTripsKeepEveryByteAtItsAddress) {
    QTemporaryDir dir;
    EepromImage source;
    for (int a = 0; a < kEepromBytes; ++a)
        source.setCell(a, ByteText(static_cast<std::uint8_t>((a * 37 + (a >> 8)) & 0xFF)));
    struct Case {
        const char* file;
        int start, end;
    } const cases[] = {{"all.txt", 0, 0x1000},
                       {"range.TXT", 0x0300, 0x0400},
                       {"last.txt", 0x0FF0, 0x1000},
                       {"all.bin", 0, 0x1000}};
    for (const Case& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.file));
        ASSERT_EQ(SaveEepromFile(path, source, c.start, c.end), QString()) << c.file;
        EepromImage back;
        back.Fill(0, kEepromBytes, 0xFF);
        EepromRows rows{};
        ASSERT_EQ(LoadEepromFile(path, back, &rows), QString()) << c.file;
        for (int a = 0; a < kEepromBytes; ++a) {
            const bool inside = a >= c.start && a < c.end;
            ASSERT_EQ(back.cell(a), inside ? source.cell(a) : QStringLiteral("FF")) << c.file << " at " << a;
            ASSERT_EQ(rows[static_cast<std::size_t>(a / 16)], inside) << c.file << " at " << a;
        }
    }
}

TEST(EepromFile, RefusedFilesChangeNothing) {
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& data) {
        QFile file(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return file.fileName();
    };
    const QByteArray row = "0000:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11;//\n";
    struct Case {
        QString path;
        const char* error; // what the message names
    } const cases[] = {
        {write("big.bin", QByteArray(4097, '\x11')), "4097 bytes"},
        {write("bad3.txt", row + QByteArray(row).replace("0000", "0010") + "0020:11,11;//\n"),
         "bad3.txt:3: byte 1"},
        {write("between.txt", QByteArray(row).replace("0000", "0FF8")), "not the start of a row"},
        {write("past.txt", QByteArray(row).replace("0000", "1000")), "not the start of a row"},
        {write("image.dat", row), "neither a .txt nor a .bin"},
        {dir.filePath(QStringLiteral("missing.txt")), "Unable to open"},
    };
    for (const Case& c : cases) {
        EepromImage image;
        image.Fill(0, kEepromBytes, 0xAA);
        EepromRows rows{};
        rows.fill(true);
        const QString refused = LoadEepromFile(c.path, image, &rows);
        EXPECT_TRUE(refused.contains(QLatin1String(c.error))) << refused.toStdString();
        EXPECT_EQ(image.BytesOf(0, kEepromBytes).bytes, QByteArray(kEepromBytes, '\xAA')) << c.error;
        EXPECT_EQ(std::count(rows.begin(), rows.end(), true), 0) << c.error;
    }
    // A short binary file sets its bytes and no more; only whole rows count as given.
    EepromImage image;
    image.Fill(0, kEepromBytes, 0xAA);
    EepromRows rows{};
    ASSERT_EQ(LoadEepromFile(write("short.bin", QByteArray(20, '\x11')), image, &rows), QString());
    EXPECT_EQ(image.cell(0x13), QStringLiteral("11"));
    EXPECT_EQ(image.cell(0x14), QStringLiteral("AA"));
    EXPECT_TRUE(rows[0]);
    EXPECT_FALSE(rows[1]);
}

// ---- calibration: rounding, polling, nothing to store ----

TEST(Calibration, RatioIsTruncatedNotRoundedAndClampedAtBothEnds) {
    struct Case {
        const char* current;
        std::uint16_t ad;
        std::uint8_t offset;
        int ratio; // 0: refused
    } const cases[] = {
        {"30", 310, 10, 9624},                                             // 9624.64
        {" 30 ", 310, 10, 9624},                                           // blanks around
        {"5.2", 100, 0, 5004},                                             // 5004.81
        {"5.19", 100, 0, 5000},                                            // 4995.19, raised to the least
        {"15.59", 100, 0, 15000},                                          // 15004.81, cut to the most
        {"100", 1023, 0, 9408},                                            // the whole 10-bit span
        {"1000", 1023, 0, 15000},                                          // the largest current taken
        {"1000.5", 1023, 0, 0},   {"-1", 300, 10, 0}, {"25", 255, 255, 0}, // ad == offset
    };
    for (const Case& c : cases) {
        const RatioResult r =
            ComputeRatio(QLatin1String(c.current), ChannelCalibration{c.offset, 0, 0, c.ad});
        EXPECT_EQ(r.ratio.value_or(0), c.ratio) << c.current << " ad " << c.ad;
    }
}

TEST(Calibration, PollWrapsAfterChannel18AndRepliesOutsideAreNotStored) {
    Fixture f;
    CalibrationLogic cal(f.unit);
    std::vector<int> changed;
    QObject::connect(&cal, &CalibrationLogic::channelChanged, [&](int ch) { changed.push_back(ch); });
    cal.ReceivePacket(Grp1(msg::TEST_MODE_SET_DONE, {2})); // not asked: the main window's
    EXPECT_FALSE(cal.inCalibrationMode());
    EXPECT_TRUE(f.link.sent.empty());
    cal.Open();
    cal.ReceivePacket(Grp1(msg::TEST_MODE_SET_DONE, {2}));
    cal.ReceivePacket(Grp1(msg::TEST_MODE_SET_DONE, {2})); // once more: no second poll
    EXPECT_EQ(f.link.commands(), (std::vector<int>{msg::TEST_MODE_SET, msg::CALIBRATION_READ}));
    const auto data = [](int ch) {
        return Grp1(msg::CALIBRATION_DATA, {static_cast<std::uint8_t>(ch), 0, 0, 0, 0, 0, 0, 0});
    };
    for (int ch = 1; ch <= 17; ++ch)
        cal.ReceivePacket(data(ch));
    EXPECT_EQ(cal.pollChannel(), 18);
    EXPECT_TRUE(cal.refreshTimer().isActive());
    EXPECT_TRUE(cal.refreshTimer().isSingleShot());
    EXPECT_EQ(cal.refreshTimer().interval(), 100);
    cal.ReceivePacket(data(18));
    EXPECT_EQ(cal.pollChannel(), 1);
    cal.TimerRefresTimer();
    EXPECT_EQ(f.link.sent.back().at(4), 1);
    cal.ReceivePacket(data(0));
    cal.ReceivePacket(data(19));
    EXPECT_EQ(cal.pollChannel(), 3);
    EXPECT_EQ(changed.size(), 18u);
    EXPECT_EQ(changed.back(), 18);
}

TEST(Calibration, NothingToStoreSendsNothingAndLateStoreAnswersAreIgnored) {
    Fixture f;
    CalibrationLogic cal(f.unit);
    int ended = 0, stored = 0;
    QStringList messages;
    QObject::connect(&cal, &CalibrationLogic::storeChainEnded, [&] { ++ended; });
    QObject::connect(&cal, &CalibrationLogic::ratioStored, [&] { ++stored; });
    QObject::connect(&cal, &CalibrationLogic::message, [&](const QString& m) { messages << m; });
    for (int ch : {0, 19})
        EXPECT_FALSE(cal.NewRatio(ch, QStringLiteral("25")).ratio) << ch;
    cal.StoreRatios();
    EXPECT_TRUE(f.link.sent.empty());
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(messages.isEmpty());
    cal.SetNewRatio(18, 0x1234);
    cal.StoreRatios();
    ASSERT_EQ(f.link.sent.size(), 1u);
    EXPECT_EQ(std::vector<int>(f.link.sent[0].bytes.begin() + 4, f.link.sent[0].bytes.begin() + 7),
              (std::vector<int>{18, 0x12, 0x34}));
    cal.ReceivePacket(Grp1(msg::CALIBRATION_SET_DONE, {18}));
    cal.ReceivePacket(Grp1(msg::CALIBRATION_SET_DONE, {18})); // late repeat
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(ended, 2);
    EXPECT_EQ(messages, QStringList{QString::fromLatin1(kStoredRatioText)});
    EXPECT_EQ(f.link.sent.size(), 1u);
}

// ---- setup, ping and error log: edges the tables above leave out ----

TEST(PingLogic, LinesShowTheBytesAndErrorsAddUpUntilTheTimerStartsAgain) {
    Fixture f;
    std::vector<std::uint32_t> randoms = {3, 0x10, 0xFE, 7, 2, 1, 2, 0};
    std::size_t next = 0;
    PingLogic ping(
        f.unit, [&] { return randoms[std::min(next++, randoms.size() - 1)]; },
        [] { return QTime(9, 1, 7, 3); });
    QStringList lines;
    std::vector<int> counts;
    QObject::connect(&ping, &PingLogic::lineAdded, [&](const QString& l) { lines << l; });
    QObject::connect(&ping, &PingLogic::errorCountChanged, [&](int n) { counts.push_back(n); });
    ping.SendPing();
    EXPECT_EQ(lines.last(), QStringLiteral("7:3: PING_REQ - Data: 10:FE:07:"));
    ping.ReceivePacket(Svc(msg::PING_CFM, {3, 0x10, 0xFE, 0x08}));
    EXPECT_EQ(lines.mid(1), (QStringList{QStringLiteral("7:3: PING_CFM - Data: 10:FE:08:"),
                                         QStringLiteral(" ERROR in data")}));
    EXPECT_TRUE(ping.pending());
    ping.ReceivePacket(Svc(msg::PING_CFM, {3, 0x10, 0xFE, 0x07}));
    EXPECT_FALSE(ping.pending());
    EXPECT_EQ(ping.errorCount(), 1);
    ping.SendPing();
    ping.ReceivePacket(Svc(msg::PING_CFM, {15, 1, 2})); // claims 15, two arrived
    EXPECT_EQ(lines.at(lines.size() - 2), QStringLiteral("7:3: PING_CFM - Data: 01:02:"));
    EXPECT_EQ(counts, (std::vector<int>{1, 2}));
    ASSERT_FALSE(ping.StartTimer(QStringLiteral(" 20 ")));
    EXPECT_EQ(ping.timer().interval(), 20);
    EXPECT_EQ(ping.errorCount(), 0);
    EXPECT_EQ(counts.back(), 0);
    ping.StopTimer();
}

TEST(ErrorLogLogic, EmptyLogEndsAtOnceAndALateCountIsNotTaken) {
    Fixture f;
    ErrorLogLogic log(f.unit);
    int done = 0, shortAnswers = 0;
    QObject::connect(&log, &ErrorLogLogic::listingDone, [&] { ++done; });
    QObject::connect(&log, &ErrorLogLogic::shortAnswer, [&] { ++shortAnswers; });
    log.Start();
    log.ReceivePacket(Svc(msg::ERROR_LOG_COUNT)); // no count byte
    EXPECT_EQ(shortAnswers, 1);
    EXPECT_TRUE(log.countPending());
    log.ReceivePacket(Svc(msg::ERROR_LOG_COUNT, {0}));
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(log.listing());
    EXPECT_EQ(f.link.commands(), std::vector<int>{msg::ERROR_LOG_COUNT_REQ});
    log.ReceivePacket(Svc(msg::ERROR_LOG_COUNT, {5})); // not asked any more
    EXPECT_EQ(log.entryCount(), 0);
    EXPECT_EQ(done, 1);
}
