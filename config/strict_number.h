#pragma once
// Numbers from outside (files, command-line options, edits), read strictly:
// the whole text is the number (white space around it allowed), it is finite and
// within the caller's range. Anything else is refused with a short reason
// that names the text, for the caller to prefix with where it came from.
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace vm::number {

// What a decimal may look like besides digits, a sign and one decimal mark.
struct DecimalSyntax {
    bool comma = true;     // ',' as the decimal mark as well as '.'
    bool exponent = false; // "1e-07", as the program writes tiny and huge floats
};

// Digits of `base` (2..36), optional sign; base 16 also takes a "0x" prefix.
// On failure returns nullopt and, if given, sets *error, e.g.
// "\"12.5\" is not a whole number" or "\"300\" is out of range (0 to 255)".
std::optional<qint64> ParseInteger(QStringView text, qint64 min, qint64 max, QString* error = nullptr,
                                   int base = 10);

// Optional sign, digits with at most one decimal mark (".5" and "5." count).
// NaN and infinities are never numbers; a value beyond double is out of range.
std::optional<double> ParseDecimal(QStringView text, double min, double max, QString* error = nullptr,
                                   DecimalSyntax syntax = {});

// The reason texts, for checks a caller makes after parsing.
QString NotANumberText(QStringView text);
QString OutOfRangeText(QStringView text, double min, double max);

} // namespace vm::number
