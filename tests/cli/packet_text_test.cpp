#include "cli/packet_text.h"

#include <gtest/gtest.h>

using namespace vm;
using vm::cli::FormatPacket;
using vm::cli::ParseByte;

TEST(FormatPacket, GroupAndCommandInDecimalPayloadInHex) {
    EXPECT_EQ(FormatPacket(LinkPacket::make(1, 135, {0x38, 0x2E, 0x31, 0x32, 0x00})), "1 135 38 2E 31 32 00");
    EXPECT_EQ(FormatPacket(LinkPacket::make(0, 1)), "0 1");
    EXPECT_EQ(FormatPacket(LinkPacket::make(0, 128, {0xC0, 0xDB, 0x0A})), "0 128 C0 DB 0A");
}

TEST(FormatPacket, ShowsOnlyTheDeclaredLength) {
    LinkPacket p = LinkPacket::make(1, 92, {1});
    p.bytes[1] = 4; // the CAN monitor switch: one byte past its length
    EXPECT_EQ(FormatPacket(p), "1 92");
}

TEST(ParseByte, AcceptsDecimalAndHexWithinAByte) {
    struct Case {
        const char* text;
        int value; // -1: rejected
    };
    const Case cases[] = {{"0", 0},      {"255", 255}, {"0x0", 0},  {"0xff", 255}, {"0XC0", 192}, {"007", 7},
                          {"256", -1},   {"-1", -1},   {"0x100", -1}, {"", -1},    {"0x", -1},    {"12a", -1},
                          {"1000", -1},  {" 1", -1},   {"ff", -1}};
    for (const Case& c : cases) {
        const auto b = ParseByte(c.text);
        if (c.value < 0) EXPECT_FALSE(b.has_value()) << c.text;
        else {
            ASSERT_TRUE(b.has_value()) << c.text;
            EXPECT_EQ(*b, c.value) << c.text;
        }
    }
}
