// The simulated unit's bootloader, program memory and production data, driven
// in-process with a hand-moved clock.
#include "sim/sim_unit.h"
#include "tests/support/sim_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace vm::sim {
namespace {

using namespace std::chrono_literals;
using namespace vm::sim::test;
using Bytes = std::vector<std::uint8_t>;

Bytes Flat(const std::vector<SimFrame>& frames) {
    Bytes out;
    for (const SimFrame& f : frames)
        out.insert(out.end(), f.begin(), f.end());
    return out;
}

Bytes Block(std::uint32_t page, std::uint8_t seed, int sumError = 0) {
    Bytes b{static_cast<std::uint8_t>(page >> 16), static_cast<std::uint8_t>(page >> 8)};
    std::uint8_t sum = 0;
    for (int i = 0; i < 256; ++i) {
        b.push_back(static_cast<std::uint8_t>(seed + i));
        sum = static_cast<std::uint8_t>(sum + b.back());
    }
    b.push_back(static_cast<std::uint8_t>(sum + sumError));
    return b;
}

struct Booted {
    FakeClock clock;
    SimUnit unit{SimOptions{}, clock.fn()};
    // Reboots the unit and answers its first prompt.
    Bytes start() {
        const auto done = Decode(unit.feed(Frame(LinkPacket::make(kGroupApp, msg::REBOOT_REQ))));
        EXPECT_EQ(done.size(), 1u);
        EXPECT_EQ(Flat(unit.tick()), Bytes{'>'});
        return Flat(unit.feed(Bytes{'<'}));
    }
    bool answersPackets() { return Ask(unit, LinkPacket::make(kGroupApp, msg::STATUS_REQ)).size() == 1; }
    std::uint8_t at(std::uint32_t address) const { return unit.state().firmware.program[address]; }
};

TEST(SimBootloader, PromptsUntilAnsweredThenGivesUp) {
    Booted b;
    ASSERT_TRUE(Decode(b.unit.feed(Frame(LinkPacket::make(kGroupApp, msg::REBOOT_REQ)))).size() == 1);
    EXPECT_EQ(b.unit.nextTick(), b.clock.now);
    int prompts = 0;
    for (int ms = 0; ms < 1200; ms += 10) {
        const Bytes out = Flat(b.unit.tick());
        prompts += static_cast<int>(std::count(out.begin(), out.end(), '>'));
        b.clock.now += 10ms;
    }
    EXPECT_EQ(prompts, 20); // every 50 ms for a second
    EXPECT_FALSE(b.unit.nextTick());
    EXPECT_TRUE(b.answersPackets()); // the application runs
}

TEST(SimBootloader, ExchangeWritesPagesOnlyWhenEnded) {
    struct Case {
        const char* what;
        std::vector<Bytes> blocks; // each answered by '!' unless it is refused
        bool refusedLast;
        bool endWithFF;
        bool written;
    };
    const std::vector<Case> cases = {
        {"two pages then the end", {Block(0x0000, 1), Block(0x0100, 2)}, false, true, true},
        {"page at 0x012300", {Block(0x012300, 3)}, false, true, true},
        {"bad sum", {Block(0x0000, 1), Block(0x0100, 2, 1)}, true, false, false},
        {"page past the memory", {Block(0x020000, 4)}, true, false, false},
        {"never ended", {Block(0x0000, 1)}, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Booted b;
        EXPECT_EQ(b.start(), (Bytes{'T', '!'}));
        for (std::size_t i = 0; i < c.blocks.size(); ++i) {
            const bool refused = c.refusedLast && i + 1 == c.blocks.size();
            EXPECT_EQ(Flat(b.unit.feed(c.blocks[i])), Bytes{static_cast<std::uint8_t>(refused ? '@' : '!')});
        }
        if (c.endWithFF) EXPECT_TRUE(Flat(b.unit.feed(Bytes{0xFF, 0xFF})).empty());
        if (!c.endWithFF && !c.refusedLast) {
            b.clock.now += 10s; // the tool went away halfway
            b.unit.tick();
        }
        EXPECT_FALSE(b.unit.state().firmware.bootloader.active());
        EXPECT_TRUE(b.answersPackets());
        const Bytes& first = c.blocks.front();
        const std::uint32_t page = static_cast<std::uint32_t>(first[0]) << 16 | first[1] << 8;
        if (c.written) {
            for (std::size_t i = 0; i < c.blocks.size(); ++i)
                EXPECT_EQ(b.at(page + i * 256 + 5), c.blocks[i][2 + 5]);
            EXPECT_EQ(b.at(0x3F00), 0xFF); // the factory program beyond was erased
        } else {
            EXPECT_EQ(b.at(0x0005), SimFirmware::FactoryByte(0x0005));
            EXPECT_EQ(b.at(0x3F00), SimFirmware::FactoryByte(0x3F00));
        }
    }
}

TEST(SimFirmware, ProgramMemoryAndSerialNumberAnswers) {
    Booted b;
    auto fia = Ask(b.unit, LinkPacket::make(kGroupApp, msg::FIA_READ, {0x30, 0x12}));
    ASSERT_EQ(fia.size(), 1u);
    EXPECT_EQ(fia[0].command(), msg::FIA_DATA);
    EXPECT_EQ(fia[0].length(), 22);
    EXPECT_EQ(fia[0].payload(0), 0x30);
    EXPECT_EQ(fia[0].payload(1), 0x12);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(fia[0].payload(2 + i), SimFirmware::FactoryByte(0x1230 + i));
    // The last block below the bootloader's area reads, as does the top of 64 KiB.
    EXPECT_EQ(Ask(b.unit, LinkPacket::make(kGroupApp, msg::FIA_READ, {0xF0, 0xFF})).size(), 1u);

    b.unit.state().service.production.serial = 123456789;
    auto setup = Ask(b.unit, LinkPacket::make(kGroupApp, msg::SYSTEM_SETUP_READ));
    ASSERT_EQ(setup.size(), 1u);
    EXPECT_EQ(setup[0].command(), msg::SYSTEM_SETUP);
    EXPECT_EQ(setup[0].length(), 11);
    EXPECT_EQ((Bytes{setup[0].payload(0), setup[0].payload(1), setup[0].payload(2), setup[0].payload(3)}),
              (Bytes{0x07, 0x5B, 0xCD, 0x15}));
}

} // namespace
} // namespace vm::sim
