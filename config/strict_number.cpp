#include "config/strict_number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vm::number {

namespace {

// Blanks around a number do not count (Qt's trimming, as the file reader's).
QStringView Trimmed(QStringView text) { return text.trimmed(); }

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int DigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'z') return u - u'a' + 10;
    if (u >= u'A' && u <= u'Z') return u - u'A' + 10;
    return 99;
}

// Messages quote the text, but never a whole megabyte of it.
QString Quoted(QStringView text) {
    constexpr qsizetype kShown = 40;
    const QString shown =
        text.size() > kShown ? text.left(kShown - 3).toString() + QStringLiteral("...") : text.toString();
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

QString BoundText(double v) {
    if (v == std::trunc(v) && std::fabs(v) < 1e15) return QString::number(static_cast<qint64>(v));
    return QString::number(v, 'g', 9);
}

template <typename T> std::optional<T> Fail(QString* error, QString text) {
    if (error) *error = std::move(text);
    return std::nullopt;
}

// The decimal's digits in C syntax ('.' as the mark), or nothing when the
// text does not have the decimal's shape.
std::optional<std::string> DecimalDigits(QStringView t, DecimalSyntax syntax) {
    std::string out;
    out.reserve(static_cast<std::size_t>(t.size()));
    qsizetype i = 0;
    int mantissaDigits = 0;
    bool mark = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (IsDigit(c)) {
            out += static_cast<char>(c.unicode());
            ++mantissaDigits;
        } else if (!mark && (c == QLatin1Char('.') || (syntax.comma && c == QLatin1Char(',')))) {
            out += '.';
            mark = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < t.size() && syntax.exponent && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        out += 'e';
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            out += static_cast<char>(t[i++].unicode());
        int exponentDigits = 0;
        for (; i < t.size() && IsDigit(t[i]); ++i, ++exponentDigits)
            out += static_cast<char>(t[i].unicode());
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    return out;
}

// Splits off one sign.
QStringView Unsigned(QStringView t, bool* negative) {
    *negative = false;
    if (!t.isEmpty() && (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-'))) {
        *negative = t[0] == QLatin1Char('-');
        return t.mid(1);
    }
    return t;
}

} // namespace

QString NotANumberText(QStringView text) { return Quoted(text) + QStringLiteral(" is not a number"); }

QString OutOfRangeText(QStringView text, double min, double max) {
    return Quoted(text) + QStringLiteral(" is out of range (%1 to %2)").arg(BoundText(min), BoundText(max));
}

std::optional<qint64> ParseInteger(QStringView text, qint64 min, qint64 max, QString* error, int base) {
    if (base < 2 || base > 36) base = 10;
    bool negative = false;
    const QStringView magnitude = Unsigned(Trimmed(text), &negative);
    QStringView digits = magnitude;
    if (base == 16 && digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) digits = digits.mid(2);

    // Past 2^63 only the shape is still checked; the value is out of range.
    constexpr quint64 kLimit = quint64(1) << 63;
    quint64 value = 0;
    bool overflow = false;
    for (const QChar c : digits) {
        const int d = DigitValue(c);
        if (d >= base) {
            const bool fraction = base == 10 && DecimalDigits(magnitude, {true, true});
            return Fail<qint64>(error, fraction ? Quoted(text) + QStringLiteral(" is not a whole number")
                                                : NotANumberText(text));
        }
        if (!overflow) {
            if (value > (kLimit - static_cast<quint64>(d)) / static_cast<quint64>(base))
                overflow = true;
            else
                value = value * static_cast<quint64>(base) + static_cast<quint64>(d);
        }
    }
    if (digits.isEmpty()) return Fail<qint64>(error, NotANumberText(text));
    if (overflow || (!negative && value == kLimit))
        return Fail<qint64>(error, OutOfRangeText(text, static_cast<double>(min), static_cast<double>(max)));
    const qint64 result = negative ? static_cast<qint64>(0 - value) : static_cast<qint64>(value);
    if (result < min || result > max)
        return Fail<qint64>(error, OutOfRangeText(text, static_cast<double>(min), static_cast<double>(max)));
    return result;
}

std::optional<double> ParseDecimal(QStringView text, double min, double max, QString* error,
                                   DecimalSyntax syntax) {
    bool negative = false;
    const std::optional<std::string> digits = DecimalDigits(Unsigned(Trimmed(text), &negative), syntax);
    if (!digits) return Fail<double>(error, NotANumberText(text));
    double value = 0.0;
    const char* end = digits->data() + digits->size();
    const auto [stop, ec] = std::from_chars(digits->data(), end, value);
    if (ec == std::errc::result_out_of_range || (ec == std::errc() && !std::isfinite(value)))
        return Fail<double>(error, OutOfRangeText(text, min, max));
    if (ec != std::errc() || stop != end) return Fail<double>(error, NotANumberText(text));
    if (negative) value = -value;
    if (!(value >= min && value <= max)) return Fail<double>(error, OutOfRangeText(text, min, max));
    return value;
}

} // namespace vm::number
