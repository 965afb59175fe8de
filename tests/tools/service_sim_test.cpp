// The service tools against the simulated unit, in-process: each request goes
// to the unit as a frame and its answers come back through the tool's own
// assembler, so addresses, byte order and layouts must agree end to end.
#include "protocol/message_catalogue.h"
#include "session/unit_session.h"
#include "sim/sim_unit.h"
#include "tools/calibration/calibration_logic.h"
#include "tools/eeprom/eeprom_transfer.h"
#include "tools/runtime_error/error_log_logic.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <deque>

using namespace vm;

namespace {

// One application for the whole test program, whichever file asks first.
void app() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "service_sim_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
}

struct SimBench : PacketLink {
    sim::SimUnit unit;
    std::deque<std::vector<std::uint8_t>> toUnit;
    PacketReceiver* receiver = nullptr;
    FrameAssembler fromUnit{[this](const LinkPacket& p) {
        if (receiver) receiver->ReceivePacket(p);
    }};
    UnitSession session{*this, nullptr};
    int requests = 0;

    SimBench() {
        app();
        session.SetConnected(true);
    }
    void Enqueue(const std::uint8_t* frame, int length) override {
        toUnit.emplace_back(frame, frame + length);
    }
    void ResendLast() override {}
    // Requests to the unit and its answers back until none is left.
    void pump() {
        for (int n = 0; n < 10000 && !toUnit.empty(); ++n) {
            const std::vector<std::uint8_t> request = toUnit.front();
            toUnit.pop_front();
            ++requests;
            for (const sim::SimFrame& reply : unit.feed(request))
                fromUnit.PutBytes(reply.data(), static_cast<int>(reply.size()));
        }
    }
    sim::SimServiceData& service() { return unit.state().service; }
};

} // namespace

TEST(ServiceSim, EepromWriteLandsAtItsAddressesAndReadsBackByteForByte) {
    SimBench b;
    const auto original = b.service().eeprom;
    EepromImage image;
    EepromTransfer t(b.session, image);
    b.receiver = &t;
    t.StartRead({0, kEepromBytes});
    b.pump();
    ASSERT_EQ(t.mode(), EepromTransfer::Mode::Idle);
    EXPECT_EQ(b.requests, 256);
    const QByteArray all = image.BytesOf(0, kEepromBytes).bytes;
    ASSERT_EQ(all.size(), kEepromBytes);
    EXPECT_TRUE(
        std::equal(original.begin(), original.end(), reinterpret_cast<const std::uint8_t*>(all.constData())));

    for (int a = 0x100; a < 0x200; ++a)
        image.setCell(a, ByteText(static_cast<std::uint8_t>(0xFF - (a & 0xFF))));
    ASSERT_FALSE(t.StartWrite({0x100, 0x200}));
    b.pump();
    ASSERT_EQ(t.mode(), EepromTransfer::Mode::Idle);
    const auto& now = b.service().eeprom;
    for (int a = 0; a < kEepromBytes; ++a) {
        const std::uint8_t want = a >= 0x100 && a < 0x200 ? static_cast<std::uint8_t>(0xFF - (a & 0xFF))
                                                          : original[static_cast<std::size_t>(a)];
        ASSERT_EQ(now[static_cast<std::size_t>(a)], want) << "at " << a;
    }

    EepromImage back;
    EepromTransfer r(b.session, back);
    b.receiver = &r;
    r.StartRead({0x0F0, 0x210});
    b.pump();
    EXPECT_EQ(back.BytesOf(0x0F0, 0x210).bytes, image.BytesOf(0x0F0, 0x210).bytes);
    EXPECT_EQ(back.cell(0x0EF), QStringLiteral("00")) << "read outside its range";
}

TEST(ServiceSim, StoredRatioMakesTheUnitMeasureTheCurrentItWasCalibratedWith) {
    SimBench b;
    CalibrationLogic cal(b.session);
    b.receiver = &cal;
    int offsets = 0;
    QObject::connect(&cal, &CalibrationLogic::offsetsStored, [&] { ++offsets; });
    cal.Open();
    b.pump();
    ASSERT_TRUE(cal.inCalibrationMode());
    EXPECT_EQ(b.unit.state().testMode(), sim::TestMode::Calibration);
    // The poll timer's handler in place of its 100 ms, once per reply.
    const auto pollUntil = [&](int channel) {
        bool seen = false;
        const auto c =
            QObject::connect(&cal, &CalibrationLogic::channelChanged, [&](int ch) { seen |= ch == channel; });
        for (int n = 0; n < 2 * kCalibrationChannels && !seen; ++n) {
            cal.TimerRefresTimer();
            b.pump();
        }
        QObject::disconnect(c);
        return seen;
    };
    ASSERT_TRUE(pollUntil(3));
    EXPECT_EQ(cal.channel(3)->ad, 301);
    EXPECT_EQ(cal.channel(3)->offset, 11);
    const RatioResult r = cal.NewRatio(3, QStringLiteral("25"));
    ASSERT_EQ(r.ratio, 8297);
    cal.StoreRatios();
    b.pump();
    EXPECT_EQ(b.service().calibration[3].ratio, 8297);
    EXPECT_EQ(b.service().calibration[4].ratio, 8000 + 25 * 4) << "a channel without a new ratio changed";
    cal.StoreOffsets();
    b.pump();
    EXPECT_EQ(offsets, 1);
    const struct {
        bool offsets, ratios;
        int flags;
    } uses[] = {{true, false, 2}, {false, true, 4}, {false, false, 0}, {true, true, 6}};
    for (const auto& u : uses) {
        cal.UseValues(u.offsets, u.ratios);
        b.pump();
        EXPECT_EQ(b.service().calibrationFlags, u.flags);
    }
    ASSERT_TRUE(pollUntil(3));
    EXPECT_EQ(TextsOf(cal.channel(3)).amps, QStringLiteral("25.0 A"));
    cal.Close();
    b.pump();
    EXPECT_EQ(b.unit.state().testMode(), sim::TestMode::Auto);
}

TEST(ServiceSim, ErrorLogListsTheUnitsEntriesAndItsCommandsReachTheUnit) {
    SimBench b;
    ErrorLogLogic log(b.session);
    b.receiver = &log;
    QStringList lines;
    QObject::connect(&log, &ErrorLogLogic::lineAdded, [&](const QString& l) { lines << l; });
    sim::ErrorLogEntry full{"abcdefghijkl", 65535, 255, {}};
    for (int i = 0; i < 16; ++i)
        full.data.push_back(static_cast<std::uint8_t>(0xF0 + i));
    b.service().errorLog.push_back(full);
    log.Start();
    b.pump();
    EXPECT_EQ(lines.first(), QStringLiteral(" Error list count 3"));
    EXPECT_EQ(lines.size(), 1 + 3 * 6) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines.mid(1, 6),
              (QStringList{QString(53, QLatin1Char('-')), QStringLiteral("File name   : can_rx.c"),
                           QStringLiteral("Line number : 4660"), QStringLiteral("Count       : 3"),
                           QStringLiteral("Data len    : 2"), QStringLiteral("Data        : 0x0A:0xFF:")}));
    EXPECT_EQ(lines[8], QStringLiteral("File name   : output_drv.c"));
    EXPECT_EQ(lines[14], QStringLiteral("File name   : abcdefghijkl"));
    EXPECT_EQ(lines[15], QStringLiteral("Line number : 65535"));
    EXPECT_TRUE(lines[18].startsWith(QStringLiteral("Data        : 0xF0:0xF1:")));
    EXPECT_TRUE(lines[18].endsWith(QStringLiteral("0xFE:0xFF:")));

    struct Command {
        void (ErrorLogLogic::*click)();
        const char* line;
    } const commands[] = {{&ErrorLogLogic::ResetSystemLog, " System log data reset.."},
                          {&ErrorLogLogic::ResetLog, " Error log reset.."},
                          {&ErrorLogLogic::Start, " Error list count 0"},
                          {&ErrorLogLogic::Reboot, " System reboot.."}}; // last: the unit restarts
    for (const Command& c : commands) {
        lines.clear();
        (log.*c.click)();
        b.pump();
        EXPECT_EQ(lines, QStringList{QLatin1String(c.line)});
    }
    EXPECT_EQ(b.service().systemLogResets, 1);
    EXPECT_FALSE(log.listing());
}
