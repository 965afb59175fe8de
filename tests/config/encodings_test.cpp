#include "config/encodings.h"

#include <gtest/gtest.h>

#include <climits>

namespace vm {
namespace {

TEST(Tenths, TextToTenths) {
    const struct {
        const char* text;
        int tenths;
    } cases[] = {
        {"12,3", 123}, {"12.3", 123},      {"0.7", 7},          {"CONT.", 0},  {"", 0},
        {"2.37", 23},  {"1e1", 100},       {"60.9", 609},       {"25.9", 259}, {"-2.5", -25},
        {" 4.5", 45},  {",5", 0},          {"1,2,3", 12},       {".5", 5},     {"7abc", 70},
        {"1e", 10},    {"1e+1", 100},      {"12.", 120},        {"1e-400", 0}, {"+3", 30},
        {"-", 0},      {"1e400", INT_MAX}, {"-1e400", INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextToTenths(QString::fromLatin1(c.text)), c.tenths) << c.text;
}

TEST(Tenths, EveryOneDecimalValueIsExact) {
    for (int t = 0; t < 10000; ++t) {
        const QString text = QStringLiteral("%1.%2").arg(t / 10).arg(t % 10);
        ASSERT_EQ(TextToTenths(text), t) << text.toStdString();
        ASSERT_EQ(TextToTenths(TenthsText(t)), t);
    }
}

TEST(Tenths, TextFormat) {
    for (auto [tenths, text] : {std::pair{25, "2.5"}, {0, "0.0"}, {609, "60.9"}, {65535, "6553.5"}})
        EXPECT_EQ(TenthsText(tenths), text);
}

TEST(TriggerCode, TableBothWays) {
    EXPECT_EQ(TriggerCodeFromIndex(0), 0x00);
    EXPECT_EQ(TriggerCodeFromIndex(1), 0xFF);
    EXPECT_EQ(TriggerCodeFromIndex(2), 0xC0);
    EXPECT_EQ(TriggerCodeFromIndex(5), 0xD1);
    EXPECT_EQ(TriggerCodeFromIndex(10), 0xC3);
    EXPECT_EQ(TriggerCodeFromIndex(12), 0xD3);
    EXPECT_EQ(TriggerCodeFromIndex(13), 0x01);
    EXPECT_EQ(TriggerCodeFromIndex(44), 0x20);
    EXPECT_EQ(TriggerCodeFromIndex(45), 0x21);
    EXPECT_EQ(TriggerCodeFromIndex(59), 0x2F);
    EXPECT_EQ(TriggerCodeFromIndex(60), 0xFF);
    EXPECT_EQ(TriggerCodeFromIndex(-1), 0xFF);
    EXPECT_EQ(TriggerIndexFromCode(0xC3), 10);
    EXPECT_EQ(TriggerIndexFromCode(0x30), 0);
    EXPECT_EQ(TriggerIndexFromCode(0xFF), 1);

    for (int i = 0; i < kTriggerSourceCount; ++i)
        EXPECT_EQ(TriggerIndexFromCode(TriggerCodeFromIndex(i)), i);
    int known = 0;
    for (int c = 0; c < 256; ++c) {
        const int index = TriggerIndexFromCode(static_cast<std::uint8_t>(c));
        if (index != 0) {
            ++known;
            EXPECT_EQ(TriggerCodeFromIndex(index), c);
        }
    }
    EXPECT_EQ(known, kTriggerSourceCount - 1); // every entry but "DISABLED" (code 0)
}

TEST(LevelAndPinCodes, Tables) {
    EXPECT_EQ(LevelCodeFromIndex(1), 16);
    for (int i : {-1, 0, 2})
        EXPECT_EQ(LevelCodeFromIndex(i), 1);
    EXPECT_EQ(LevelIndexFromCode(16), 1);
    for (int c : {0, 1, 17, 255})
        EXPECT_EQ(LevelIndexFromCode(static_cast<std::uint8_t>(c)), 0);

    const std::uint8_t pins[11] = {0xC0, 0xC1, 0xC2, 0xD1, 0xC4, 0xC5, 0xC6, 0xC7, 0xC3, 0xD2, 0xD3};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(InputPinCodeFromIndex(i), pins[i]);
        EXPECT_EQ(InputIndexFromPinCode(pins[i]), i);
    }
    EXPECT_EQ(InputPinCodeFromIndex(-1), 0xC0);
    EXPECT_EQ(InputPinCodeFromIndex(11), 0xC0);
    EXPECT_EQ(InputIndexFromPinCode(0x05), 0);
}

TEST(Identifiers, HexTextAndNumberParsing) {
    EXPECT_EQ(HexIdText(0x012), "012");
    EXPECT_EQ(HexIdText(0x7FF), "7FF");
    EXPECT_EQ(HexIdText(0x1A0), "1A0");
    EXPECT_EQ(HexIdText(0xABCD), "ABCD");
    EXPECT_EQ(ParseHexId("7FF"), 2047);
    EXPECT_EQ(ParseHexId("1a0"), 416);
    for (const char* bad : {"", "G", "7 F", "-1", "123456789"})
        EXPECT_FALSE(ParseHexId(QString::fromLatin1(bad)).has_value()) << bad;

    EXPECT_EQ(ParseDecimal("000"), 0);
    EXPECT_EQ(ParseDecimal(" 12"), 12);
    EXPECT_EQ(ParseDecimal("-5"), -5);
    EXPECT_EQ(ParseDecimal("99999"), 99999);
    for (const char* bad : {"", "12a", "1.5", "-", "12 ", "99999999999"})
        EXPECT_FALSE(ParseDecimal(QString::fromLatin1(bad)).has_value()) << bad;
    EXPECT_TRUE(NotAnIntegerMessage("12a").contains("'12a'"));
}

TEST(Names, FieldEncoding) {
    std::uint8_t field[15];
    EncodeName(QStringLiteral("ABCDEFGHIJKLMNO"), field, 15);
    for (std::uint8_t b : field)
        EXPECT_NE(b, 0);
    EXPECT_EQ(DecodeName(field, 15), "ABCDEFGHIJKLMNO");

    EncodeName(QStringLiteral("Pump"), field, 15);
    EXPECT_EQ(DecodeName(field, 15), "Pump");
    for (int i = 4; i < 15; ++i)
        EXPECT_EQ(field[i], 0);

    EncodeName(QStringLiteral("0123456789ABCDEFGH"), field, 15);
    EXPECT_EQ(DecodeName(field, 15), "0123456789ABCDE");
    EncodeName(QString::fromUtf8("Lüfter"), field, 15);
    EXPECT_EQ(DecodeName(field, 15), QString::fromUtf8("Lüfter"));
}

} // namespace
} // namespace vm
