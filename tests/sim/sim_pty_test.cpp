// The simulated unit over a real pseudo-terminal, opened the plain POSIX way.
#include "sim/sim_pty.h"
#include "sim/sim_unit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vm::sim {
namespace {

SimOptions Unpaced() {
    SimOptions options;
    options.paced = false;
    return options;
}

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int OpenRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B38400);
    ::cfsetospeed(&t, B38400);
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

bool Send(int fd, const LinkPacket& p) {
    std::uint8_t frame[kFrameBufferBytes];
    const int n = SlipEncode(p.bytes.data(), p.size, frame, kFrameBufferBytes);
    return ::write(fd, frame, static_cast<std::size_t>(n)) == n;
}

struct ReadResult {
    std::vector<LinkPacket> packets;
    int bytes = 0;
    bool hungUp = false; // end-of-file or EIO: the adapter went away
};

// Reads until `want` packets arrived, the line hung up, or the time is over.
ReadResult ReadPackets(int fd, std::size_t want, std::chrono::milliseconds limit) {
    ReadResult r;
    FrameAssembler assembler([&](const LinkPacket& p) { r.packets.push_back(p); });
    const auto end = Clock::now() + limit;
    while (r.packets.size() < want) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) break;
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count()) + 1) <= 0) continue;
        std::uint8_t buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0 || (n < 0 && errno == EIO)) {
            r.hungUp = true;
            break;
        }
        if (n < 0) continue;
        r.bytes += static_cast<int>(n);
        assembler.PutBytes(buf, static_cast<int>(n));
    }
    return r;
}

bool LinkExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

const LinkPacket kStatusReq = LinkPacket::make(1, 6);

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

TEST(SimPtyE2e, StatusRoundTripTakesAtLeastTheWireTime) {
    SimOptions options;
    options.version = "8.40";
    SimPty sim(options);
    std::string error;
    ASSERT_TRUE(sim.start(&error)) << error;
    Fd tool(OpenRaw(sim.path()));
    ASSERT_GE(tool.fd, 0);

    const auto sent = Clock::now();
    ASSERT_TRUE(Send(tool.fd, kStatusReq));
    const ReadResult r = ReadPackets(tool.fd, 1, 1000ms);
    const auto elapsed = Clock::now() - sent;
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.bytes, 26); // nothing echoed, nothing extra
    const LinkPacket& p = r.packets[0];
    EXPECT_TRUE(p.checksumOk());
    EXPECT_EQ(p.command(), 135);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&p.bytes[4]), 4), "8.40");
    // 6 request bytes and 26 answer bytes at 260 us each.
    EXPECT_GE(elapsed, 8ms);
    EXPECT_TRUE(WaitFor([&] { return sim.framesSent() == 1; }, 500ms));
}

TEST(SimPtyE2e, PacedBurstIsAnsweredInOrderAtLineSpeed) {
    SimPty sim;
    ASSERT_TRUE(sim.start());
    Fd tool(OpenRaw(sim.path()));
    ASSERT_GE(tool.fd, 0);
    // More than the sim reads ahead, so it has to catch up with the line.
    int requestBytes = 0, lastReplyBytes = 0;
    const auto sent = Clock::now();
    for (std::uint8_t i = 0; i < 20; ++i) {
        const std::uint8_t data[17] = {1, i};
        const LinkPacket ping = LinkPacket::make(0, 48, data, 17);
        std::uint8_t frame[kFrameBufferBytes];
        requestBytes += SlipEncode(ping.bytes.data(), ping.size, frame, kFrameBufferBytes);
        const LinkPacket echo = LinkPacket::make(0, 128, data, 17);
        lastReplyBytes = SlipEncode(echo.bytes.data(), echo.size, frame, kFrameBufferBytes);
        ASSERT_TRUE(Send(tool.fd, ping));
    }
    const ReadResult r = ReadPackets(tool.fd, 20, 1000ms);
    const auto elapsed = Clock::now() - sent;
    ASSERT_EQ(r.packets.size(), 20u);
    for (std::uint8_t i = 0; i < 20; ++i) EXPECT_EQ(r.packets[i].payload(1), i);
    // Every request byte has to come in, and the last answer go out, at 260 us a byte.
    EXPECT_GE(elapsed, std::chrono::microseconds((requestBytes + lastReplyBytes) * 260));
}

TEST(SimPtyE2e, UnpacedExchangesKeepOrderAndContent) {
    SimPty sim(Unpaced());
    ASSERT_TRUE(sim.start());
    Fd tool(OpenRaw(sim.path()));
    ASSERT_GE(tool.fd, 0);
    for (std::uint8_t i = 0; i < 20; ++i) {
        const std::uint8_t data[17] = {3, i, 0xC0, 0xDB};
        ASSERT_TRUE(Send(tool.fd, LinkPacket::make(0, 48, data, 17)));
    }
    LinkPacket bad = kStatusReq;
    bad.bytes[0] ^= 0x40;
    ASSERT_TRUE(Send(tool.fd, bad));
    const ReadResult r = ReadPackets(tool.fd, 21, 1000ms);
    ASSERT_EQ(r.packets.size(), 21u);
    for (std::uint8_t i = 0; i < 20; ++i) {
        const LinkPacket& p = r.packets[i];
        EXPECT_EQ(p.command(), 128);
        EXPECT_EQ(p.payload(1), i);
        EXPECT_EQ(p.payload(2), 0xC0);
        EXPECT_EQ(p.payload(3), 0xDB);
    }
    EXPECT_EQ(r.packets[20].group(), 0);
    EXPECT_EQ(r.packets[20].command(), 1);
}

TEST(SimPtyE2e, SilentAnswersNothingUntilSwitchedBack) {
    SimPty sim(Unpaced());
    ASSERT_TRUE(sim.start());
    Fd tool(OpenRaw(sim.path()));
    ASSERT_GE(tool.fd, 0);
    sim.setSilent(true);
    ASSERT_TRUE(Send(tool.fd, kStatusReq));
    EXPECT_EQ(ReadPackets(tool.fd, 1, 100ms).bytes, 0);
    sim.setSilent(false);
    ASSERT_TRUE(Send(tool.fd, kStatusReq));
    EXPECT_EQ(ReadPackets(tool.fd, 1, 1000ms).packets.size(), 1u);
}

TEST(SimPtyE2e, StateChangesReachTheServingUnit) {
    SimPty sim(Unpaced());
    ASSERT_TRUE(sim.start());
    Fd tool(OpenRaw(sim.path()));
    ASSERT_GE(tool.fd, 0);
    std::atomic<bool> applied{false};
    sim.changeState([&](SimState& s) {
        s.setFault(7, fault::kOpen);
        s.setInput(11, true);
        applied = true;
    });
    ASSERT_TRUE(WaitFor([&] { return applied.load(); }, 1000ms));
    ASSERT_TRUE(Send(tool.fd, LinkPacket::make(1, 34, {255})));
    ASSERT_TRUE(Send(tool.fd, LinkPacket::make(1, 33)));
    const ReadResult r = ReadPackets(tool.fd, 35, 1000ms);
    ASSERT_EQ(r.packets.size(), 35u);
    EXPECT_EQ(r.packets[6].at(4), 7);
    EXPECT_EQ(r.packets[6].at(6), fault::kOpen);
    EXPECT_EQ(r.packets[34].command(), 161);
    EXPECT_EQ(r.packets[34].at(5) & 0x04, 0x04);
}

TEST(SimPtyE2e, UploadedBlockCanBeInspectedWhileServing) {
    SimPty sim(Unpaced());
    ASSERT_TRUE(sim.start());
    Fd tool(OpenRaw(sim.path()));
    ASSERT_GE(tool.fd, 0);
    const std::uint8_t name[16] = {'T', 'R', 'U', 'C', 'K', ' ', '7'};
    ASSERT_TRUE(Send(tool.fd, LinkPacket::make(1, 98, name, 16)));
    const ReadResult r = ReadPackets(tool.fd, 1, 1000ms);
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0].command(), 225);
    std::vector<std::uint8_t> stored;
    ASSERT_TRUE(sim.inspectState([&](const SimState& s) { stored = s.configBlock(98, 0); }));
    EXPECT_EQ(stored, std::vector<std::uint8_t>(name, name + 16));
    sim.stop();
    EXPECT_TRUE(sim.inspectState([&](const SimState& s) { stored = s.configBlock(98, 1); }));
    EXPECT_TRUE(stored.empty());
}

TEST(SimPtyE2e, DisconnectHangsUpAndComesBackUnderTheSamePath) {
    SimPty sim;
    ASSERT_TRUE(sim.start());
    Fd first(OpenRaw(sim.path()));
    ASSERT_GE(first.fd, 0);

    sim.disconnectFor(150);
    EXPECT_TRUE(ReadPackets(first.fd, 1, 1000ms).hungUp);
    EXPECT_FALSE(LinkExists(sim.path())); // removed before the hang-up
    EXPECT_LT(::write(first.fd, "x", 1), 0);

    ASSERT_TRUE(WaitFor([&] { return LinkExists(sim.path()); }, 2000ms));
    Fd second(OpenRaw(sim.path()));
    ASSERT_GE(second.fd, 0);
    ASSERT_TRUE(Send(second.fd, kStatusReq));
    const ReadResult r = ReadPackets(second.fd, 1, 1000ms);
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0].command(), 135);
}

TEST(SimPtyE2e, RepliesInFlightAreLostWithTheDisconnect) {
    SimOptions options;
    options.replyDelayMs = 150;
    SimPty sim(options);
    ASSERT_TRUE(sim.start());
    {
        Fd tool(OpenRaw(sim.path()));
        ASSERT_GE(tool.fd, 0);
        ASSERT_TRUE(Send(tool.fd, kStatusReq));
        std::this_thread::sleep_for(20ms); // the request is in, the answer waits
        sim.disconnectFor(20);
        const ReadResult r = ReadPackets(tool.fd, 1, 1000ms);
        EXPECT_TRUE(r.hungUp);
        EXPECT_EQ(r.bytes, 0);
    }
    ASSERT_TRUE(WaitFor([&] { return LinkExists(sim.path()); }, 2000ms));
    Fd again(OpenRaw(sim.path()));
    ASSERT_GE(again.fd, 0);
    EXPECT_EQ(ReadPackets(again.fd, 1, 250ms).bytes, 0);
    EXPECT_EQ(sim.framesSent(), 0);
}

double CpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST(SimPtyE2e, IdleWithToolClosedCostsNoCpuAndReopens) {
    SimPty sim;
    ASSERT_TRUE(sim.start());
    { Fd once(OpenRaw(sim.path())); }
    const double before = CpuSeconds();
    std::this_thread::sleep_for(200ms);
    EXPECT_LT(CpuSeconds() - before, 0.05); // a spinning thread would burn all 0.2 s

    Fd tool(OpenRaw(sim.path()));
    ASSERT_GE(tool.fd, 0);
    ASSERT_TRUE(Send(tool.fd, kStatusReq));
    EXPECT_EQ(ReadPackets(tool.fd, 1, 1000ms).packets.size(), 1u);
}

TEST(SimPtyE2e, StopLeavesNothingBehind) {
    std::string path;
    {
        SimPty sim;
        path = sim.path();
        ASSERT_TRUE(sim.start());
        EXPECT_TRUE(sim.running());
        EXPECT_TRUE(LinkExists(path));
        sim.disconnectFor(0); // a fresh terminal at once, same path
        ASSERT_TRUE(WaitFor([&] { return LinkExists(path); }, 1000ms));
        sim.stop();
        EXPECT_FALSE(sim.running());
        EXPECT_FALSE(LinkExists(path));
        ASSERT_TRUE(sim.start()); // restartable
        EXPECT_TRUE(LinkExists(path));
    }
    EXPECT_FALSE(LinkExists(path));
    EXPECT_FALSE(LinkExists(path + ".new"));
}

TEST(SimPtyE2e, StartReportsAnUnusableLinkPath) {
    SimPty sim({}, "/nonexistent-folder/voltmast-sim");
    std::string error;
    EXPECT_FALSE(sim.start(&error));
    EXPECT_NE(error.find("/nonexistent-folder/voltmast-sim"), std::string::npos) << error;
}

} // namespace
} // namespace vm::sim
