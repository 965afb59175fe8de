#pragma once
// The three record tables' records as fields. The store keeps the packed bytes
// (the unit's layout, little-endian); these structs read and write them so no
// caller has to know the offsets.
#include "config/config_store.h"

#include <QString>
#include <cstdint>
#include <span>

namespace vm {

struct CanInputRule {
    std::uint8_t enabled = 0;
    std::int32_t onId = 0;
    std::int32_t offId = 0;
    std::int32_t onOperator = 0; // 0 "=", 1 ">", 2 "<", 3 "&", 4 "!&", 5 "not"
    std::int32_t offOperator = 0;
    std::int32_t onValue = 0;
    std::int32_t offValue = 0;
    std::uint8_t onHighPos = 0;
    std::uint8_t onLowPos = 0;
    std::uint8_t offHighPos = 0;
    std::uint8_t offLowPos = 0;
    QString name; // 16-byte field, zero-terminated: at most 15 characters
    std::uint8_t rowEnable = 0;
    std::uint8_t rowByte = 0;
    std::uint8_t rowValue = 0;
    std::uint8_t dataType = 0; // 0 unsigned, 1 signed
    QString dimension;         // 6-byte field: at most 5 characters
    float multiplicator = 0.0f;
    std::int8_t offset = 0;
    bool operator==(const CanInputRule&) const = default;
};

struct VirtualInputDef {
    std::uint8_t delay[3] = {0, 0, 0}; // tenths of a second
    std::uint8_t term[3] = {0, 0, 0};  // term list index: 0 "Not Used", 1 "+30", ...
    std::uint8_t op[2] = {0, 0};       // 0 AND, 1 OR, 2 NOR
    std::uint8_t invertMask = 0;       // bit n inverts term n + 1
    QString name;                      // 16-byte field: at most 15 characters
    bool operator==(const VirtualInputDef&) const = default;
};

constexpr int kFlashOutputSlots = 4;
constexpr std::uint8_t kEmptySlot = 0xFF;

struct FlashDef {
    std::uint8_t enabled = 0;
    std::uint8_t continuous = 0;
    std::uint8_t trigger = 0;                               // TriggerCode
    std::uint8_t flashTime = 0;                             // units of 100 ms
    std::uint8_t duration = 0;                              // units of 100 ms
    std::uint8_t outputs[kFlashOutputSlots] = {0, 0, 0, 0}; // 0-based channel, 0xFF none
    QString name; // 15-byte field, zero-terminated: at most 14 characters
    bool operator==(const FlashDef&) const = default;
};

// Name fields within the records.
constexpr int kCanRuleNameOffset = 29;
constexpr int kCanRuleNameBytes = 16;
constexpr int kVirtualNameOffset = 9;
constexpr int kVirtualNameBytes = 16;
constexpr int kFlashNameOffset = 9;
constexpr int kFlashNameBytes = 15;
// The flash name field keeps its terminating zero on every path (setter,
// file, unit answer), so a name survives save and open unchanged.
constexpr int kFlashNameChars = kFlashNameBytes - 1;
constexpr int kDimensionChars = 5;

// Record bytes <-> fields. A span of the wrong size reads a zero record and
// writes nothing. Names longer than their field are cut so the terminating
// zero always fits.
CanInputRule DecodeCanRule(std::span<const std::uint8_t> record);
void EncodeCanRule(const CanInputRule& rule, std::span<std::uint8_t> record);
VirtualInputDef DecodeVirtualInput(std::span<const std::uint8_t> record);
void EncodeVirtualInput(const VirtualInputDef& def, std::span<std::uint8_t> record);
FlashDef DecodeFlash(std::span<const std::uint8_t> record);
void EncodeFlash(const FlashDef& def, std::span<std::uint8_t> record);

// Store convenience: read a record, or write one and signal the change
// (index 0-based; out of range reads a zero record and writes nothing).
CanInputRule CanRuleRecord(const ConfigStore& store, int index);
void SetCanRuleRecord(ConfigStore& store, int index, const CanInputRule& rule);
VirtualInputDef VirtualInputRecord(const ConfigStore& store, int index);
void SetVirtualInputRecord(ConfigStore& store, int index, const VirtualInputDef& def);
FlashDef FlashRecord(const ConfigStore& store, int index);
void SetFlashRecord(ConfigStore& store, int index, const FlashDef& def);

} // namespace vm
