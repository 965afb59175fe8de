#pragma once
// Helpers for driving a SimUnit in-process: a hand-moved clock and request/answer
// round trips through the tool's own framing.
#include "sim/sim_unit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace vm::sim::test {

using TimePoint = std::chrono::steady_clock::time_point;

// A clock the test moves by hand.
struct FakeClock {
    TimePoint now{std::chrono::hours(1000)};
    SimClock fn() {
        return [this] { return now; };
    }
};

inline std::vector<std::uint8_t> Frame(const LinkPacket& p) {
    std::vector<std::uint8_t> out(kFrameBufferBytes);
    out.resize(static_cast<std::size_t>(SlipEncode(p.bytes.data(), p.size, out.data(), kFrameBufferBytes)));
    return out;
}

// Decodes reply frames with the tool's own assembler; each frame must give one packet.
inline std::vector<LinkPacket> Decode(const std::vector<SimFrame>& frames) {
    std::vector<LinkPacket> packets;
    FrameAssembler assembler([&](const LinkPacket& p) { packets.push_back(p); });
    for (const SimFrame& f : frames) {
        const std::size_t before = packets.size();
        assembler.PutBytes(f.data(), static_cast<int>(f.size()));
        EXPECT_EQ(packets.size(), before + 1) << "a reply frame did not decode";
    }
    return packets;
}

inline std::vector<LinkPacket> Ask(SimUnit& unit, const LinkPacket& request) {
    return Decode(unit.feed(Frame(request)));
}

} // namespace vm::sim::test
