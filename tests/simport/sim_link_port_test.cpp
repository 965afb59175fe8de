// The simulated unit in-process behind the link: the real link thread, the
// real port, wire-time pacing checked from below only.
#include "link/device_directory.h"
#include "link/usb_thread.h"
#include "protocol/message_catalogue.h"
#include "simport/sim_device.h"
#include "simport/sim_link_port.h"
#include "tests/support/sim_test_util.h"
#include "tests/support/wait_for.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace vm;
using namespace vm::sim;
using Bytes = std::vector<std::uint8_t>;

namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "simport_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

SimOptions Options(bool paced, int replyDelayMs = 0) {
    SimOptions o;
    o.paced = paced;
    o.replyDelayMs = replyDelayMs;
    return o;
}

double WireMs(std::size_t bytes) { return static_cast<double>(bytes) * 10.0 / 38400.0 * 1000.0; }

const LinkPacket kStatusReq = LinkPacket::make(kGroupApp, msg::STATUS_REQ);

// A link with one simulated unit in it, under the name the tool uses.
struct SimLink {
    explicit SimLink(SimOptions options) {
        app();
        auto directory = std::make_unique<SerialPortDirectory>();
        device = AddSimDevice(*directory, options);
        link = std::make_unique<UsbThread>(std::move(directory), nullptr);
        QObject::connect(link.get(), &UsbThread::bytesReceived, [this](const QByteArray& b) {
            rx.insert(rx.end(), b.begin(), b.end());
            assembler.PutBytes(reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<int>(b.size()));
        });
    }
    void send(const LinkPacket& p) {
        const Bytes frame = test::Frame(p);
        link->Enqueue(frame.data(), static_cast<int>(frame.size()));
    }

    std::shared_ptr<SimDevice> device;
    std::unique_ptr<UsbThread> link;
    Bytes rx;
    std::vector<LinkPacket> packets;
    FrameAssembler assembler{[this](const LinkPacket& p) { packets.push_back(p); }};
};

std::string VersionOf(const LinkPacket& status) {
    return std::string(reinterpret_cast<const char*>(&status.bytes[kMinPacketLength]));
}

struct Timing {
    bool paced;
    int replyDelayMs;
};

class StatusRoundTrip : public ::testing::TestWithParam<Timing> {};

} // namespace

TEST_P(StatusRoundTrip, AnswersNoSoonerThanTheLineAndTheUnitAllow) {
    const Timing t = GetParam();
    SimLink sim(Options(t.paced, t.replyDelayMs));
    EXPECT_TRUE(sim.link->EnumerateDevices().contains(kSimDescription));
    ASSERT_TRUE(sim.link->Open(kSimDescription)) << sim.link->lastError().toStdString();

    QElapsedTimer clock;
    clock.start();
    sim.send(kStatusReq);
    ASSERT_TRUE(waitFor([&] { return !sim.packets.empty(); }));
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;

    ASSERT_EQ(sim.packets.size(), 1u);
    EXPECT_EQ(sim.packets[0].command(), msg::STATUS);
    EXPECT_TRUE(sim.packets[0].checksumOk());
    EXPECT_EQ(VersionOf(sim.packets[0]), "8.12");
    const double least = (t.paced ? WireMs(test::Frame(kStatusReq).size() + sim.rx.size()) : 0.0) + t.replyDelayMs;
    EXPECT_GE(ms, least);
}

INSTANTIATE_TEST_SUITE_P(Pacing, StatusRoundTrip,
                         ::testing::Values(Timing{false, 0}, Timing{true, 0}, Timing{false, 120}, Timing{true, 60}),
                         [](const ::testing::TestParamInfo<Timing>& info) {
                             return std::string(info.param.paced ? "Paced" : "Unpaced") + "Delay" +
                                    std::to_string(info.param.replyDelayMs);
                         });

TEST(SimLinkPort, ConfigurationReadGetsTheUnitsFramesInOrderAtLineSpeed) {
    SimLink sim(Options(true));
    ASSERT_TRUE(sim.link->Open(kSimDescription));
    const LinkPacket inputs = LinkPacket::make(kGroupApp, msg::INPUT_CFG_READ, {0xFF});
    const LinkPacket outputs = LinkPacket::make(kGroupApp, msg::OUTPUT_CFG_READ, {0xFF});

    // What a unit of its own answers, byte for byte.
    SimUnit oracle(Options(false));
    Bytes expected;
    for (const LinkPacket* p : {&inputs, &outputs})
        for (const SimFrame& f : oracle.feed(test::Frame(*p))) expected.insert(expected.end(), f.begin(), f.end());
    ASSERT_GT(expected.size(), 1000u);

    QElapsedTimer clock;
    clock.start();
    sim.send(inputs);
    sim.send(outputs);
    ASSERT_TRUE(waitFor([&] { return sim.rx.size() >= expected.size(); }, 5000));
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;

    EXPECT_EQ(sim.rx, expected);
    ASSERT_EQ(sim.packets.size(), 11u + 34u);
    EXPECT_EQ(sim.packets.front().command(), msg::INPUT_CFG);
    EXPECT_EQ(sim.packets.back().command(), msg::OUTPUT_CFG);
    EXPECT_GE(ms, WireMs(expected.size()));
}

TEST(SimLinkPort, AnswersAndWriteCompletionNeverComeFromInsideWrite) {
    app();
    auto device = std::make_shared<SimDevice>(Options(false));
    SimLinkPort port(device, kSimDescription);
    QSignalSpy ready(&port, &LinkPort::readyRead);
    QSignalSpy written(&port, &LinkPort::bytesWritten);
    ASSERT_TRUE(port.open());

    const Bytes frame = test::Frame(kStatusReq);
    ASSERT_EQ(port.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size())),
              static_cast<qint64>(frame.size()));
    EXPECT_EQ(ready.count(), 0);
    EXPECT_EQ(written.count(), 0);
    EXPECT_EQ(port.bytesToWrite(), static_cast<qint64>(frame.size()));
    EXPECT_TRUE(port.readAll().isEmpty());

    ASSERT_TRUE(waitFor([&] { return ready.count() > 0; }));
    EXPECT_EQ(written.count(), 1);
    EXPECT_EQ(port.bytesToWrite(), 0);
    std::vector<LinkPacket> got;
    FrameAssembler assembler([&](const LinkPacket& p) { got.push_back(p); });
    const QByteArray bytes = port.readAll();
    assembler.PutBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<int>(bytes.size()));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].command(), msg::STATUS);

    port.close();
    EXPECT_EQ(port.write("x", 1), -1);
    EXPECT_FALSE(port.errorString().isEmpty());
}

TEST(SimLinkPort, CloseDropsPendingAnswersAndTheUnitKeepsItsState) {
    SimLink sim(Options(true, 80));
    ASSERT_TRUE(sim.link->Open(kSimDescription));
    sim.send(LinkPacket::make(kGroupApp, msg::OUTPUT_CFG_READ, {0xFF}));
    // Closed before the first answer is due.
    ASSERT_TRUE(waitFor([&] { return sim.link->pendingFrames() == 0; }));
    sim.link->Close();
    waitFor([] { return false; }, 200);
    EXPECT_TRUE(sim.rx.empty());

    // The reopened port starts clean, on the same unit.
    sim.device->changeState([](SimState& s) { s.version = "8.99"; });
    ASSERT_TRUE(sim.link->Open(kSimDescription));
    sim.send(kStatusReq);
    ASSERT_TRUE(waitFor([&] { return !sim.packets.empty(); }));
    waitFor([] { return false; }, 50);
    ASSERT_EQ(sim.packets.size(), 1u);
    EXPECT_EQ(VersionOf(sim.packets[0]), "8.99");

    // Gone with answers still on their way: the port's timer goes with it.
    sim.send(LinkPacket::make(kGroupApp, msg::OUTPUT_CFG_READ, {0xFF}));
    ASSERT_TRUE(waitFor([&] { return sim.link->pendingFrames() == 0; }));
    sim.link.reset();
    waitFor([] { return false; }, 100);
}
