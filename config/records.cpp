#include "config/records.h"

#include "config/encodings.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

namespace vm {

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::int32_t LeInt(const std::uint8_t* p) { return static_cast<std::int32_t>(Le32(p)); }
void PutLeInt(std::uint8_t* p, std::int32_t v) { PutLe32(p, static_cast<std::uint32_t>(v)); }

// A name in a zero-terminated field: one byte always stays for the zero.
void PutTerminatedName(std::uint8_t* field, int bytes, const QString& name) {
    EncodeName(name.left(bytes - 1), field, bytes);
}

} // namespace

CanInputRule DecodeCanRule(std::span<const std::uint8_t> r) {
    CanInputRule rule;
    if (r.size() != static_cast<std::size_t>(kCanRuleBytes)) return rule;
    rule.enabled = r[0];
    rule.onId = LeInt(&r[1]);
    rule.offId = LeInt(&r[5]);
    rule.onOperator = LeInt(&r[9]);
    rule.offOperator = LeInt(&r[13]);
    rule.onValue = LeInt(&r[17]);
    rule.offValue = LeInt(&r[21]);
    rule.onHighPos = r[25];
    rule.onLowPos = r[26];
    rule.offHighPos = r[27];
    rule.offLowPos = r[28];
    rule.name = DecodeName(&r[kCanRuleNameOffset], kCanRuleNameBytes);
    rule.rowEnable = r[45];
    rule.rowByte = r[46];
    rule.rowValue = r[47];
    rule.dataType = r[48];
    rule.dimension = DecodeName(&r[49], kDimensionChars + 1);
    rule.multiplicator = std::bit_cast<float>(Le32(&r[55]));
    rule.offset = static_cast<std::int8_t>(r[59]);
    return rule;
}

void EncodeCanRule(const CanInputRule& rule, std::span<std::uint8_t> r) {
    if (r.size() != static_cast<std::size_t>(kCanRuleBytes)) return;
    r[0] = rule.enabled;
    PutLeInt(&r[1], rule.onId);
    PutLeInt(&r[5], rule.offId);
    PutLeInt(&r[9], rule.onOperator);
    PutLeInt(&r[13], rule.offOperator);
    PutLeInt(&r[17], rule.onValue);
    PutLeInt(&r[21], rule.offValue);
    r[25] = rule.onHighPos;
    r[26] = rule.onLowPos;
    r[27] = rule.offHighPos;
    r[28] = rule.offLowPos;
    PutTerminatedName(&r[kCanRuleNameOffset], kCanRuleNameBytes, rule.name);
    r[45] = rule.rowEnable;
    r[46] = rule.rowByte;
    r[47] = rule.rowValue;
    r[48] = rule.dataType;
    PutTerminatedName(&r[49], kDimensionChars + 1, rule.dimension);
    PutLe32(&r[55], std::bit_cast<std::uint32_t>(rule.multiplicator));
    r[59] = static_cast<std::uint8_t>(rule.offset);
}

VirtualInputDef DecodeVirtualInput(std::span<const std::uint8_t> r) {
    VirtualInputDef def;
    if (r.size() != static_cast<std::size_t>(kVirtualInputBytes)) return def;
    for (int i = 0; i < 3; ++i) {
        def.delay[i] = r[i];
        def.term[i] = r[3 + i];
    }
    def.op[0] = r[6];
    def.op[1] = r[7];
    def.invertMask = r[8];
    def.name = DecodeName(&r[kVirtualNameOffset], kVirtualNameBytes);
    return def;
}

void EncodeVirtualInput(const VirtualInputDef& def, std::span<std::uint8_t> r) {
    if (r.size() != static_cast<std::size_t>(kVirtualInputBytes)) return;
    for (int i = 0; i < 3; ++i) {
        r[i] = def.delay[i];
        r[3 + i] = def.term[i];
    }
    r[6] = def.op[0];
    r[7] = def.op[1];
    r[8] = def.invertMask;
    PutTerminatedName(&r[kVirtualNameOffset], kVirtualNameBytes, def.name);
}

FlashDef DecodeFlash(std::span<const std::uint8_t> r) {
    FlashDef def;
    if (r.size() != static_cast<std::size_t>(kFlashBytes)) return def;
    def.enabled = r[0];
    def.continuous = r[1];
    def.trigger = r[2];
    def.flashTime = r[3];
    def.duration = r[4];
    for (int i = 0; i < kFlashOutputSlots; ++i)
        def.outputs[i] = r[5 + i];
    // A record from the unit may fill all 15 bytes: the last is the zero's.
    def.name = DecodeName(&r[kFlashNameOffset], kFlashNameChars);
    return def;
}

void EncodeFlash(const FlashDef& def, std::span<std::uint8_t> r) {
    if (r.size() != static_cast<std::size_t>(kFlashBytes)) return;
    r[0] = def.enabled;
    r[1] = def.continuous;
    r[2] = def.trigger;
    r[3] = def.flashTime;
    r[4] = def.duration;
    for (int i = 0; i < kFlashOutputSlots; ++i)
        r[5 + i] = def.outputs[i];
    PutTerminatedName(&r[kFlashNameOffset], kFlashNameBytes, def.name);
}

CanInputRule CanRuleRecord(const ConfigStore& store, int index) {
    return DecodeCanRule(store.canRule(index));
}

void SetCanRuleRecord(ConfigStore& store, int index, const CanInputRule& rule) {
    const auto record = store.canRule(index);
    if (record.empty()) return;
    std::array<std::uint8_t, kCanRuleBytes> bytes;
    std::copy(record.begin(), record.end(), bytes.begin());
    EncodeCanRule(rule, bytes);
    if (std::equal(bytes.begin(), bytes.end(), record.begin())) return;
    std::copy(bytes.begin(), bytes.end(), record.begin());
    store.recordChanged(ConfigStore::Block::CanRule, index);
}

VirtualInputDef VirtualInputRecord(const ConfigStore& store, int index) {
    return DecodeVirtualInput(store.virtualInput(index));
}

void SetVirtualInputRecord(ConfigStore& store, int index, const VirtualInputDef& def) {
    const auto record = store.virtualInput(index);
    if (record.empty()) return;
    std::array<std::uint8_t, kVirtualInputBytes> bytes;
    std::copy(record.begin(), record.end(), bytes.begin());
    EncodeVirtualInput(def, bytes);
    if (std::equal(bytes.begin(), bytes.end(), record.begin())) return;
    std::copy(bytes.begin(), bytes.end(), record.begin());
    store.recordChanged(ConfigStore::Block::VirtualInput, index);
}

FlashDef FlashRecord(const ConfigStore& store, int index) { return DecodeFlash(store.flash(index)); }

void SetFlashRecord(ConfigStore& store, int index, const FlashDef& def) {
    const auto record = store.flash(index);
    if (record.empty()) return;
    std::array<std::uint8_t, kFlashBytes> bytes;
    std::copy(record.begin(), record.end(), bytes.begin());
    EncodeFlash(def, bytes);
    if (std::equal(bytes.begin(), bytes.end(), record.begin())) return;
    std::copy(bytes.begin(), bytes.end(), record.begin());
    store.recordChanged(ConfigStore::Block::Flash, index);
}

} // namespace vm
