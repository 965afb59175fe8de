// The page rules without widgets: what number edits accept and how they
// clamp, what a trigger choice shows, the check list limits, the trigger
// source names, the edit tracker and the title mark.
#include "config/block_accessors.h"
#include "config/config_store.h"
#include "config/encodings.h"
#include "session/edit_tracker.h"
#include "session/page_rules.h"
#include "session/window_title.h"

#include <QSignalSpy>
#include <climits>
#include <gtest/gtest.h>

using namespace vm;
using namespace vm::rules;

namespace {

struct ClampCase {
    NumberEdit edit;
    const char* typed;
    const char* shown; // the text the edit keeps
    int tenths;        // what that text stores
};

TEST(PageRules, NumberEditsClampAsTabled) {
    const ClampCase cases[] = {
        {NumberEdit::MaxCurrent, "75", "60.0", 600},
        {NumberEdit::MaxCurrent, "60.9", "60.9", 609},
        {NumberEdit::MaxCurrent, "61", "60.0", 600},
        {NumberEdit::LowCurrent, "99.9", "60.0", 600},
        {NumberEdit::Delay, "10", "10.0", 100},
        {NumberEdit::Delay, "9.9", "9.9", 99},
        {NumberEdit::PeakTime, "12,5", "10.0", 100},
        {NumberEdit::PeakTime, "10.1", "10.0", 100},
        {NumberEdit::PeakTime, "10.0", "10.0", 100},
        {NumberEdit::OnTime, "26", "25.0", 250},
        {NumberEdit::OnTime, "25.7", "25.5", 255},
        {NumberEdit::OnTime, "25.5", "25.5", 255},
        {NumberEdit::OnTime, "CONT.", "CONT.", 0},
        {NumberEdit::LowCurrentTime, "25.9", "25.5", 255},
        {NumberEdit::LowVoltage, "17", "12.0", 120},
        {NumberEdit::LowVoltage, "16.9", "16.9", 169},
        {NumberEdit::HighVoltage, "17", "12.3", 123},
        {NumberEdit::FlashTime, "30000", "25000", 250000},
    };
    for (const ClampCase& c : cases) {
        const QString typed = QString::fromLatin1(c.typed);
        ASSERT_TRUE(AcceptsText(c.edit, typed)) << c.typed;
        const QString shown = ApplyRule(c.edit, PointForComma(typed));
        EXPECT_EQ(shown, QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(TextToTenths(shown), c.tenths) << c.typed;
        // The replaced text passes its own rule.
        EXPECT_EQ(ApplyRule(c.edit, shown), shown) << c.typed;
    }
}

TEST(PageRules, EditsTakeDigitsWithOneMark) {
    struct Case {
        NumberEdit edit;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {NumberEdit::MaxCurrent, "", true},       {NumberEdit::MaxCurrent, "12.5", true},
        {NumberEdit::MaxCurrent, "12,5", true},   {NumberEdit::MaxCurrent, ".5", true},
        {NumberEdit::MaxCurrent, "-5", false},    {NumberEdit::MaxCurrent, "9e9", false},
        {NumberEdit::MaxCurrent, "1.2.3", false}, {NumberEdit::MaxCurrent, "1,2.", false},
        {NumberEdit::MaxCurrent, "CONT.", false}, {NumberEdit::Delay, "+1", false},
        {NumberEdit::OnTime, "CONT.", true},      {NumberEdit::OnTime, "CON", true},
        {NumberEdit::OnTime, "CONTX", false},     {NumberEdit::OnTime, "-5", false},
        {NumberEdit::FlashTime, "150", true},     {NumberEdit::FlashTime, "1e3", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AcceptsText(c.edit, QString::fromLatin1(c.text)), c.accepted) << c.text;
}

TEST(PageRules, WholePartAndFlashUnits) {
    EXPECT_EQ(WholePart(u"25.9"), 25);
    EXPECT_EQ(WholePart(u"-7x"), 7);
    EXPECT_EQ(WholePart(u"CONT."), 0);
    EXPECT_EQ(WholePart(u"99999999999999999999999"), LLONG_MAX);
    EXPECT_EQ(FlashTimeUnits(u"25000"), 250);
    EXPECT_EQ(FlashTimeUnits(u"150"), 1);
    EXPECT_EQ(FlashTimeText(1), QStringLiteral("100"));
}

TEST(PageRules, TriggerChoiceSetsPinLabelAndLevelBox) {
    struct Case {
        int index;
        const char* pin;
        QStringList items; // empty: the level box is left as it is
        bool enabled;
        int levelFromOpen; // level kept after the change when "OPEN" (1) was selected
    };
    const QStringList gndOpen = {"GND", "OPEN"};
    const Case cases[] = {
        {-1, "", {}, false, 1},
        {0, "", {}, false, 1},
        {1, "", {"+30"}, false, 0},
        {2, "( Con. 4, Red ring, Pin 19 )", {"+12v"}, false, 0},
        {3, "( Con. 4, Red ring, Pin 20 )", gndOpen, true, 1},
        {12, "( Con. 4, Red ring, Pin 29 )", gndOpen, true, 1},
        {13, "( CAN input 1 )", {"-"}, false, 0},
        {44, "( CAN input 32 )", {"-"}, false, 0},
        {45, "( Virtual input 1 )", {"-"}, false, 0},
        {59, "( Virtual input 15 )", {"-"}, false, 0},
        {60, "", {}, false, 1},
    };
    for (const Case& c : cases) {
        const TriggerView view = ViewForTrigger(c.index);
        EXPECT_EQ(view.pinLabel, QString::fromLatin1(c.pin)) << c.index;
        EXPECT_EQ(view.levelKept, c.items.isEmpty()) << c.index;
        EXPECT_EQ(view.levelItems, c.items) << c.index;
        EXPECT_EQ(view.levelEnabled, c.enabled) << c.index;
        EXPECT_EQ(LevelAfterTriggerChange(c.index, 1), c.levelFromOpen) << c.index;
    }
    // A wired input with no level chosen yet starts at "GND".
    EXPECT_EQ(LevelAfterTriggerChange(5, -1), 0);
}

TEST(PageRules, CheckListLimitsAndTexts) {
    EXPECT_EQ(CheckLimit(CheckList::Flash), 4);
    EXPECT_EQ(CheckLimit(CheckList::LowBattery), 12);
    EXPECT_EQ(CheckLimit(CheckList::StartButton), 16);
    EXPECT_EQ(CheckLimitText(CheckList::Flash), QStringLiteral("Max 4 in output list!"));
    EXPECT_EQ(CheckLimitText(CheckList::LowBattery), QStringLiteral("Max 12 in low battery list!"));
    EXPECT_EQ(CheckLimitText(CheckList::StartButton), QStringLiteral("Max 16 Start Button list!"));
}

TEST(PageRules, TriggerSourcesFollowTheStoredNames) {
    ConfigStore store;
    SetInputName(store, 3, QStringLiteral("Horn"));
    SetCanInputName(store, 32, QStringLiteral("Last rule"));
    SetVirtualInputName(store, 1, QStringLiteral("Both"));
    const QStringList names = TriggerSourceNames(store);
    ASSERT_EQ(names.size(), 60);
    EXPECT_EQ(names[0], QStringLiteral("DISABLED"));
    EXPECT_EQ(names[1], QStringLiteral("+30"));
    EXPECT_EQ(names[2], QStringLiteral("CH 1"));
    EXPECT_EQ(names[4], QStringLiteral("Horn"));
    EXPECT_EQ(names[13], QStringLiteral("CAN 1"));
    EXPECT_EQ(names[44], QStringLiteral("Last rule"));
    EXPECT_EQ(names[45], QStringLiteral("Both"));
    EXPECT_EQ(names[59], QStringLiteral("Virtual 15"));
}

TEST(EditTracker, EditsAfterACleanPointMarkTheTitle) {
    EditTracker edits;
    QSignalSpy changes(&edits, &EditTracker::modifiedChanged);
    EXPECT_FALSE(edits.modified());
    edits.MarkModified();
    edits.MarkModified();
    EXPECT_TRUE(edits.modified());
    edits.MarkClean();
    EXPECT_FALSE(edits.modified());
    EXPECT_EQ(changes.size(), 2); // once each way

    WindowTitleInputs in;
    in.configFromUnit = true;
    in.unitName = QStringLiteral("Truck");
    in.modified = true;
    EXPECT_EQ(BuildWindowTitle(in), QStringLiteral("Voltmast Tool - [ Truck ]*"));
    in.modified = false;
    EXPECT_EQ(BuildWindowTitle(in), QStringLiteral("Voltmast Tool - [ Truck ]"));
    // Before any read or file the caption keeps, and the mark comes and goes.
    WindowTitleInputs start;
    start.currentCaption = QStringLiteral("Voltmast Tool*");
    EXPECT_EQ(BuildWindowTitle(start), QStringLiteral("Voltmast Tool"));
    start.modified = true;
    EXPECT_EQ(BuildWindowTitle(start), QStringLiteral("Voltmast Tool*"));
}

TEST(PageRules, VirtualDelayLetsTenPointNinePass) {
    const ClampCase cases[] = {
        {NumberEdit::VirtualDelay, "15", "10.0", 100},
        {NumberEdit::VirtualDelay, "10.5", "10.5", 105},
        {NumberEdit::VirtualDelay, "10.9", "10.9", 109},
        {NumberEdit::VirtualDelay, "11", "10.0", 100},
        {NumberEdit::VirtualDelay, "2.5", "2.5", 25},
    };
    for (const ClampCase& c : cases) {
        const QString shown = ApplyRule(c.edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(shown, QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(TextToTenths(shown), c.tenths) << c.typed;
    }
}

TEST(PageRules, VirtualSourcesAndExportChoicesFollowTheNames) {
    ConfigStore store;
    SetInputName(store, 11, QStringLiteral("Ignition"));
    SetCanInputName(store, 32, QStringLiteral("Last rule"));
    SetOutputName(store, 1, QStringLiteral("Beacon"));
    SetOutputName(store, 34, QStringLiteral("Horn"));
    SetVirtualInputName(store, 15, QStringLiteral("Combo"));
    const QStringList sources = VirtualSourceNames(store);
    ASSERT_EQ(sources.size(), 94);
    EXPECT_EQ(sources[0], QStringLiteral("Not Used"));
    EXPECT_EQ(sources[1], QStringLiteral("+30"));
    EXPECT_EQ(sources[12], QStringLiteral("Ignition"));
    EXPECT_EQ(sources[44], QStringLiteral("Last rule"));
    EXPECT_EQ(sources[45], QStringLiteral("Beacon"));
    EXPECT_EQ(sources[78], QStringLiteral("Horn"));
    EXPECT_EQ(sources[93], QStringLiteral("Combo"));
    const QStringList export1 = ExportChoiceNames(store, kHighPowerCount);
    ASSERT_EQ(export1.size(), 19);
    EXPECT_EQ(export1[0], QStringLiteral("DISABLED"));
    EXPECT_EQ(export1[1], QStringLiteral("Beacon"));
    EXPECT_EQ(ExportChoiceNames(store, kOutputCount).value(34), QStringLiteral("Horn"));
}

TEST(PageRules, CanExportEditsRefuseWhatSixteenBitsAndElevenBitIdsCannotHold) {
    struct Case {
        bool (*accepts)(QStringView);
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {&AcceptsCanId, "", true},       {&AcceptsCanId, "7FF", true},    {&AcceptsCanId, "7ff", true},
        {&AcceptsCanId, "800", false},   {&AcceptsCanId, "0123", false},  {&AcceptsCanId, "G", false},
        {&AcceptsCanId, "-1", false},    {&AcceptsRefresh, "65535", true}, {&AcceptsRefresh, "65536", false},
        {&AcceptsRefresh, "1.5", false}, {&AcceptsRefresh, "", true},      {&AcceptsRowCount, "12", true},
        {&AcceptsRowCount, "123", false}, {&AcceptsRowCount, "-1", false}, {&AcceptsDigits, "255", true},
        {&AcceptsDigits, "2.5", false},  {&AcceptsDigits, "+3", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.accepts(QString::fromLatin1(c.text)), c.accepted) << c.text;
    EXPECT_EQ(RefreshAfterEditing(QStringLiteral("19")), QStringLiteral("20"));
    EXPECT_EQ(RefreshAfterEditing(QString()), QStringLiteral("20"));
    EXPECT_EQ(RefreshAfterEditing(QStringLiteral("020")), QStringLiteral("020"));
    EXPECT_EQ(RowCountText(QStringLiteral("13")), QStringLiteral("12"));
    EXPECT_EQ(RowCountText(QStringLiteral("12")), QStringLiteral("12"));
    EXPECT_EQ(CounterRowsInUse(QStringLiteral("0")), 0);
    EXPECT_EQ(CounterRowsInUse(QStringLiteral("99")), 12);
}

TEST(PageRules, CanRuleFieldsClampToWhatTheirBytesHold) {
    struct ValueCase {
        const char* typed;
        bool isSigned;
        long long stored;
        const char* shown;
    };
    const ValueCase values[] = {
        {"70000", false, 65535, "65535"}, {"65535", false, 65535, "65535"}, {"-12", false, -12, "-12"},
        {"40000", true, 40000, "-25536"}, {"65535", true, 65535, "-1"},     {"32768", true, 32768, "32768"},
        {"70000", true, 65535, "-1"},     {"-5", true, -5, "-5"},
    };
    for (const ValueCase& c : values) {
        const auto edit = CanValue(QString::fromLatin1(c.typed), c.isSigned);
        ASSERT_TRUE(edit.has_value()) << c.typed;
        EXPECT_EQ(edit->stored, c.stored) << c.typed;
        EXPECT_EQ(edit->shown, QString::fromLatin1(c.shown)) << c.typed;
    }
    EXPECT_FALSE(CanValue(QStringLiteral("-"), false).has_value());
    EXPECT_FALSE(CanValue(QString(), true).has_value());

    struct OffsetCase {
        const char* typed;
        int stored;
        const char* shown;
    };
    const OffsetCase offsets[] = {
        {"200", 127, "127"}, {"-300", -127, "-127"}, {"-3.7", -3, "-3.7"}, {"127", 127, "127"},
        {"127.5", 127, "127"}, {"5,9", 5, "5,9"},
    };
    for (const OffsetCase& c : offsets) {
        EXPECT_EQ(CanOffset(QString::fromLatin1(c.typed)), c.stored) << c.typed;
        EXPECT_EQ(OffsetText(QString::fromLatin1(c.typed)), QString::fromLatin1(c.shown)) << c.typed;
    }
    EXPECT_FALSE(CanOffset(QStringLiteral("-")).has_value());
    EXPECT_EQ(RowByteText(QStringLiteral("9")), QStringLiteral("7"));
    EXPECT_EQ(RowByteText(QStringLiteral("7")), QStringLiteral("7"));
    EXPECT_EQ(RowValueText(QStringLiteral("256")), QStringLiteral("255"));
    EXPECT_EQ(RowValueText(QStringLiteral("255")), QStringLiteral("255"));
    EXPECT_TRUE(AcceptsSignedDigits(QStringLiteral("-12345")));
    EXPECT_FALSE(AcceptsSignedDigits(QStringLiteral("-123456")));
    EXPECT_FALSE(AcceptsSignedDigits(QStringLiteral("1-2")));
    EXPECT_TRUE(AcceptsSignedDecimal(QStringLiteral("-0.25")));
    EXPECT_FALSE(AcceptsSignedDecimal(QStringLiteral("1e3")));
}

TEST(PageRules, BytePickerTakesOneByteOrTwoSideBySide) {
    struct Step {
        int cell;
        int high, low;
        bool refused;
    };
    // One picker clicked in turn; each step starts where the last ended.
    const Step steps[] = {
        {3, 0, 4, false}, {5, 0, 4, true},  {2, 3, 4, false}, {6, 3, 4, false},
        {2, 0, 4, false}, {4, 5, 4, false}, {4, 0, 4, false}, {3, 0, 0, false},
    };
    std::uint8_t high = 0, low = 0;
    for (const Step& s : steps) {
        const BytePick pick = PickByte(high, low, s.cell);
        EXPECT_EQ(pick.high, s.high) << "cell " << s.cell;
        EXPECT_EQ(pick.low, s.low) << "cell " << s.cell;
        EXPECT_EQ(pick.refused, s.refused) << "cell " << s.cell;
        high = pick.high;
        low = pick.low;
    }
    // Stored positions past data byte 7 count as none.
    const BytePick fromUnit = PickByte(9, 12, 0);
    EXPECT_EQ(fromUnit.high, 0);
    EXPECT_EQ(fromUnit.low, 1);
}

} // namespace
