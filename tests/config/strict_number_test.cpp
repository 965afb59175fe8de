// The strict number reader: the whole text, finite, within range, with the
// reason when not.
#include "config/strict_number.h"

#include <cfloat>
#include <climits>
#include <gtest/gtest.h>

namespace vm::number {
namespace {

TEST(StrictNumber, Integers) {
    const struct {
        const char* text;
        qint64 min, max;
        int base;
        std::optional<qint64> value;
        const char* error;
    } cases[] = {
        {"42", 0, 255, 10, 42, ""},
        {"  -7\t", -10, 10, 10, -7, ""},
        {"+0", 0, 0, 10, 0, ""},
        {"255", 0, 255, 10, 255, ""},
        {"256", 0, 255, 10, {}, "\"256\" is out of range (0 to 255)"},
        {"-70000", -32768, 65535, 10, {}, "\"-70000\" is out of range (-32768 to 65535)"},
        {"-9223372036854775808", LLONG_MIN, LLONG_MAX, 10, LLONG_MIN, ""},
        {"9223372036854775808", LLONG_MIN, LLONG_MAX, 10, {}, "\"9223372036854775808\" is out of range"},
        {"99999999999999999999999", 0, 9, 10, {}, "is out of range (0 to 9)"},
        {"12.5", 0, 100, 10, {}, "\"12.5\" is not a whole number"},
        {"1e3", 0, 10000, 10, {}, "\"1e3\" is not a whole number"},
        {"12.5.3", 0, 100, 10, {}, "\"12.5.3\" is not a number"},
        {"", 0, 1, 10, {}, "\"\" is not a number"},
        {"-", 0, 1, 10, {}, "\"-\" is not a number"},
        {"1 2", 0, 99, 10, {}, "\"1 2\" is not a number"},
        {"+-1", -9, 9, 10, {}, "is not a number"},
        {"0x1F", 0, 100, 10, {}, "\"0x1F\" is not a number"},
        {"0x1F", 0, 100, 16, 31, ""},
        {"-0x10", -16, 0, 16, -16, ""},
        {"ff", 0, 255, 16, 255, ""},
        {"0x", 0, 1, 16, {}, "is not a number"},
        {"\xd9\xa3", 0, 9, 10, {}, "is not a number"}, // an Arabic-Indic three
        {"NaN", 0, 1, 10, {}, "\"NaN\" is not a number"},
    };
    for (const auto& c : cases) {
        QString error;
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(ParseInteger(text, c.min, c.max, &error, c.base), c.value) << c.text;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << c.text << ": " << error.toStdString();
        EXPECT_EQ(error.isEmpty(), c.value.has_value()) << c.text;
    }
}

TEST(StrictNumber, Decimals) {
    const DecimalSyntax plain{};
    const DecimalSyntax pointOnly{.comma = false};
    const DecimalSyntax withExponent{.comma = true, .exponent = true};
    const struct {
        const char* text;
        double min, max;
        DecimalSyntax syntax;
        std::optional<double> value;
        const char* error;
    } cases[] = {
        {"12.5", 0, 25.5, plain, 12.5, ""},
        {"12,5", 0, 25.5, plain, 12.5, ""},
        {" .5 ", 0, 1, plain, 0.5, ""},
        {"5.", 0, 9, plain, 5.0, ""},
        {"-0", -1, 1, plain, 0.0, ""},
        {"25.5", 0, 25.5, plain, 25.5, ""},
        {"25.51", 0, 25.5, plain, {}, "\"25.51\" is out of range (0 to 25.5)"},
        {"12,5", 0, 25.5, pointOnly, {}, "\"12,5\" is not a number"},
        {"12.5.3", 0, 100, plain, {}, "\"12.5.3\" is not a number"},
        {"1,5.3", 0, 100, plain, {}, "is not a number"},
        {"NaN", -DBL_MAX, DBL_MAX, withExponent, {}, "\"NaN\" is not a number"},
        {"inf", -DBL_MAX, DBL_MAX, withExponent, {}, "\"inf\" is not a number"},
        {"1e3", 0, 2000, plain, {}, "\"1e3\" is not a number"},
        {"1e3", 0, 2000, withExponent, 1000.0, ""},
        {"-1E-3", -1, 1, withExponent, -0.001, ""},
        {"3.4028235e+38", -DBL_MAX, DBL_MAX, withExponent, 3.4028235e+38, ""},
        {"1e400", -DBL_MAX, DBL_MAX, withExponent, {}, "\"1e400\" is out of range"},
        {"1e", 0, 9, withExponent, {}, "\"1e\" is not a number"},
        {"", 0, 1, plain, {}, "\"\" is not a number"},
        {".", 0, 1, plain, {}, "\".\" is not a number"},
        {"0x10", 0, 100, plain, {}, "is not a number"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_EQ(ParseDecimal(QString::fromUtf8(c.text), c.min, c.max, &error, c.syntax), c.value) << c.text;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << c.text << ": " << error.toStdString();
        EXPECT_EQ(error.isEmpty(), c.value.has_value()) << c.text;
    }
}

TEST(StrictNumber, LongTextsAreQuotedShort) {
    QString error;
    EXPECT_FALSE(ParseInteger(QString(100000, QLatin1Char('7')) + QLatin1Char('x'), 0, 9, &error));
    EXPECT_LT(error.size(), 80);
}

} // namespace
} // namespace vm::number
