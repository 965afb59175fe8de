#pragma once
// What every configuration store must satisfy, however it was filled, and a
// comparison of two stores' blocks. A broken promise aborts, so the fuzzer
// reports it as a crash with its input.
#include "config/block_accessors.h"
#include "config/block_layouts.h"
#include "config/code_page.h"
#include "config/config_store.h"
#include "config/encodings.h"
#include "config/records.h"
#include "protocol/message_catalogue.h"

#include <algorithm>
#include <cstdlib>

namespace fuzz {

inline unsigned sink = 0; // results go here so the optimiser keeps the work

using vm::ForEveryBlockWrite;

inline void Require(bool promise) {
    if (!promise) std::abort();
}

inline void CheckName(const QString& name, int maxChars) {
    Require(vm::CanHoldName(name, maxChars));
    sink += static_cast<unsigned>(name.size());
}

inline void CheckIndex(int index, int entries) {
    Require(index == vm::kNoSelection || (index >= 0 && index < entries));
    sink += static_cast<unsigned>(index);
}

inline void CheckList(const std::vector<vm::CheckListEntry>& list) {
    Require(list.size() == static_cast<std::size_t>(vm::kOutputCount));
    for (const auto& e : list)
        sink += e.checked;
}

// Names within their edits, indexes within their lists, every block packs.
inline void CheckStore(const vm::ConfigStore& s) {
    using namespace vm;
    for (int n = 1; n <= kInputCount; ++n) {
        CheckName(s.input(n).name, kNameChars);
        CheckIndex(s.input(n).mode, 2);
    }
    for (int ch = 1; ch <= kOutputCount; ++ch) {
        const OutputControls o = s.output(ch);
        CheckName(o.name, kNameChars);
        CheckIndex(o.trigger, kTriggerSourceCount);
        CheckIndex(o.level, 2);
    }
    CheckList(s.lowBattery().list);
    CheckList(s.startButton().list);
    CheckIndex(s.startButton().trigger, kTriggerSourceCount);
    CheckIndex(s.canSettings().inputIndex, kInputCount);
    for (int n = 1; n <= kCanRuleCount; ++n) {
        CheckName(s.canInputName(n), kNameChars);
        const CanInputRule rule = CanRuleRecord(s, n - 1);
        Require(rule.name == s.canInputName(n));
        CheckName(rule.dimension, kDimensionChars);
    }
    for (int n = 1; n <= kVirtualInputCount; ++n) {
        CheckName(s.virtualInputName(n), kNameChars);
        Require(VirtualInputRecord(s, n - 1).name == s.virtualInputName(n));
    }
    for (int n = 1; n <= kFlashCount; ++n)
        CheckName(FlashName(s, n), kFlashNameChars);
    for (int e = 1; e <= 4; ++e) {
        const CanExportControls c = s.canExport(e);
        Require(c.boxes.size() == static_cast<std::size_t>(e == 1 ? kExport1Boxes : kExportBitBoxes[e - 2]));
        for (int box : c.boxes)
            CheckIndex(box, e == 1 ? kHighPowerCount + 1 : kOutputCount + 1);
    }

    // A file may hold a 16-bit export identifier; the unit takes 11 bits, so
    // such a block is refused by name before anything is sent.
    ForEveryBlockWrite([&s](std::uint8_t code, int index) {
        const PackedBlock p = PackConfigBlock(s, code, index);
        if (!p.ok()) {
            const bool isExport = code == msg::CAN_EXPORT1_WRITE || code == msg::CAN_EXPORT_WRITE;
            Require(isExport && p.error.contains(QStringLiteral("identifier")));
            return;
        }
        Require(p.packet.size == ConfigWriteLength(code));
        sink += p.packet.checksum();
    });
}

// Every block but the unit name, which no file carries.
inline bool SameBlocks(const vm::ConfigStore& a, const vm::ConfigStore& b) {
    using namespace vm;
    for (int n = 1; n <= kInputCount; ++n)
        if (!(a.input(n) == b.input(n))) return false;
    for (int ch = 1; ch <= kOutputCount; ++ch)
        if (!(a.output(ch) == b.output(ch))) return false;
    for (int n = 1; n <= kCanRuleCount; ++n)
        if (a.canInputName(n) != b.canInputName(n)) return false;
    for (int n = 1; n <= kVirtualInputCount; ++n)
        if (a.virtualInputName(n) != b.virtualInputName(n)) return false;
    for (int e = 1; e <= 4; ++e)
        if (!(a.canExport(e) == b.canExport(e))) return false;
    return a.pwm() == b.pwm() && a.lowBattery() == b.lowBattery() && a.startButton() == b.startButton() &&
           a.canSettings() == b.canSettings() && std::ranges::equal(a.recordTables(), b.recordTables());
}

} // namespace fuzz
