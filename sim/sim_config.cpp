#include "sim/sim_config.h"

#include "protocol/message_catalogue.h"
#include "sim/sim_config_layout.h"

#include <algorithm>
#include <string>

namespace vm::sim {

namespace {

using namespace msg;

constexpr ConfigBlockKind kKinds[] = {
    {"input", INPUT_CFG_WRITE, INPUT_CFG_WRITE_DONE, INPUT_CFG_READ, INPUT_CFG, 21, 11, 1, true},
    {"output", OUTPUT_CFG_WRITE, OUTPUT_CFG_WRITE_DONE, OUTPUT_CFG_READ, OUTPUT_CFG, 30, 34, 1, true},
    {"low battery", LOW_BATT_CFG_WRITE, LOW_BATT_CFG_WRITE_DONE, LOW_BATT_CFG_READ, LOW_BATT_CFG, 18, 1, 0,
     false},
    {"start button", START_BUTTON_CFG_WRITE, START_BUTTON_CFG_WRITE_DONE, START_BUTTON_CFG_READ,
     START_BUTTON_CFG, 21, 1, 0, false},
    {"CAN rule", CAN_RULE_WRITE, CAN_RULE_WRITE_DONE, CAN_RULE_READ, CAN_RULE, 49, 32, 0, true},
    {"CAN settings", CAN_SETTINGS_WRITE, CAN_SETTINGS_WRITE_DONE, CAN_SETTINGS_READ, CAN_SETTINGS, 20, 1, 0,
     false},
    {"box name", BOX_NAME_WRITE, BOX_NAME_WRITE_DONE, BOX_NAME_READ, BOX_NAME, 20, 1, 0, false},
    {"virtual input", VIRTUAL_INPUT_WRITE, VIRTUAL_INPUT_WRITE_DONE, VIRTUAL_INPUT_READ, VIRTUAL_INPUT, 31,
     15, 0, true},
    {"flash", FLASH_WRITE, FLASH_WRITE_DONE, FLASH_READ, FLASH, 29, 5, 0, true},
    {"PWM", PWM_CFG_WRITE, PWM_CFG_WRITE_DONE, PWM_CFG_READ, PWM_CFG, 12, 1, 0, false},
    {"CAN export 1", CAN_EXPORT1_WRITE, CAN_EXPORT1_WRITE_DONE, CAN_EXPORT1_READ, CAN_EXPORT1, 29, 1, 0,
     false},
    {"CAN export", CAN_EXPORT_WRITE, CAN_EXPORT_WRITE_DONE, CAN_EXPORT_READ, CAN_EXPORT, 74, 3, 0, true},
};

std::size_t KindSlot(const ConfigBlockKind* kind) { return static_cast<std::size_t>(kind - kKinds); }

std::string Numbered(const char* stem, int n) { return stem + std::to_string(n); }

// The unit as it leaves the factory: nothing switches, names say what is what.
void FactoryBlock(const ConfigBlockKind& kind, int index, ConfigBytes& bytes) {
    using namespace cfgpos;
    BlockWriter w{bytes};
    std::fill(bytes.begin(), bytes.end(), 0);
    if (kind.indexed) w.put(4, static_cast<std::uint8_t>(index));
    switch (kind.write) {
    case INPUT_CFG_WRITE:
        w.text(input::kName, kNameWidth, Numbered("CH ", index));
        break;
    case OUTPUT_CFG_WRITE:
        if (index <= 18) {
            w.be16(output::kMaxCurrent, 100); // 10.0 A
            w.put(output::kPeak, 5);          // 0.5 s
        } else {
            w.be16(output::kMaxCurrent, 0xFFFF); // low-power channels have no current fields
        }
        w.put(output::kTrigger, cfgcode::kTriggerDisabled);
        w.put(output::kLevel, cfgcode::kLevelDefault);
        w.text(output::kName, kNameWidth, Numbered("Output ", index));
        break;
    case LOW_BATT_CFG_WRITE:
        w.put(lowbatt::kLow, 120);  // 12.0 V
        w.put(lowbatt::kHigh, 123); // 12.3 V
        w.fill(lowbatt::kSlots, lowbatt::kSlotCount, cfgcode::kNoChannel);
        break;
    case START_BUTTON_CFG_WRITE:
        w.put(start::kTrigger, cfgcode::kTriggerDisabled);
        w.fill(start::kSlots, start::kSlotCount, cfgcode::kNoChannel);
        break;
    case CAN_RULE_WRITE:
        w.text(canrule::kName, kNameWidth, Numbered("CAN ", index + 1));
        w.f32(canrule::kMultiplicator, 1.0f);
        break;
    case CAN_SETTINGS_WRITE:
        w.put(cansettings::kInputPin, cfgcode::kInputTrigger[0]);
        break;
    case BOX_NAME_WRITE:
        w.text(boxname::kName, boxname::kWidth, "VOLTMAST SIM");
        break;
    case VIRTUAL_INPUT_WRITE:
        w.text(virt::kName, kNameWidth, Numbered("Virtual ", index + 1));
        break;
    case FLASH_WRITE:
        w.fill(flash::kChannels, flash::kChannelCount, cfgcode::kNoChannel);
        break;
    case CAN_EXPORT1_WRITE:
        w.le16(export1::kRefresh, 100);
        w.le16(export1::kId, 0x100);
        w.put(export1::kRowCount, 12);
        break;
    case CAN_EXPORT_WRITE:
        w.le16(exportn::kRefresh, 100);
        w.le16(exportn::kId, static_cast<unsigned>(0x101 + index));
        break;
    default:
        break;
    }
}

} // namespace

std::span<const ConfigBlockKind> ConfigBlockKinds() { return kKinds; }

const ConfigBlockKind* FindKindByWrite(std::uint8_t writeCommand) {
    for (const ConfigBlockKind& k : kKinds)
        if (k.write == writeCommand) return &k;
    return nullptr;
}

const ConfigBlockKind* FindKindByRead(std::uint8_t readCommand) {
    for (const ConfigBlockKind& k : kKinds)
        if (k.read == readCommand) return &k;
    return nullptr;
}

std::uint8_t TriggerCodeOfIndex(int index) {
    if (index == 0) return cfgcode::kTriggerDisabled;
    if (index >= 2 && index <= 12) return cfgcode::kInputTrigger[index - 2];
    // CAN rules 1..32 are 0x01..0x20, virtual inputs 1..15 follow as 0x21..0x2F.
    if (index >= 13 && index <= 59) return static_cast<std::uint8_t>(index - 12);
    return cfgcode::kTriggerPlus30;
}

bool IsTriggerCode(std::uint8_t code) {
    for (int i = 0; i < 60; ++i)
        if (TriggerCodeOfIndex(i) == code) return true;
    return false;
}

SimConfig::SimConfig() {
    for (const ConfigBlockKind& k : kKinds)
        blocks_.emplace_back(static_cast<std::size_t>(k.count),
                             ConfigBytes(static_cast<std::size_t>(k.payloadSize()), 0));
    resetToFactory();
}

void SimConfig::resetToFactory() {
    for (const ConfigBlockKind& k : kKinds)
        for (int i = 0; i < k.count; ++i)
            FactoryBlock(k, k.indexed ? k.firstIndex + i : 0,
                         blocks_[KindSlot(&k)][static_cast<std::size_t>(i)]);
}

ConfigBytes* SimConfig::find(std::uint8_t writeCommand, int index) {
    const ConfigBlockKind* k = FindKindByWrite(writeCommand);
    if (!k || !k->validIndex(index)) return nullptr;
    const int slot = k->indexed ? index - k->firstIndex : 0;
    return &blocks_[KindSlot(k)][static_cast<std::size_t>(slot)];
}

const ConfigBytes* SimConfig::find(std::uint8_t writeCommand, int index) const {
    return const_cast<SimConfig*>(this)->find(writeCommand, index);
}

ConfigBytes SimConfig::block(std::uint8_t writeCommand, int index) const {
    const ConfigBytes* b = find(writeCommand, index);
    return b ? *b : ConfigBytes{};
}

bool SimConfig::setBlock(std::uint8_t writeCommand, int index, std::span<const std::uint8_t> payload) {
    ConfigBytes* b = find(writeCommand, index);
    if (!b) return false;
    std::fill(b->begin(), b->end(), 0);
    std::copy_n(payload.begin(), std::min(payload.size(), b->size()), b->begin());
    // The stored block always answers for the index it is kept under.
    if (FindKindByWrite(writeCommand)->indexed) (*b)[0] = static_cast<std::uint8_t>(index);
    return true;
}

} // namespace vm::sim
