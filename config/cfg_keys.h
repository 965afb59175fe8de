#pragma once
// Every key of the .cfg file, named once for reading and writing. A key is a
// stem in a section, mostly with a number appended ("MAX_CURRENT" 1..18 gives
// MAX_CURRENT1 to MAX_CURRENT18). Each key has a slot, so a read file is an
// array indexed by slot rather than a table searched by name.
#include <QString>
#include <QStringList>
#include <QStringView>
#include <utility>
#include <vector>

namespace vm::cfg {

// clang-format off: grouped by section, as the file has them
enum Stem : int {
    // INPUT
    kInputName,
    kInputMode,
    kInputPwmEnable,
    // OUTPUT
    kOutputName,
    kOutputTrigger,
    kOutputTrigLevel,
    kOutputDelay,
    kOutputMaxCurrent,
    kOutputPeakTime,
    kOutputLowCurrent,
    kOutputLowCurrentTime,
    kOutputOnTime,
    kOutputPwm1,
    kOutputPwm2,
    // LOW_BATTERY, START BUTTON
    kLowTrig,
    kUpperTrig,
    kLowListCount,
    kLowListSelected,
    kStartTriggerIndex,
    kStartListCount,
    kStartListSelected,
    // CAN_INPUT
    kRuleEnabled,
    kRuleIdOn,
    kRuleIdOff,
    kRuleOperatorOn,
    kRuleOperatorOff,
    kRuleValueOn,
    kRuleValueOff,
    kRuleHighOnPos,
    kRuleLowOnPos,
    kRuleHighOffPos,
    kRuleLowOffPos,
    kRuleName,
    kRuleRowEnabled,
    kRuleRowIndex,
    kRuleRowValue,
    kRuleDataType,
    kRuleDimension,
    kRuleMultiplicator,
    kRuleOffset,
    // CAN_INPUT_ENABLE
    kCanEnable,
    kCanInputPin,
    // VIRTUAL_INPUT: three delays, three terms, two operators
    kVirtualDelay1,
    kVirtualDelay2,
    kVirtualDelay3,
    kVirtualTerm1,
    kVirtualTerm2,
    kVirtualTerm3,
    kVirtualOperator1,
    kVirtualOperator2,
    kVirtualMask,
    kVirtualName,
    // FLASH: the channel slots of flash functions 1..5, numbered by slot
    kFlashEnabled,
    kFlashContinues,
    kFlashTrigger,
    kFlashSlots1,
    kFlashSlots2,
    kFlashSlots3,
    kFlashSlots4,
    kFlashSlots5,
    kFlashTime,
    kFlashDuration,
    kFlashName,
    // CAN_EXPORT_1
    kExport1Enabled,
    kExport1Id,
    kExport1RowCount,
    kExport1Refresh,
    kExport1Box,
    // CAN_EXPORT_2, _3, _4: four stems each, in this order
    kExport2Enabled,
    kExport2Id,
    kExport2Refresh,
    kExport2Box,
    kExport3Enabled,
    kExport3Id,
    kExport3Refresh,
    kExport3Box,
    kExport4Enabled,
    kExport4Id,
    kExport4Refresh,
    kExport4Box,
    kStemCount
};
// clang-format on

// The export stems of exports 2..4.
inline Stem ExportStem(int exportNo, Stem ofExport2) {
    return static_cast<Stem>(ofExport2 + (exportNo - 2) * (kExport3Enabled - kExport2Enabled));
}

// A key without a number takes n = 0; n must be within the stem's numbers.
int SlotCount();
int Slot(Stem stem, int n = 0);
// A section as a file spells it, or -1 for one this program does not know;
// then the slot of a key in it, or -1. The stem of the key before (*hint) is
// tried first: files mostly keep the order in which they were written.
int FindSection(QStringView section);
int FindSlot(int section, QStringView key, Stem* hint);

// The section of a stem, and the slots of a section: [first, end).
int SectionOf(Stem stem);
std::pair<int, int> SectionSlots(int section);

QString SectionName(Stem stem);
QString KeyName(Stem stem, int n = 0);
// Appends "KEY=" as the file has it.
void AppendKey(QString& out, Stem stem, int n = 0);

// The keys of the slots marked in `missing`, a run of numbers as one entry:
// "[OUTPUT] PEAK_TIME3", "[FLASH] FLASH_NAME1 to FLASH_NAME5".
QStringList DescribeSlots(const std::vector<bool>& missing);

} // namespace vm::cfg
