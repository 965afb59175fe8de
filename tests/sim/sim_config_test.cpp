// The simulated unit's configuration image: reads, writes, acknowledgements,
// factory reset, reboot and the seeded random configuration. Positions and
// codes are written out here rather than taken from the sim's own tables.
#include "sim/sim_unit.h"
#include "tests/support/sim_test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace vm::sim {
namespace {

using namespace std::chrono_literals;
using namespace vm::sim::test;
using Bytes = std::vector<std::uint8_t>;

struct Block {
    const char* name;
    std::uint8_t write, ack, read, answer;
    int length, first, count;
    bool indexed;
};

const Block kBlocks[] = {
    {"input", 3, 131, 4, 132, 21, 1, 11, true},
    {"output", 1, 129, 2, 130, 30, 1, 34, true},
    {"pwm", 8, 137, 9, 138, 12, 0, 1, false},
    {"low battery", 39, 167, 40, 168, 18, 0, 1, false},
    {"start button", 41, 169, 42, 170, 21, 0, 1, false},
    {"CAN rule", 82, 210, 83, 211, 49, 0, 32, true},
    {"CAN settings", 100, 227, 101, 228, 20, 0, 1, false},
    {"box name", 98, 225, 99, 226, 20, 0, 1, false},
    {"virtual input", 84, 212, 85, 213, 31, 0, 15, true},
    {"flash", 88, 216, 89, 217, 29, 0, 5, true},
    {"CAN export 1", 86, 214, 87, 215, 29, 0, 1, false},
    {"CAN export", 90, 218, 91, 219, 74, 0, 3, true},
};

Bytes Payload(const LinkPacket& p) { return Bytes(p.bytes.begin() + 4, p.bytes.begin() + p.length()); }

LinkPacket ReadReq(const Block& b, int index) {
    // Reads of unindexed blocks are 4 bytes, except export 1's, which carries a 0.
    if (b.indexed || b.read == 87) return LinkPacket::make(1, b.read, {static_cast<std::uint8_t>(index)});
    return LinkPacket::make(1, b.read);
}

std::vector<LinkPacket> ReadBlock(SimUnit& unit, const Block& b, int index) {
    return Ask(unit, ReadReq(b, index));
}

SimOptions Seeded(std::uint32_t seed) {
    SimOptions o;
    o.configSeed = seed;
    return o;
}

// Every block of the image in a fixed order.
std::vector<Bytes> Image(const SimState& s) {
    std::vector<Bytes> all;
    for (const Block& b : kBlocks)
        for (int i = b.first; i < b.first + b.count; ++i)
            all.push_back(s.configBlock(b.write, b.indexed ? i : 0));
    return all;
}

std::string Text(const Bytes& payload, int pos, int width) {
    std::string s;
    for (int i = 0; i < width && payload[static_cast<std::size_t>(pos - 4 + i)] != 0; ++i)
        s.push_back(static_cast<char>(payload[static_cast<std::size_t>(pos - 4 + i)]));
    return s;
}

TEST(SimConfig, KindsAgreeWithTheCatalogue) {
    ASSERT_EQ(ConfigBlockKinds().size(), std::size(kBlocks));
    for (const Block& b : kBlocks) {
        SCOPED_TRACE(b.name);
        const ConfigBlockKind* k = FindKindByWrite(b.write);
        ASSERT_NE(k, nullptr);
        EXPECT_EQ(k->length, b.length);
        EXPECT_EQ(k->ack, b.ack);
        EXPECT_EQ(k->answer, b.answer);
        EXPECT_EQ(FindKindByRead(b.read), k);
        const MessageInfo* w = FindMessage(1, b.write, Direction::ToUnit);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->length, b.length);
    }
}

TEST(SimConfig, ReadAllAnswersInputsAndOutputsInOrder) {
    SimUnit unit(Seeded(3));
    for (const Block* b : {&kBlocks[0], &kBlocks[1]}) {
        const auto replies = Ask(unit, LinkPacket::make(1, b->read, {255}));
        ASSERT_EQ(static_cast<int>(replies.size()), b->count) << b->name;
        for (int i = 0; i < b->count; ++i) {
            EXPECT_EQ(replies[static_cast<std::size_t>(i)].command(), b->answer);
            EXPECT_EQ(replies[static_cast<std::size_t>(i)].at(4), i + 1);
            EXPECT_EQ(Payload(replies[static_cast<std::size_t>(i)]),
                      unit.state().configBlock(b->write, i + 1));
        }
    }
}

TEST(SimConfig, WriteIsAcknowledgedAndEveryReadAnswersItByteForByte) {
    SimUnit unit;
    std::mt19937 rng(99);
    for (const Block& b : kBlocks) {
        for (int i = b.first; i < b.first + b.count; ++i) {
            SCOPED_TRACE(std::string(b.name) + " " + std::to_string(i));
            Bytes data(static_cast<std::size_t>(b.length - 4));
            for (auto& byte : data)
                byte = static_cast<std::uint8_t>(rng());
            if (b.indexed) data[0] = static_cast<std::uint8_t>(i);
            const auto acks =
                Ask(unit, LinkPacket::make(1, b.write, data.data(), static_cast<int>(data.size())));
            ASSERT_EQ(acks.size(), 1u);
            EXPECT_EQ(acks[0].command(), b.ack);
            EXPECT_EQ(acks[0].length(), b.indexed ? 5 : 4);
            if (b.indexed) {
                EXPECT_EQ(acks[0].at(4), i);
            }
            EXPECT_EQ(unit.state().configBlock(b.write, b.indexed ? i : 0), data);
            const auto answer = ReadBlock(unit, b, i);
            ASSERT_EQ(answer.size(), 1u);
            EXPECT_EQ(answer[0].command(), b.answer);
            EXPECT_EQ(answer[0].length(), b.length);
            EXPECT_TRUE(answer[0].checksumOk());
            EXPECT_EQ(Payload(answer[0]), data);
        }
    }
}

TEST(SimConfig, IndexesTheUnitDoesNotHave) {
    struct Case {
        const Block& block;
        int index;
    };
    const Case cases[] = {
        {kBlocks[5], 32}, {kBlocks[8], 15}, {kBlocks[9], 5}, {kBlocks[11], 3}, {kBlocks[0], 12}};
    SimUnit unit(Seeded(5));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block.name);
        // Read: answered with that index and zero data.
        const auto answer = ReadBlock(unit, c.block, c.index);
        ASSERT_EQ(answer.size(), 1u);
        EXPECT_EQ(answer[0].command(), c.block.answer);
        EXPECT_EQ(answer[0].length(), c.block.length);
        Bytes expected(static_cast<std::size_t>(c.block.length - 4), 0);
        expected[0] = static_cast<std::uint8_t>(c.index);
        EXPECT_EQ(Payload(answer[0]), expected);
        // Write: acknowledged with its index, nothing stored anywhere.
        const std::vector<Bytes> before = Image(unit.state());
        const auto ack = Ask(unit, LinkPacket::make(1, c.block.write, expected.data(), c.block.length - 4));
        ASSERT_EQ(ack.size(), 1u);
        EXPECT_EQ(ack[0].at(4), c.index);
        EXPECT_EQ(Image(unit.state()), before);
    }
}

TEST(SimConfig, FactoryResetRestoresTheDefaults) {
    SimUnit unit(Seeded(11));
    const std::vector<Bytes> factory = Image(SimUnit().state());
    EXPECT_NE(Image(unit.state()), factory);
    const auto replies = Ask(unit, LinkPacket::make(1, 5));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].command(), 134);
    EXPECT_EQ(replies[0].length(), 4);
    EXPECT_EQ(Image(unit.state()), factory);

    const SimState& s = unit.state();
    EXPECT_EQ(Text(s.configBlock(3, 1), 5, 15), "CH 1");
    EXPECT_EQ(Text(s.configBlock(3, 11), 5, 15), "CH 11");
    const Bytes out1 = s.configBlock(1, 1), out20 = s.configBlock(1, 20);
    EXPECT_EQ(Bytes(out1.begin() + 1, out1.begin() + 6),
              (Bytes{0x00, 100, 5, 0x00, 1})); // 10.0 A, 0.5 s, DISABLED
    EXPECT_EQ(Bytes(out20.begin() + 1, out20.begin() + 4), (Bytes{0xFF, 0xFF, 0x00}));
    EXPECT_EQ(Bytes(out20.begin() + 23, out20.end()), (Bytes{0, 0, 0}));
    EXPECT_EQ(Text(out20, 10, 15), "Output 20");
    EXPECT_EQ(Text(s.configBlock(98, 0), 4, 16), "VOLTMAST SIM");
    EXPECT_EQ(Text(s.configBlock(82, 31), 20, 15), "CAN 32");
    EXPECT_EQ(Text(s.configBlock(84, 14), 11, 15), "Virtual 15");
    const Bytes export1 = s.configBlock(86, 0);
    EXPECT_EQ(export1[2] | export1[3] << 8, 100);
    EXPECT_EQ(export1[4] | export1[5] << 8, 0x100);
    EXPECT_EQ(export1[24], 12);
}

TEST(SimConfig, RebootAnswersAndRestartsTheUptime) {
    FakeClock clock;
    SimUnit unit({}, clock.fn());
    clock.now += 500s;
    const auto replies = Ask(unit, LinkPacket::make(1, 7));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].command(), 136);
    clock.now += 3s;
    EXPECT_EQ(unit.state().secondsSincePowerUp(), 3u);
}

// What the tool's pages can produce, block by block: the list of failed checks.
struct Checker {
    const Bytes& p;
    std::vector<std::string> failed;
    int at(int pos) const { return p.at(static_cast<std::size_t>(pos - 4)); }
    int le16(int pos) const { return at(pos) | at(pos + 1) << 8; }
    void need(bool ok, const char* what) {
        if (!ok) failed.push_back(what);
    }
    bool trigger(int code) const {
        return code == 0x00 || code == 0xFF || (code >= 0x01 && code <= 0x2F) || inputCode(code);
    }
    static bool inputCode(int code) {
        static const std::set<int> codes = {0xC0, 0xC1, 0xC2, 0xD1, 0xC4, 0xC5, 0xC6, 0xC7, 0xC3, 0xD2, 0xD3};
        return codes.count(code) != 0;
    }
    // Printable, at most maxLen characters, zeros to the end of the field.
    bool name(int pos, int width, int maxLen) const {
        int n = 0;
        while (n < width && at(pos + n) >= 0x20 && at(pos + n) <= 0x7E)
            ++n;
        return n <= maxLen && zero(pos + n, pos + width - 1);
    }
    bool zero(int from, int to) const {
        for (int pos = from; pos <= to; ++pos)
            if (at(pos) != 0) return false;
        return true;
    }
    bool upTo(int from, int count, int max) const {
        for (int pos = from; pos < from + count; ++pos)
            if (at(pos) > max) return false;
        return true;
    }
    // Ascending values of lo..hi from the front, then only 0xFF.
    bool slots(int pos, int count, int lo, int hi) const {
        int last = lo - 1, used = 0;
        for (; used < count && at(pos + used) != 0xFF; ++used) {
            if (at(pos + used) <= last || at(pos + used) > hi) return false;
            last = at(pos + used);
        }
        for (int i = used; i < count; ++i)
            if (at(pos + i) != 0xFF) return false;
        return true;
    }
    bool bytePair(int hiPos) const { // Lo 0..8, Hi 0 or beside Lo
        const int h = at(hiPos), l = at(hiPos + 1);
        return l <= 8 && h <= 8 && (h == 0 || (l != 0 && std::abs(h - l) == 1));
    }
};

float FloatAt(const Checker& c, int pos) {
    float f = 0;
    const auto bits = static_cast<std::uint32_t>(c.le16(pos) | c.le16(pos + 2) << 16);
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

bool OpenLevelAllowed(int trigger) { return trigger != 0xC0 && Checker::inputCode(trigger); } // inputs 2..11

// Checks by write code; i is the block's wire index.
const std::map<int, std::function<void(Checker&, int)>> kChecks = {
    {3, [](Checker& c, int) { c.need(c.name(5, 15, 15) && c.at(20) <= 1, "name or mode"); }},
    {1,
     [](Checker& c, int i) {
         if (i > 18)
             c.need(c.at(5) == 0xFF && c.at(6) == 0xFF && c.zero(7, 7) && c.zero(27, 29), "fixed fields");
         else
             c.need((c.at(5) << 8 | c.at(6)) <= 609 && c.at(7) <= 100 && c.le16(27) <= 609,
                    "current or peak");
         c.need(c.trigger(c.at(8)), "trigger");
         c.need(c.at(9) == 1 || (c.at(9) == 16 && OpenLevelAllowed(c.at(8))), "level");
         c.need(c.name(10, 15, 15) && c.at(25) <= 100, "name or delay");
     }},
    {8, [](Checker& c, int) { c.need(c.upTo(4, 3, 1) && c.zero(7, 11), "flags"); }},
    {39, [](Checker& c, int) { c.need(c.at(4) < 170 && c.at(5) < 170 && c.slots(6, 12, 1, 34), "fields"); }},
    {41, [](Checker& c, int) { c.need(c.trigger(c.at(4)) && c.slots(5, 16, 1, 34), "fields"); }},
    {82,
     [](Checker& c, int) {
         c.need(c.at(5) <= 1 && c.le16(6) <= 0xFFF && c.le16(8) <= 0xFFF, "enabled or identifiers");
         c.need(c.upTo(14, 2, 5) && c.bytePair(16) && c.bytePair(18), "operators or byte positions");
         c.need(c.name(20, 15, 15) && c.name(39, 5, 5), "name or dimension");
         c.need(c.at(35) <= 1 && c.at(36) <= 7 && c.at(38) <= 1 && c.at(48) != 0x80,
                "row counter, type, offset");
         c.need(std::isfinite(FloatAt(c, 44)), "multiplicator");
     }},
    {100,
     [](Checker& c, int) { c.need(c.at(4) <= 1 && Checker::inputCode(c.at(5)) && c.zero(6, 19), "fields"); }},
    {98, [](Checker& c, int) { c.need(c.name(4, 16, 15), "name"); }},
    {84,
     [](Checker& c, int) {
         for (int pos : {6, 7, 8})
             c.need(c.at(pos) != 1 && (c.at(pos) <= 93 || c.at(pos) == 0xFF), "term source");
         c.need(c.at(5) == 0 && c.upTo(9, 2, 2) && c.at(29) <= 7, "operators or mask");
         c.need(c.name(11, 15, 15) && c.upTo(26, 3, 109), "name or delays");
     }},
    {88,
     [](Checker& c, int) {
         c.need(c.upTo(5, 2, 1) && c.trigger(c.at(7)) && c.slots(10, 4, 0, 33), "fields");
         c.need(c.name(14, 15, 14), "name");
     }},
    {86,
     [](Checker& c, int) {
         c.need(c.at(4) == 0 && c.at(5) <= 1 && c.le16(6) >= 20 && c.le16(8) <= 0xFFF && c.at(28) <= 12,
                "fields");
         c.need(c.upTo(10, 18, 18), "data bytes");
     }},
    {90,
     [](Checker& c, int i) {
         const int bits = i == 2 ? 64 : 34;
         c.need(c.at(5) <= 1 && c.le16(6) >= 20 && c.le16(8) <= 0xFFF, "fields");
         c.need(c.upTo(10, bits, 34) && c.zero(10 + bits, 73), "bits");
     }},
};

std::vector<std::string> Problems(const SimState& s) {
    std::vector<std::string> found;
    for (const Block& b : kBlocks)
        for (int i = b.first; i < b.first + b.count; ++i) {
            const Bytes p = s.configBlock(b.write, b.indexed ? i : 0);
            const std::string where = std::string(b.name) + " " + std::to_string(i) + ": ";
            if (p.size() != static_cast<std::size_t>(b.length - 4) || (b.indexed && p[0] != i)) {
                found.push_back(where + "size or index");
                continue;
            }
            Checker c{p, {}};
            kChecks.at(b.write)(c, i);
            for (const std::string& what : c.failed)
                found.push_back(where + what);
        }
    return found;
}

TEST(SimConfig, FactoryAndRandomImagesAreValid) {
    for (std::uint32_t seed = 0; seed <= 60; ++seed) {
        SimUnit unit(Seeded(seed));
        EXPECT_EQ(Problems(unit.state()), std::vector<std::string>{}) << "seed " << seed;
    }
}

TEST(SimConfig, RandomImageIsFixedBySeed) {
    SimUnit a(Seeded(42)), b(Seeded(42)), c(Seeded(43));
    EXPECT_EQ(Image(a.state()), Image(b.state()));
    const auto one = Image(a.state()), other = Image(c.state());
    int differing = 0;
    for (std::size_t i = 0; i < one.size(); ++i)
        differing += one[i] != other[i];
    EXPECT_GT(differing, 90); // of 106 blocks; PWM may agree by chance
}

} // namespace
} // namespace vm::sim
