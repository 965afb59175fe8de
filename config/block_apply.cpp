// Storing the unit's configuration answers. Every position is read through
// LinkPacket::at(), so a short answer reads zeros and nothing past its data.
#include "config/block_accessors.h"
#include "config/block_layouts.h"
#include "config/encodings.h"
#include "config/records.h"
#include "protocol/message_catalogue.h"

#include <algorithm>
#include <array>

namespace vm {

namespace {

using Block = ConfigStore::Block;

std::uint16_t Le16(const LinkPacket& p, int pos) {
    return static_cast<std::uint16_t>(p.at(pos) | p.at(pos + 1) << 8);
}

QString NameAt(const LinkPacket& p, int pos, int width) {
    std::array<std::uint8_t, 16> field{};
    for (int i = 0; i < width && i < static_cast<int>(field.size()); ++i)
        field[i] = p.at(pos + i);
    return DecodeName(field.data(), width);
}

// A box takes an index only if its list has that entry; otherwise it shows
// no selection (which packs back as 0xFF).
int BoxIndex(std::uint8_t value, int entries) { return value < entries ? value : kNoSelection; }

// The 34 output names, checked where a slot names the channel.
std::vector<CheckListEntry> CheckedOutputs(const ConfigStore& s, const LinkPacket& p, int first,
                                           int slotCount) {
    std::vector<CheckListEntry> list;
    list.reserve(kOutputCount);
    for (int ch = 1; ch <= kOutputCount; ++ch)
        list.push_back({OutputName(s, ch), false});
    for (int i = 0; i < slotCount; ++i) {
        const int ch = p.at(first + i);
        if (ch >= 1 && ch <= kOutputCount) list[static_cast<std::size_t>(ch - 1)].checked = true;
    }
    return list;
}

bool ApplyInput(ConfigStore& s, const LinkPacket& p) {
    const int n = p.at(4);
    if (n < 1 || n > kInputCount) return false;
    SetInputName(s, n, NameAt(p, 5, kNameChars));
    SetInputMode(s, n, BoxIndex(p.at(20), 2));
    return true;
}

bool ApplyOutput(ConfigStore& s, const LinkPacket& p) {
    const int ch = p.at(4);
    if (ch < 1 || ch > kOutputCount) return false;
    if (ch <= kHighPowerCount) {
        SetOutputMaxCurrent(s, ch, p.at(5) * 256 + p.at(6));
        SetOutputPeakTime(s, ch, p.at(7));
        SetOutputLowCurrent(s, ch, Le16(p, 27));
        SetOutputLowCurrentTime(s, ch, p.at(29));
    }
    SetOutputName(s, ch, NameAt(p, 10, kNameChars));
    SetOutputTriggerLevel(s, ch, p.at(9));
    SetOutputTrigger(s, ch, p.at(8));
    SetOutputDelay(s, ch, p.at(25));
    SetOutputOnTime(s, ch, p.at(26));
    return true;
}

bool ApplyCanRule(ConfigStore& s, const LinkPacket& p) {
    const int k = p.at(4);
    if (k >= kCanRuleCount) return false;
    CanInputRule rule = CanRuleRecord(s, k);
    rule.enabled = p.at(5) != 0 ? 1 : 0;
    rule.onId = Le16(p, 6);
    rule.offId = Le16(p, 8);
    rule.onValue = Le16(p, 10);
    rule.offValue = Le16(p, 12);
    rule.onOperator = static_cast<std::int8_t>(p.at(14));
    rule.offOperator = static_cast<std::int8_t>(p.at(15));
    rule.onHighPos = p.at(16);
    rule.onLowPos = p.at(17);
    rule.offHighPos = p.at(18);
    rule.offLowPos = p.at(19);
    rule.rowEnable = p.at(35) != 0 ? 1 : 0;
    rule.rowByte = p.at(36);
    rule.rowValue = p.at(37);
    rule.dataType = p.at(38);
    rule.dimension = NameAt(p, 39, kDimensionChars);
    rule.offset = static_cast<std::int8_t>(p.at(48));
    SetCanRuleRecord(s, k, rule);
    // The float's bytes go in as they came, so no value is altered on the way.
    const auto record = s.canRule(k);
    bool floatChanged = false;
    for (int i = 0; i < 4; ++i) {
        floatChanged |= record[55 + i] != p.at(44 + i);
        record[55 + i] = p.at(44 + i);
    }
    if (floatChanged) s.recordChanged(Block::CanRule, k);
    SetCanInputName(s, k + 1, NameAt(p, 20, kNameChars));
    return true;
}

bool ApplyVirtualInput(ConfigStore& s, const LinkPacket& p) {
    const int k = p.at(4);
    if (k >= kVirtualInputCount) return false;
    VirtualInputDef def = VirtualInputRecord(s, k);
    for (int t = 0; t < 3; ++t) {
        def.delay[t] = p.at(26 + t);
        const std::uint8_t term = p.at(6 + t);
        def.term[t] = term == 0xFF ? 1 : term; // 0xFF is "+30", list index 1
    }
    def.op[0] = p.at(9);
    def.op[1] = p.at(10);
    def.invertMask = p.at(29);
    SetVirtualInputRecord(s, k, def);
    SetVirtualInputName(s, k + 1, NameAt(p, 11, kNameChars));
    return true;
}

bool ApplyFlash(ConfigStore& s, const LinkPacket& p) {
    const int k = p.at(4);
    if (k >= kFlashCount) return false;
    // The bytes go in as they came, but the name as the setter would put it
    // (at most 14 characters and the zero), so the file keeps it whole.
    std::array<std::uint8_t, kFlashBytes> bytes{};
    for (int i = 0; i < kFlashBytes; ++i)
        bytes[static_cast<std::size_t>(i)] = p.at(5 + i);
    const FlashDef def = DecodeFlash(bytes);
    EncodeFlash(def, bytes);
    const auto record = s.flash(k);
    if (std::ranges::equal(bytes, record)) return true;
    std::ranges::copy(bytes, record.begin());
    s.recordChanged(Block::Flash, k);
    return true;
}

void ApplyExportHead(CanExportControls& e, const LinkPacket& p) {
    e.enable = p.at(5) != 0;
    e.refresh = QString::number(Le16(p, 6));
    e.id = HexIdText(Le16(p, 8));
}

std::vector<int> Boxes(const LinkPacket& p, int first, int count, int entries) {
    std::vector<int> boxes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        boxes[static_cast<std::size_t>(i)] = BoxIndex(p.at(first + i), entries);
    return boxes;
}

bool ApplyExport1(ConfigStore& s, const LinkPacket& p) {
    CanExportControls e = s.canExport(1);
    ApplyExportHead(e, p);
    e.rowCount = QString::number(p.at(28));
    e.boxes = Boxes(p, 10, kExport1Boxes, kHighPowerCount + 1);
    s.setCanExport(1, e);
    return true;
}

bool ApplyExport(ConfigStore& s, const LinkPacket& p) {
    const int i = p.at(4);
    if (i > 2) return false;
    CanExportControls e = s.canExport(i + 2);
    ApplyExportHead(e, p);
    e.boxes = Boxes(p, 10, kExportBitBoxes[i], kOutputCount + 1);
    s.setCanExport(i + 2, e);
    return true;
}

} // namespace

bool ApplyConfigBlock(ConfigStore& s, const LinkPacket& p) {
    if (p.group() != kGroupApp) return false;
    switch (p.command()) {
    case msg::INPUT_CFG:
        return ApplyInput(s, p);
    case msg::OUTPUT_CFG:
        return ApplyOutput(s, p);
    case msg::PWM_CFG:
        s.setPwm({p.at(4) != 0, p.at(5) != 0, p.at(6) != 0});
        return true;
    case msg::LOW_BATT_CFG: {
        LowBatteryControls lb;
        lb.lowThreshold = TenthsText(p.at(4));
        lb.upperThreshold = TenthsText(p.at(5));
        lb.list = CheckedOutputs(s, p, 6, kLowBatterySlots);
        s.setLowBattery(lb);
        return true;
    }
    case msg::START_BUTTON_CFG:
        s.setStartButton({TriggerIndexFromCode(p.at(4)), CheckedOutputs(s, p, 5, kStartButtonSlots)});
        return true;
    case msg::CAN_RULE:
        return ApplyCanRule(s, p);
    case msg::CAN_SETTINGS:
        s.setCanSettings({p.at(4) != 0, InputIndexFromPinCode(p.at(5))});
        return true;
    case msg::BOX_NAME:
        s.setBoxName(NameAt(p, 4, kNameChars + 1));
        return true;
    case msg::VIRTUAL_INPUT:
        return ApplyVirtualInput(s, p);
    case msg::FLASH:
        return ApplyFlash(s, p);
    case msg::CAN_EXPORT1:
        return ApplyExport1(s, p);
    case msg::CAN_EXPORT:
        return ApplyExport(s, p);
    default:
        return false;
    }
}

} // namespace vm
