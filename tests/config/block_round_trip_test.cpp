// Pack every block of a randomised store, apply it as the unit's answer to an
// empty store, pack again: the unit must see the very same device values.
#include "config/block_accessors.h"
#include "config/block_layouts.h"
#include "config/encodings.h"
#include "config/records.h"
#include "protocol/message_catalogue.h"

#include <gtest/gtest.h>

#include <random>

namespace vm {
namespace {

struct Rng {
    std::mt19937 gen;
    int operator()(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); }
    QString name(int maxChars) {
        QString s;
        for (int i = (*this)(0, maxChars); i > 0; --i)
            s += QChar((*this)(0x20, 0x7E));
        return s;
    }
};

void Randomise(ConfigStore& s, Rng& r) {
    for (int n = 1; n <= kInputCount; ++n)
        s.setInput(n, {r.name(15), r(-1, 1)});
    for (int ch = 1; ch <= kOutputCount; ++ch) {
        SetOutputName(s, ch, r.name(15));
        SetOutputTrigger(s, ch, TriggerCodeFromIndex(r(-1, 59)));
        SetOutputTriggerLevel(s, ch, r(0, 1) ? 16 : 1);
        SetOutputDelay(s, ch, r(0, 255));
        SetOutputOnTime(s, ch, r(0, 255));
        SetOutputMaxCurrent(s, ch, r(0, 65535));
        SetOutputPeakTime(s, ch, r(0, 255));
        SetOutputLowCurrent(s, ch, r(0, 65535));
        SetOutputLowCurrentTime(s, ch, r(0, 255));
    }
    s.setPwm({r(0, 1) == 1, r(0, 1) == 1, r(0, 1) == 1});
    LowBatteryControls lb = s.lowBattery();
    lb.lowThreshold = TenthsText(r(0, 255));
    lb.upperThreshold = TenthsText(r(0, 255));
    for (auto& e : lb.list)
        e.checked = r(0, 2) == 0;
    s.setLowBattery(lb);
    StartButtonControls sb = s.startButton();
    sb.trigger = r(0, 59);
    for (auto& e : sb.list)
        e.checked = r(0, 1) == 0;
    s.setStartButton(sb);
    s.setCanSettings({r(0, 1) == 1, r(0, 10)});
    s.setBoxName(r.name(15));
    // Raw record bytes: whatever the unit may hold must travel unchanged.
    for (int k = 0; k < kCanRuleCount; ++k) {
        for (auto& b : s.canRule(k))
            b = static_cast<std::uint8_t>(r(0, 255));
        CanInputRule rule = CanRuleRecord(s, k);
        rule.dimension = r.name(5);
        rule.enabled =
            static_cast<std::uint8_t>(r(0, 1)); // flags are 0 or 1 (the unit's non-zero reads as 1)
        rule.rowEnable = static_cast<std::uint8_t>(r(0, 1));
        SetCanRuleRecord(s, k, rule);
        SetCanInputName(s, k + 1, r.name(15));
    }
    for (int k = 0; k < kVirtualInputCount; ++k) {
        for (auto& b : s.virtualInput(k))
            b = static_cast<std::uint8_t>(r(0, 255));
        SetVirtualInputName(s, k + 1, r.name(15));
    }
    // The flash name keeps its terminating zero on every path, so only the
    // name field is not raw.
    for (int k = 0; k < kFlashCount; ++k) {
        for (auto& b : s.flash(k))
            b = static_cast<std::uint8_t>(r(0, 255));
        SetFlashName(s, k + 1, r.name(kFlashNameChars));
    }
    for (int e = 1; e <= 4; ++e) {
        CanExportControls x = s.canExport(e);
        x.enable = r(0, 1) == 1;
        x.id = HexIdText(static_cast<unsigned>(r(0, 0x7FF))); // 11-bit identifiers only
        x.refresh = QString::number(r(0, 65535));
        if (e == 1) x.rowCount = QString::number(r(0, 255));
        for (int& b : x.boxes)
            b = r(-1, e == 1 ? 18 : 34);
        s.setCanExport(e, x);
    }
}

struct Message {
    std::uint8_t write;
    std::uint8_t answer;
    int firstIndex;
    int count;
};

constexpr Message kMessages[] = {
    {msg::INPUT_CFG_WRITE, msg::INPUT_CFG, 1, kInputCount},
    {msg::OUTPUT_CFG_WRITE, msg::OUTPUT_CFG, 1, kOutputCount},
    {msg::PWM_CFG_WRITE, msg::PWM_CFG, 0, 1},
    {msg::LOW_BATT_CFG_WRITE, msg::LOW_BATT_CFG, 0, 1},
    {msg::START_BUTTON_CFG_WRITE, msg::START_BUTTON_CFG, 0, 1},
    {msg::CAN_RULE_WRITE, msg::CAN_RULE, 0, kCanRuleCount},
    {msg::CAN_SETTINGS_WRITE, msg::CAN_SETTINGS, 0, 1},
    {msg::BOX_NAME_WRITE, msg::BOX_NAME, 0, 1},
    {msg::VIRTUAL_INPUT_WRITE, msg::VIRTUAL_INPUT, 0, kVirtualInputCount},
    {msg::FLASH_WRITE, msg::FLASH, 0, kFlashCount},
    {msg::CAN_EXPORT1_WRITE, msg::CAN_EXPORT1, 0, 1},
    {msg::CAN_EXPORT_WRITE, msg::CAN_EXPORT, 0, 3},
};

class RoundTrip : public ::testing::TestWithParam<Message> {};

TEST_P(RoundTrip, UnitSeesTheSameBytes) {
    const Message m = GetParam();
    for (unsigned seed = 1; seed <= 5; ++seed) {
        Rng rng{std::mt19937(seed * 7919 + m.write)};
        ConfigStore original;
        Randomise(original, rng);
        ConfigStore copy;
        for (int index = m.firstIndex; index < m.firstIndex + m.count; ++index) {
            const PackedBlock sent = PackConfigBlock(original, m.write, index);
            ASSERT_TRUE(sent.ok()) << sent.error.toStdString();
            ASSERT_EQ(sent.packet.size, ConfigWriteLength(m.write));
            LinkPacket answer = sent.packet;
            answer.bytes[3] = m.answer;
            answer.seal();
            ASSERT_TRUE(ApplyConfigBlock(copy, answer)) << "index " << index;
            const PackedBlock again = PackConfigBlock(copy, m.write, index);
            ASSERT_TRUE(again.ok());
            for (int pos = 4; pos < sent.packet.size; ++pos)
                ASSERT_EQ(again.packet.at(pos), sent.packet.at(pos))
                    << "message " << int(m.write) << " index " << index << " position " << pos;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllBlocks, RoundTrip, ::testing::ValuesIn(kMessages),
                         [](const auto& info) { return std::to_string(info.param.write); });

} // namespace
} // namespace vm
