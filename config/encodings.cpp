#include "config/encodings.h"

#include "config/code_page.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vm {

namespace {

// Wired inputs 1..11 in input order (input 4 and input 9 are out of sequence).
constexpr std::uint8_t kInputCodes[11] = {0xC0, 0xC1, 0xC2, 0xD1, 0xC4, 0xC5, 0xC6, 0xC7, 0xC3, 0xD2, 0xD3};
constexpr int kFirstInputIndex = 2;
constexpr int kFirstCanIndex = 13;
constexpr int kFirstVirtualIndex = 45;
constexpr std::uint8_t kPlus30 = 0xFF;
constexpr std::uint8_t kLevelOpen = 16;
constexpr std::uint8_t kLevelDefault = 1;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the leading floating-point number at s (after the sign):
// digits, optional point and digits, optional exponent with digits.
std::size_t NumberLength(const std::string& s, std::size_t pos) {
    std::size_t i = pos;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j]))
                ++j;
            i = j;
        }
    }
    return i - pos;
}

} // namespace

void EncodeName(const QString& name, std::uint8_t* field, int width) {
    if (width <= 0) return;
    std::memset(field, 0, static_cast<std::size_t>(width));
    const qsizetype n = std::min<qsizetype>(name.size(), width);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = name[i].unicode();
        if (u >= 0x20 && u < 0x7F) // most names are plain ASCII
            field[i] = static_cast<std::uint8_t>(u);
        else
            field[i] = IsUnitChar(name[i]) ? *CodePageByte(name[i]) : std::uint8_t('?');
    }
}

QString DecodeName(const std::uint8_t* field, int width) {
    int n = 0;
    while (n < width && field[n] != 0)
        ++n;
    QString name(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i) {
        const QChar c = CodePageChar(field[i]);
        name[i] = IsUnitChar(c) ? c : QLatin1Char('?');
    }
    return name;
}

int TextToTenths(const QString& text) {
    std::string s = text.toStdString();
    for (std::size_t i = 1; i < s.size(); ++i)
        if (s[i] == ',') s[i] = '.';
    std::size_t pos = 0;
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\n' || s[pos] == '\r' ||
                              s[pos] == '\f' || s[pos] == '\v'))
        ++pos;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
    const std::size_t len = NumberLength(s, pos);
    if (len == 0) return 0;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(s.data() + pos, s.data() + pos + len, value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Beyond double: a negative exponent means too small (0), else too large.
        const std::string number = s.substr(pos, len);
        const std::size_t e = number.find_first_of("eE");
        const bool tiny = e != std::string::npos && e + 1 < number.size() && number[e + 1] == '-';
        value = tiny ? 0.0 : HUGE_VAL;
    } else if (ec != std::errc()) {
        return 0;
    }
    if (negative) value = -value;
    const double tenths = std::trunc(value * 10.0);
    if (tenths >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (tenths <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(tenths);
}

// The same text as "%3.1f" of tenths / 10 (never shorter than "0.0"), without
// the cost of a printf: pages and files fill hundreds of these.
QString TenthsText(int tenths) {
    const long long magnitude = std::llabs(static_cast<long long>(tenths));
    char text[16];
    int len = 0;
    text[len++] = static_cast<char>('0' + magnitude % 10);
    text[len++] = '.';
    long long whole = magnitude / 10;
    do {
        text[len++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (tenths < 0) text[len++] = '-';
    std::reverse(text, text + len);
    return QString::fromLatin1(text, len);
}

std::uint8_t CapByte(long long value) { return static_cast<std::uint8_t>(std::clamp(value, 0LL, 255LL)); }

std::uint16_t CapWord(long long value) { return static_cast<std::uint16_t>(std::clamp(value, 0LL, 65535LL)); }

std::uint8_t TriggerCodeFromIndex(int index) {
    if (index == 0) return 0x00;
    if (index >= kFirstInputIndex && index < kFirstCanIndex) return kInputCodes[index - kFirstInputIndex];
    if (index >= kFirstCanIndex && index < kFirstVirtualIndex)
        return static_cast<std::uint8_t>(index - kFirstCanIndex + 1);
    if (index >= kFirstVirtualIndex && index < kTriggerSourceCount)
        return static_cast<std::uint8_t>(index - kFirstVirtualIndex + 0x21);
    return kPlus30; // "+30", and no selection or anything out of the list
}

int TriggerIndexFromCode(std::uint8_t code) {
    if (code == kPlus30) return 1;
    for (int i = 0; i < 11; ++i)
        if (kInputCodes[i] == code) return kFirstInputIndex + i;
    if (code >= 0x01 && code <= 0x20) return kFirstCanIndex + code - 1;
    if (code >= 0x21 && code <= 0x2F) return kFirstVirtualIndex + code - 0x21;
    return 0;
}

std::uint8_t LevelCodeFromIndex(int index) { return index == 1 ? kLevelOpen : kLevelDefault; }

int LevelIndexFromCode(std::uint8_t code) { return code == kLevelOpen ? 1 : 0; }

std::uint8_t InputPinCodeFromIndex(int index) {
    return (index >= 0 && index < 11) ? kInputCodes[index] : kInputCodes[0];
}

int InputIndexFromPinCode(std::uint8_t code) {
    for (int i = 0; i < 11; ++i)
        if (kInputCodes[i] == code) return i;
    return 0;
}

QString HexIdText(unsigned value) {
    return QString::number(value, 16).toUpper().rightJustified(3, QLatin1Char('0'));
}

std::optional<long long> ParseHexId(const QString& text) {
    if (text.isEmpty() || text.size() > 8) return std::nullopt;
    long long value = 0;
    for (const QChar c : text) {
        const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
                          : (c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F'))
                              ? c.toUpper().unicode() - 'A' + 10
                              : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

std::optional<long long> ParseDecimal(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    if (i >= text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return std::nullopt;
    return value;
}

QString NotAnIntegerMessage(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

} // namespace vm
