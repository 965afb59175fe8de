#pragma once
// The editor pages' rules without their widgets: what a number edit accepts,
// how a value beyond its limit is replaced, what a trigger choice shows, how
// many outputs a check list takes, and the texts of the trigger source list.
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace vm {

class ConfigStore;

namespace rules {

// Every numeric edit of the pages, each with its own limit.
enum class NumberEdit {
    MaxCurrent,     // "Max. [A]": whole part above 60 gives 60.0
    PeakTime,       // "Peak [sec]": value above 10.0 gives 10.0
    Delay,          // "Delay [sec]": whole part 10 or more gives 10.0
    OnTime,         // "Timer[sec]": whole part above 25 gives 25.0, 25.6..25.9 give 25.5; "CONT." is 0
    LowCurrent,     // "Min. [A]": as MaxCurrent
    LowCurrentTime, // low-current "Timer[sec]": as OnTime
    LowVoltage,     // "Low Threshold": whole part above 16 gives 12.0
    HighVoltage,    // "High Threshold": whole part above 16 gives 12.3
    FlashTime,      // "Flash" / "Duration" in ms: whole part above 25000 gives 25000
    VirtualDelay,   // virtual input "Delay [sec]": whole part above 10 gives 10.0
};

inline const QString kContinuousText = QStringLiteral("CONT.");

// Whether text may stand in the edit while typing: digits with at most one
// '.' or ','; the ON timer also takes "CONT." and the way to it. No sign, no
// exponent.
bool AcceptsText(NumberEdit edit, QStringView text);
// A ',' typed in a number edit becomes '.'.
QString PointForComma(const QString& text);
// The run of digits at the start (after an optional sign); none gives 0.
// Saturates instead of overflowing.
long long WholePart(QStringView text);
// The limit text that replaces `text`, or nullopt when it stays.
std::optional<QString> ClampedText(NumberEdit edit, QStringView text);
// The text after the rule: the limit text or the text itself.
QString ApplyRule(NumberEdit edit, const QString& text);
// What a flash time edit stores: the whole part in units of 100 ms.
int FlashTimeUnits(QStringView text);
// How an edit's text shows a stored flash time.
QString FlashTimeText(int units);

// What an output row shows for a trigger list index.
struct TriggerView {
    QString pinLabel;       // LabelInputpinN
    bool levelKept = false; // none or "DISABLED": the level box stays as it is
    QStringList levelItems; // the level box's entries
    bool levelEnabled = false;
};
TriggerView ViewForTrigger(int index);
// The level index a user's trigger choice leaves selected: the previous one
// for "GND"/"OPEN" (0 when there was none), 0 where the box has one entry,
// the previous one where the box is left alone.
int LevelAfterTriggerChange(int index, int previousLevel);

// Check lists of outputs and how many checks each takes.
enum class CheckList { Flash, LowBattery, StartButton };
int CheckLimit(CheckList list);
// "Max 12 in low battery list!" and the like.
QString CheckLimitText(CheckList list);

// The 60 entries of the trigger source list from the store's names:
// "DISABLED", "+30", inputs 1..11, CAN rules 1..32, virtual inputs 1..15.
QStringList TriggerSourceNames(const ConfigStore& store);
// The 34 output names.
QStringList OutputNames(const ConfigStore& store);

// The 94 entries of the virtual input term boxes: "Not Used", "+30", inputs
// 1..11, CAN rules 1..32, outputs 1..34, virtual inputs 1..15.
QStringList VirtualSourceNames(const ConfigStore& store);
// The CAN export data boxes: "DISABLED", then outputs 1..count.
QStringList ExportChoiceNames(const ConfigStore& store, int count);

// CAN identifiers as typed after "0x": at most 3 hexadecimal digits, at most
// 0x7FF (11-bit identifiers). The empty text may stand while typing.
bool AcceptsCanId(QStringView text);
// CAN export refresh in ms: digits only, at most 65535 (sent in 16 bits).
bool AcceptsRefresh(QStringView text);
// The refresh text once editing ends: below 20 ms (empty included) is "20".
QString RefreshAfterEditing(const QString& text);
// Export 1 row count: digits only; 13 or more is "12".
bool AcceptsRowCount(QStringView text);
QString RowCountText(const QString& text);
// Rows 1..n of the export 1 counter boxes are in use.
int CounterRowsInUse(const QString& rowCountText);

// Plain unsigned digits, for the CAN rule byte number and byte value.
bool AcceptsDigits(QStringView text);
// "Byte number" 0..7: 8 or more gives "7".
QString RowByteText(const QString& text);
// "Byte value" 0..255: 256 or more gives "255".
QString RowValueText(const QString& text);
// CAN rule offset: a decimal value with optional sign, limited to -127..127,
// fraction dropped; nullopt for empty or no number.
std::optional<int> CanOffset(const QString& text);
// A CAN rule ON/OFF value as typed: what is stored and what the edit shows
// (above 65535 gives 65535; signed: above 32768 shows its 16-bit negative
// while the typed number is stored). nullopt for "", "-" or no number.
struct CanValueEdit {
    long long stored;
    QString shown;
};
std::optional<CanValueEdit> CanValue(const QString& text, bool isSigned);
// The value edits: an optional '-' and digits.
bool AcceptsSignedDigits(QStringView text);
// Multiplicator and offset: an optional sign, digits, one decimal mark.
bool AcceptsSignedDecimal(QStringView text);
// The offset text: beyond -127..127 it shows its limit, so what is seen is
// what is stored.
QString OffsetText(const QString& text);
// A click on data byte `cell` (0..7) of a byte picker holding the positions
// high and low (0 none, 1..8 data byte 0..7; above 8 counts as none). A
// second byte must sit beside the first; `refused` says it did not.
struct BytePick {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    bool refused = false;
};
BytePick PickByte(std::uint8_t high, std::uint8_t low, int cell);
inline const QString kSideBySideText = QStringLiteral("If more than one byte, they have to be side by side");
// How a stored value shows for the rule's data type.
QString CanValueText(long long stored, bool isSigned);

} // namespace rules
} // namespace vm
