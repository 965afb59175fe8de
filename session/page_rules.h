#pragma once
// The editor pages' rules without their widgets: what a number edit accepts,
// how a value beyond its limit is replaced, what a trigger choice shows, how
// many outputs a check list takes, and the texts of the trigger source list.
#include <QString>
#include <QStringList>
#include <QStringView>
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

} // namespace rules
} // namespace vm
