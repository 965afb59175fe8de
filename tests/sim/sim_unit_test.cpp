#include "sim/sim_unit.h"
#include "tests/support/sim_test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace vm::sim {
namespace {

using namespace std::chrono_literals;
using namespace vm::sim::test;

const LinkPacket kStatusReq = LinkPacket::make(1, 6);

struct StatusCase {
    std::string version;
    std::uint32_t seconds;
    std::string expectedText; // positions 4..16, before the counter
    std::vector<std::uint8_t> tail; // positions 20..23
};

TEST(SimUnitStatus, LayoutCarriesVersionAndUptime) {
    const std::vector<StatusCase> cases = {
        {"8.12", 0, "8.12", {0, 0, 0, 0}},
        {"", 0x000102, "", {0, 0, 0, 0}},
        {"8.12-thirteen", 0x123456, "8.12-thirteen", {0, 0, 0, 0}},
        // 20 characters fill the area around the counter; more are cut.
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 70, "ABCDEFGHIJKLM", {'Q', 'R', 'S', 'T'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        FakeClock clock;
        SimOptions options;
        options.version = c.version;
        SimUnit unit(options, clock.fn());
        clock.now += std::chrono::seconds(c.seconds) + 999ms; // whole seconds only
        const auto replies = Ask(unit, kStatusReq);
        ASSERT_EQ(replies.size(), 1u);
        const LinkPacket& p = replies[0];
        EXPECT_TRUE(p.checksumOk());
        EXPECT_EQ(p.length(), 24);
        EXPECT_EQ(p.size, 24);
        EXPECT_EQ(p.group(), 1);
        EXPECT_EQ(p.command(), 135);
        std::string text;
        for (int i = 4; i < 17 && p.at(i) != 0; ++i) text.push_back(static_cast<char>(p.at(i)));
        EXPECT_EQ(text, c.expectedText);
        for (int i = 4 + static_cast<int>(c.expectedText.size()); i < 17; ++i)
            EXPECT_EQ(p.at(i), 0) << "padding at " << i;
        EXPECT_EQ(p.at(17), (c.seconds >> 16) & 0xFF);
        EXPECT_EQ(p.at(18), (c.seconds >> 8) & 0xFF);
        EXPECT_EQ(p.at(19), c.seconds & 0xFF);
        EXPECT_EQ(std::vector<std::uint8_t>(p.bytes.begin() + 20, p.bytes.begin() + 24), c.tail);
    }
}

TEST(SimUnitStatus, UptimeCountsFromCreation) {
    FakeClock clock;
    SimUnit unit({}, clock.fn());
    clock.now += 1999ms;
    EXPECT_EQ(Ask(unit, kStatusReq).at(0).at(19), 1);
    clock.now += 300s;
    const LinkPacket p = Ask(unit, kStatusReq).at(0);
    EXPECT_EQ((p.at(17) << 16) | (p.at(18) << 8) | p.at(19), 301);
}

TEST(SimUnitService, PingEchoesPayloadIncludingFrameBytes) {
    SimUnit unit;
    std::vector<std::uint8_t> payload = {5, 0xC0, 0xDB, 0x01, 0xFE, 0x33};
    payload.resize(17, 0);
    const auto replies =
        Ask(unit, LinkPacket::make(0, 48, payload.data(), static_cast<int>(payload.size())));
    ASSERT_EQ(replies.size(), 1u);
    const LinkPacket& p = replies[0];
    EXPECT_TRUE(p.checksumOk());
    EXPECT_EQ(p.length(), 21);
    EXPECT_EQ(p.group(), 0);
    EXPECT_EQ(p.command(), 128);
    for (int i = 0; i < 17; ++i) EXPECT_EQ(p.payload(i), payload[static_cast<std::size_t>(i)]) << i;
}

TEST(SimUnitService, BadChecksumAsksForResend) {
    SimUnit unit;
    LinkPacket request = kStatusReq;
    request.bytes[0] ^= 0x10;
    const auto replies = Ask(unit, request);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].size, 4);
    EXPECT_EQ(replies[0].length(), 4);
    EXPECT_EQ(replies[0].group(), 0);
    EXPECT_EQ(replies[0].command(), 1);
    EXPECT_TRUE(replies[0].checksumOk());
}

TEST(SimUnitService, UnknownAndRejectedFramesGetNoAnswer) {
    SimUnit unit;
    EXPECT_TRUE(unit.feed(Frame(LinkPacket::make(1, 200))).empty());
    EXPECT_TRUE(unit.feed(Frame(LinkPacket::make(0, 6))).empty()); // STATUS_REQ code, wrong group
    EXPECT_TRUE(unit.feed(Frame(LinkPacket::make(2, 6))).empty());
    // A bad escape and a length byte beyond the frame never reach the unit.
    EXPECT_TRUE(unit.feed({0xC0, 0x25, 0x04, 0xDB, 0x01, 0x06, 0xC0}).empty());
    EXPECT_TRUE(unit.feed({0xC0, 0x00, 0x09, 0x01, 0x06, 0xC0}).empty());
    // The unit is still in step afterwards.
    EXPECT_EQ(Ask(unit, kStatusReq).size(), 1u);
}

TEST(SimUnitService, FramesSplitAndJoinedAcrossFeeds) {
    SimUnit unit;
    std::vector<std::uint8_t> bytes = Frame(kStatusReq);
    const auto ping = Frame(LinkPacket::make(0, 48, {0}));
    bytes.insert(bytes.end(), ping.begin(), ping.end());
    // Two requests in one go, answered in order.
    auto replies = Decode(unit.feed(bytes));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].command(), 135);
    EXPECT_EQ(replies[1].command(), 128);
    // One request byte by byte: the answer comes with the last byte.
    const auto one = Frame(kStatusReq);
    for (std::size_t i = 0; i + 1 < one.size(); ++i) EXPECT_TRUE(unit.feed(&one[i], 1).empty());
    EXPECT_EQ(unit.feed(&one.back(), 1).size(), 1u);
}

TEST(SimUnitService, ResetLinkForgetsPartialFrame) {
    SimUnit unit;
    const auto f = Frame(kStatusReq);
    unit.feed(f.data(), 3);
    unit.resetLink();
    // Without the reset the stale bytes would spoil this frame's start.
    const std::vector<std::uint8_t> rest(f.begin() + 1, f.end());
    EXPECT_EQ(Decode(unit.feed(rest)).at(0).command(), 135);
}

// Which of eight requests get an answer, and which answers fail their checksum.
struct FaultCase {
    int dropEvery, corruptEvery;
    std::string answered; // '.' dropped, 'o' good, 'x' corrupted
};

TEST(SimUnitFaults, DropAndCorruptEveryNth) {
    const std::vector<FaultCase> cases = {
        {0, 0, "oooooooo"},
        {3, 0, "oo.oo.oo"},
        {0, 2, "oxoxoxox"},
        {1, 0, "........"},
        {4, 2, "oxo.oxo."}, // drop wins where both meet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answered);
        SimOptions options;
        options.dropEveryNth = c.dropEvery;
        options.corruptEveryNth = c.corruptEvery;
        SimUnit unit(options);
        std::string got;
        for (int i = 0; i < 8; ++i) {
            // Alternate two messages so the flip meets different bytes.
            const LinkPacket req = i % 2 ? LinkPacket::make(0, 48, {0xC1, 0xDA, 0xC0, 0xDB})
                                         : kStatusReq;
            const auto frames = unit.feed(Frame(req));
            if (frames.empty()) {
                got += '.';
                continue;
            }
            ASSERT_EQ(frames.size(), 1u);
            const LinkPacket reply = Decode(frames).at(0);
            // A flip keeps the frame's shape: same length, same message.
            EXPECT_EQ(frames[0].size(), Frame(reply).size());
            EXPECT_EQ(reply.command(), i % 2 ? 128 : 135);
            got += reply.checksumOk() ? 'o' : 'x';
        }
        EXPECT_EQ(got, c.answered);
    }
}

TEST(SimUnitFaults, CorruptionNeverAddsFrameBytes) {
    // Payload bytes one bit away from END and ESC must not turn into them.
    SimOptions options;
    options.corruptEveryNth = 1;
    for (std::uint8_t last : {0xC1, 0xC0, 0xDA, 0xDB, 0xC2, 0xD9}) {
        SimUnit unit(options);
        const LinkPacket req = LinkPacket::make(0, 48, {last});
        const auto frames = unit.feed(Frame(req));
        ASSERT_EQ(frames.size(), 1u);
        const SimFrame& f = frames[0];
        int ends = 0;
        for (std::uint8_t b : f) ends += b == 0xC0;
        EXPECT_EQ(ends, 2) << int(last);
        EXPECT_EQ(f.size(), Frame(LinkPacket::make(0, 128, {last})).size()) << int(last);
        EXPECT_FALSE(Decode(frames).at(0).checksumOk()) << int(last);
    }
}

TEST(SimUnitFaults, SilentAnswersNothingThenResumes) {
    SimOptions options;
    options.dropEveryNth = 2;
    SimUnit unit(options);
    unit.setSilent(true);
    EXPECT_TRUE(unit.feed(Frame(kStatusReq)).empty());
    LinkPacket bad = kStatusReq;
    bad.bytes[0] ^= 1;
    EXPECT_TRUE(unit.feed(Frame(bad)).empty()); // not even a resend request
    unit.setSilent(false);
    // Unanswered requests do not count towards the drop pattern.
    EXPECT_EQ(unit.feed(Frame(kStatusReq)).size(), 1u);
    EXPECT_EQ(unit.feed(Frame(kStatusReq)).size(), 0u);
}

} // namespace
} // namespace vm::sim
