#include "protocol/frame_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace vm;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Collector : FrameSink {
    std::vector<Bytes> frames;
    void Enqueue(const std::uint8_t* f, int n) override { frames.emplace_back(f, f + n); }
};

struct Received {
    std::vector<Bytes> packets;
    FrameAssembler assembler{[this](const LinkPacket& p) {
        packets.emplace_back(p.bytes.begin(), p.bytes.begin() + p.size);
    }};
    void feed(const Bytes& bytes) { assembler.PutBytes(bytes.data(), static_cast<int>(bytes.size())); }
};

Bytes sealed(Bytes packet) {
    packet[1] = static_cast<std::uint8_t>(packet.size());
    packet[0] = FrameChecksum(&packet[1], static_cast<int>(packet.size()) - 1);
    return packet;
}

Bytes frameOf(const Bytes& packet) {
    Collector c;
    SendCommand(c, packet.data(), static_cast<std::uint8_t>(packet.size()));
    return c.frames.at(0);
}

} // namespace

TEST(FrameChecksum, CoversLengthGroupCommandAndPayload) {
    const Bytes status{0x55, 4, 1, 32};
    EXPECT_EQ(FrameChecksum(&status[1], 3), 37);
    // Channel 5 switch-on: 12 bytes, checksum over the 11 after it.
    Bytes on{0x55, 12, 1, 36, 5, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::uint8_t expect = 0;
    for (int i = 1; i < 12; ++i) expect ^= on[static_cast<std::size_t>(i)];
    EXPECT_EQ(FrameChecksum(&on[1], 11), expect);
    EXPECT_TRUE(LinkPacket::make(1, 36, {5, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}).checksumOk());
    EXPECT_EQ(LinkPacket::make(1, 32).checksum(), 37);
}

TEST(SlipEncode, EscapesEndAndEscAndRoundTrips) {
    const Bytes packet = sealed({0, 0, 1, 200, 0xC0, 0xDB, 7, 0xDC, 0xDD, 0xC0});
    const Bytes frame = frameOf(packet);
    ASSERT_EQ(frame.front(), SLIP_END);
    ASSERT_EQ(frame.back(), SLIP_END);
    const Bytes body(frame.begin() + 1, frame.end() - 1);
    Bytes expect;
    for (auto b : packet) {
        if (b == 0xC0) expect.insert(expect.end(), {0xDB, 0xDC});
        else if (b == 0xDB) expect.insert(expect.end(), {0xDB, 0xDD});
        else expect.push_back(b);
    }
    EXPECT_EQ(body, expect);

    Received r;
    r.feed(frame);
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0], packet);
}

TEST(SlipEncode, FrameLengthMayExceedTheLengthByte) {
    // The CAN monitor switch carries its flag one byte past the length byte.
    Bytes packet{0x55, 4, 1, 92, 1};
    packet[0] = FrameChecksum(&packet[1], 3);
    Collector c;
    SendCommand(c, packet.data(), 5);
    EXPECT_EQ(c.frames.at(0), (Bytes{0xC0, packet[0], 4, 1, 92, 1, 0xC0}));
}

TEST(SlipEncode, RefusesWhatCannotFitTheFrameBuffer) {
    Bytes packet(200, 0xC0); // every byte escaped: 402 bytes
    Collector c;
    SendCommand(c, packet.data(), 200);
    EXPECT_TRUE(c.frames.empty());
    std::uint8_t out[8];
    EXPECT_EQ(SlipEncode(packet.data(), 4, out, 8), 0);
}

TEST(FrameAssembler, IgnoresRepeatedEndsAndDeliversEachFrame) {
    const Bytes a = sealed({0, 0, 1, 135, 'x'});
    const Bytes b = sealed({0, 0, 0, 1});
    Received r;
    r.feed({0xC0, 0xC0, 0xC0});
    Bytes stream = frameOf(a);
    const Bytes fb = frameOf(b);
    stream.insert(stream.end(), fb.begin(), fb.end());
    stream.push_back(0xC0);
    r.feed(stream);
    ASSERT_EQ(r.packets.size(), 2u);
    EXPECT_EQ(r.packets[0], a);
    EXPECT_EQ(r.packets[1], b);
}

TEST(FrameAssembler, OverlongFrameIsDroppedAndTheNextOneSurvives) {
    Received r;
    r.feed(Bytes(201, 0x11));
    EXPECT_EQ(r.assembler.count(), 0);
    const Bytes good = sealed({0, 0, 1, 160, 1, 2, 3});
    r.feed(frameOf(good));
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0], good);
}

TEST(FrameAssembler, ExactlyTwoHundredBytesStillFormAFrame) {
    Bytes packet(200, 0x22);
    packet[1] = 200;
    packet[0] = FrameChecksum(&packet[1], 199);
    Received r;
    r.feed({0xC0});
    r.feed(packet);
    r.feed({0xC0});
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0], packet);
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(FrameAssembler, DropsBadFramesWholeAndSaysWhy) {
    // A packet that would pass if it were read from the tail of a longer frame.
    const Bytes tail = sealed({0, 0, 1, 77});
    struct Case {
        const char* what;
        Bytes stream;
        RejectReason reason;
        int count; // bytes shown to the reject handler
    };
    const Case cases[] = {
        {"three bytes", {0xC0, 7, 3, 1, 0xC0}, RejectReason::TooShort, 3},
        {"length byte below 4", {0xC0, 0, 3, 1, 6, 0xC0}, RejectReason::TooShort, 4},
        {"length beyond what arrived", {0xC0, 0, 9, 1, 6, 0xC0}, RejectReason::TooShort, 4},
        {"single byte", {0xC0, 5, 0xC0}, RejectReason::TooShort, 1},
        {"escape of a plain byte", {0xC0, 0, 5, 1, 6, 0xDB, 0x41, 0xC0}, RejectReason::BadEscape, 6},
        {"escape at the end", {0xC0, 0, 5, 1, 6, 0xDB, 0xC0}, RejectReason::BadEscape, 5},
        {"201 bytes", cat({{0xC0}, Bytes(201, 0x11), {0xC0}}), RejectReason::TooLong, 200},
        {"over-long frame with a packet in its tail", cat({{0xC0}, Bytes(201, 0x11), tail, {0xC0}}),
         RejectReason::TooLong, 200},
        {"over-long frame of escapes", cat({{0xC0}, Bytes(300, 0xDB), {0xC0}}), RejectReason::TooLong, 200},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<RejectReason, int>> rejects;
        Received r;
        r.assembler.SetRejectHandler([&](RejectReason why, const std::uint8_t* bytes, int n) {
            rejects.emplace_back(why, n);
            EXPECT_TRUE(std::equal(bytes, bytes + n, c.stream.begin() + 1)) << c.what;
        });
        r.feed(c.stream);
        EXPECT_TRUE(r.packets.empty()) << c.what;
        EXPECT_EQ(r.assembler.rejected(), 1) << c.what;
        EXPECT_EQ(rejects, (std::vector<std::pair<RejectReason, int>>{{c.reason, c.count}})) << c.what;
        // The assembler is ready for the next frame.
        r.feed(frameOf(sealed({0, 0, 1, 6})));
        EXPECT_EQ(r.packets.size(), 1u) << c.what;
    }
}

TEST(FrameAssembler, AfterLostBytesWaitsForTheNextFrameStart) {
    const Bytes first = frameOf(sealed({0, 0, 1, 10, 1, 2, 3}));
    // What follows the gap reads as a packet on its own: it must not be taken.
    const Bytes afterGap = cat({sealed({0, 0, 1, 11}), {0xC0}});
    const Bytes next = frameOf(sealed({0, 0, 1, 12}));
    struct Case {
        const char* what;
        std::size_t cutAt; // bytes of the first frame that arrived before the gap
    };
    const Case cases[] = {
        {"gap inside a frame", 4},
        {"gap right after a frame start", 1},
        {"gap between frames", first.size()},
    };
    for (const Case& c : cases) {
        Received r;
        r.feed(Bytes(first.begin(), first.begin() + static_cast<long>(c.cutAt)));
        r.assembler.Resync();
        EXPECT_TRUE(r.assembler.discarding()) << c.what;
        r.feed(afterGap);
        r.feed(next);
        std::vector<int> commands;
        for (const Bytes& p : r.packets) commands.push_back(p[3]);
        const std::vector<int> expect = c.cutAt == first.size() ? std::vector<int>{10, 12} : std::vector<int>{12};
        EXPECT_EQ(commands, expect) << c.what;
        EXPECT_EQ(r.assembler.rejected(), 0) << c.what;
    }
}

TEST(FrameAssembler, ExtraBytesBeyondTheLengthByteAreKept) {
    // A packet may carry more bytes than it declares; receivers see size.
    Received r;
    const Bytes packet = {0x55, 4, 1, 92, 1};
    r.feed(frameOf(packet));
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0].size(), 5u);
}

TEST(LinkPacket, FieldsBeyondWhatArrivedReadAsZero) {
    LinkPacket p = LinkPacket::make(1, 135, {1, 2});
    EXPECT_EQ(p.length(), 6);
    EXPECT_EQ(p.payload(1), 2);
    EXPECT_EQ(p.payload(2), 0);
    EXPECT_EQ(p.at(-1), 0);
    EXPECT_TRUE(p.checksumOk());
    p.bytes[5] ^= 1;
    EXPECT_FALSE(p.checksumOk());
}

// A receiver that runs a nested event loop gets bytes handed in while it still
// holds the packet. They must wait their turn, and the tests must hear of it.
TEST(FrameAssembler, BytesThatReenterWaitForThePacketInHand) {
    const Bytes a = sealed({0, 0, 1, 10});
    const Bytes b = sealed({0, 0, 1, 11});
    const Bytes fb = frameOf(b);
    std::vector<int> order;
    bool nested = false;
    FrameAssembler::SetStrictReentry(false);
    FrameAssembler* self = nullptr;
    FrameAssembler assembler([&](const LinkPacket& p) {
        order.push_back(p.command());
        if (!nested) {
            nested = true;
            self->PutBytes(fb.data(), static_cast<int>(fb.size()));
            order.push_back(-1); // the packet in hand is finished first
        }
    });
    self = &assembler;
    const Bytes fa = frameOf(a);
    assembler.PutBytes(fa.data(), static_cast<int>(fa.size()));
    FrameAssembler::SetStrictReentry(true);
    EXPECT_EQ(order, (std::vector<int>{10, -1, 11}));
    EXPECT_EQ(assembler.reentries(), 1);

    EXPECT_DEATH(
        {
            nested = false;
            assembler.PutBytes(fa.data(), static_cast<int>(fa.size()));
        },
        "handed out");
}
