#include "session/page_rules.h"

#include "config/block_accessors.h"
#include "config/config_store.h"
#include "config/encodings.h"
#include "config/strict_number.h"

#include <algorithm>
#include <cstdlib>
#include <climits>
#include <limits>

namespace vm::rules {

namespace {

constexpr int kFirstInput = 2;
constexpr int kFirstCan = 13;
constexpr int kFirstVirtual = 45;
constexpr int kVirtualSourceCount = 94;

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Digits with at most one decimal mark, read by the strict number reader; the
// empty text and a lone mark may stand while typing. No sign, no blanks.
bool IsDecimalText(QStringView text) {
    if (text.isEmpty() || text == u"." || text == u",") return true;
    for (QChar c : text)
        if (!IsDigit(c) && c != QLatin1Char('.') && c != QLatin1Char(',')) return false;
    return number::ParseDecimal(text, 0, std::numeric_limits<double>::max()).has_value();
}

// The decimal value of a text IsDecimalText accepts, in tenths, the rest of
// the fraction dropped. Saturates.
long long Tenths(QStringView text) {
    long long whole = WholePart(text);
    const qsizetype mark = text.indexOf(QLatin1Char('.')) >= 0 ? text.indexOf(QLatin1Char('.'))
                                                                 : text.indexOf(QLatin1Char(','));
    int tenth = 0;
    if (mark >= 0 && mark + 1 < text.size() && IsDigit(text[mark + 1])) tenth = text[mark + 1].digitValue();
    if (whole > LLONG_MAX / 10 - 10) return LLONG_MAX / 10;
    return whole * 10 + tenth;
}

} // namespace

bool AcceptsText(NumberEdit edit, QStringView text) {
    if (edit == NumberEdit::OnTime && kContinuousText.startsWith(text)) return true;
    return IsDecimalText(text);
}

QString PointForComma(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char(','), QLatin1Char('.'));
    return out;
}

long long WholePart(QStringView text) {
    qsizetype i = 0;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) ++i;
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (value > (LLONG_MAX - 9) / 10) return LLONG_MAX;
        value = value * 10 + text[i].digitValue();
    }
    return value;
}

std::optional<QString> ClampedText(NumberEdit edit, QStringView text) {
    const long long whole = WholePart(text);
    switch (edit) {
    case NumberEdit::MaxCurrent:
    case NumberEdit::LowCurrent:
        if (whole > 60) return QStringLiteral("60.0");
        break;
    case NumberEdit::PeakTime:
        // The full value counts here: 10.5 is too much.
        if (Tenths(text) > 100) return QStringLiteral("10.0");
        break;
    case NumberEdit::Delay:
        if (whole >= 10) return QStringLiteral("10.0");
        break;
    case NumberEdit::OnTime:
    case NumberEdit::LowCurrentTime:
        if (whole > 25) return QStringLiteral("25.0");
        // One byte of tenths ends at 25.5.
        if (Tenths(text) > 255) return QStringLiteral("25.5");
        break;
    case NumberEdit::LowVoltage:
        if (whole > 16) return QStringLiteral("12.0");
        break;
    case NumberEdit::HighVoltage:
        if (whole > 16) return QStringLiteral("12.3");
        break;
    case NumberEdit::FlashTime:
        if (whole > 25000) return QStringLiteral("25000");
        break;
    case NumberEdit::VirtualDelay:
        // 10.1..10.9 pass: they still fit the byte of tenths.
        if (whole > 10) return QStringLiteral("10.0");
        break;
    }
    return std::nullopt;
}

QString ApplyRule(NumberEdit edit, const QString& text) {
    const std::optional<QString> clamped = ClampedText(edit, text);
    return clamped ? *clamped : text;
}

int FlashTimeUnits(QStringView text) { return static_cast<int>(std::min(WholePart(text), 25000LL) / 100); }

QString FlashTimeText(int units) { return QString::number(units * 100); }

TriggerView ViewForTrigger(int index) {
    TriggerView view;
    if (index >= kFirstInput && index < kFirstCan)
        view.pinLabel = QStringLiteral("( Con. 4, Red ring, Pin %1 )").arg(index + 17);
    else if (index >= kFirstCan && index < kFirstVirtual)
        view.pinLabel = QStringLiteral("( CAN input %1 )").arg(index - 12);
    else if (index >= kFirstVirtual && index < kTriggerSourceCount)
        view.pinLabel = QStringLiteral("( Virtual input %1 )").arg(index - 44);

    if (index == 1) {
        view.levelItems = {QStringLiteral("+30")};
    } else if (index == kFirstInput) {
        view.levelItems = {QStringLiteral("+12v")};
    } else if (index > kFirstInput && index < kFirstCan) {
        view.levelItems = {QStringLiteral("GND"), QStringLiteral("OPEN")};
        view.levelEnabled = true;
    } else if (index >= kFirstCan && index < kTriggerSourceCount) {
        view.levelItems = {QStringLiteral("-")};
    } else {
        view.levelKept = true;
    }
    return view;
}

int LevelAfterTriggerChange(int index, int previousLevel) {
    const TriggerView view = ViewForTrigger(index);
    if (view.levelKept) return previousLevel;
    if (view.levelItems.size() == 2) return previousLevel == 1 ? 1 : 0;
    return 0;
}

int CheckLimit(CheckList list) {
    switch (list) {
    case CheckList::Flash: return 4;
    case CheckList::LowBattery: return kLowBatterySlots;
    case CheckList::StartButton: return kStartButtonSlots;
    }
    return 0;
}

QString CheckLimitText(CheckList list) {
    switch (list) {
    case CheckList::Flash: return QStringLiteral("Max 4 in output list!");
    case CheckList::LowBattery: return QStringLiteral("Max 12 in low battery list!");
    case CheckList::StartButton: return QStringLiteral("Max 16 Start Button list!");
    }
    return {};
}

QStringList TriggerSourceNames(const ConfigStore& store) {
    QStringList names;
    names.reserve(kTriggerSourceCount);
    names << QStringLiteral("DISABLED") << QStringLiteral("+30");
    for (int n = 1; n <= kInputCount; ++n)
        names << InputName(store, n);
    for (int n = 1; n <= kCanRuleCount; ++n)
        names << CanInputName(store, n);
    for (int n = 1; n <= kVirtualInputCount; ++n)
        names << VirtualInputName(store, n);
    return names;
}

QStringList OutputNames(const ConfigStore& store) {
    QStringList names;
    names.reserve(kOutputCount);
    for (int ch = 1; ch <= kOutputCount; ++ch)
        names << OutputName(store, ch);
    return names;
}

QStringList VirtualSourceNames(const ConfigStore& store) {
    QStringList names;
    names.reserve(kVirtualSourceCount);
    names << QStringLiteral("Not Used") << QStringLiteral("+30");
    for (int n = 1; n <= kInputCount; ++n)
        names << InputName(store, n);
    for (int n = 1; n <= kCanRuleCount; ++n)
        names << CanInputName(store, n);
    for (int ch = 1; ch <= kOutputCount; ++ch)
        names << OutputName(store, ch);
    for (int n = 1; n <= kVirtualInputCount; ++n)
        names << VirtualInputName(store, n);
    return names;
}

QStringList ExportChoiceNames(const ConfigStore& store, int count) {
    QStringList names{QStringLiteral("DISABLED")};
    for (int ch = 1; ch <= count && ch <= kOutputCount; ++ch)
        names << OutputName(store, ch);
    return names;
}

namespace {

bool AllDigits(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return IsDigit(c); });
}

} // namespace

bool AcceptsCanId(QStringView text) {
    if (text.size() > 3) return false;
    const std::optional<long long> value = text.isEmpty() ? 0 : ParseHexId(text.toString());
    return value && *value <= 0x7FF;
}

bool AcceptsRefresh(QStringView text) { return text.size() <= 5 && AllDigits(text) && WholePart(text) <= 65535; }

QString RefreshAfterEditing(const QString& text) { return WholePart(text) < 20 ? QStringLiteral("20") : text; }

bool AcceptsRowCount(QStringView text) { return text.size() <= 2 && AllDigits(text); }

QString RowCountText(const QString& text) { return WholePart(text) >= 13 ? QStringLiteral("12") : text; }

int CounterRowsInUse(const QString& rowCountText) {
    return static_cast<int>(std::clamp<long long>(WholePart(rowCountText), 0, 12));
}

bool AcceptsDigits(QStringView text) { return text.size() <= 3 && AllDigits(text); }

QString RowByteText(const QString& text) { return WholePart(text) >= 8 ? QStringLiteral("7") : text; }

QString RowValueText(const QString& text) { return WholePart(text) >= 256 ? QStringLiteral("255") : text; }

std::optional<int> CanOffset(const QString& text) {
    const QString t = PointForComma(text);
    if (t.isEmpty() || t == u"-" || t == u"+") return std::nullopt;
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok) return std::nullopt;
    return static_cast<int>(std::clamp(value, -127.0, 127.0)); // toward zero
}

BytePick PickByte(std::uint8_t high, std::uint8_t low, int cell) {
    BytePick pick{high > 8 ? std::uint8_t{0} : high, low > 8 ? std::uint8_t{0} : low, false};
    const int p = cell + 1;
    if (p < 1 || p > 8) return pick;
    if (pick.high == 0) {
        if (pick.low == 0) pick.low = static_cast<std::uint8_t>(p);
        else if (p == pick.low) pick.low = 0;
        else if (std::abs(p - pick.low) > 1) pick.refused = true;
        else pick.high = static_cast<std::uint8_t>(p); // either side of the low byte
    } else if (p == pick.high) {
        pick.high = 0;
    }
    return pick;
}

bool AcceptsSignedDigits(QStringView text) {
    if (text.startsWith(QLatin1Char('-'))) text = text.mid(1);
    return text.size() <= 5 && AllDigits(text);
}

bool AcceptsSignedDecimal(QStringView text) {
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) text = text.mid(1);
    return IsDecimalText(text);
}

QString OffsetText(const QString& text) {
    const std::optional<int> value = CanOffset(text);
    if (!value || (*value > -127 && *value < 127)) return text;
    // At the limit the typed text may stay only if it says the limit itself.
    const double typed = PointForComma(text).toDouble();
    if (typed > 127.0 || typed < -127.0) return QString::number(*value);
    return text;
}

std::optional<CanValueEdit> CanValue(const QString& text, bool isSigned) {
    const std::optional<long long> typed = ParseDecimal(text);
    if (!typed) return std::nullopt;
    // 16 bits go to the unit: more is its limit, for either data type.
    if (*typed > 65535) return CanValueEdit{65535, CanValueText(65535, isSigned)};
    return CanValueEdit{*typed, CanValueText(*typed, isSigned)};
}

QString CanValueText(long long stored, bool isSigned) {
    // Signed rules read the low 16 bits as two's complement.
    if (isSigned && stored > 32768 && stored <= 65535) return QString::number(stored - 65536);
    return QString::number(stored);
}

} // namespace vm::rules
