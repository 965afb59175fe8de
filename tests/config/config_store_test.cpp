#include "config/block_accessors.h"
#include "config/config_store.h"
#include "config/records.h"

#include <gtest/gtest.h>

#include <vector>

namespace vm {
namespace {

using Block = ConfigStore::Block;

TEST(ConfigStore, StartValues) {
    ConfigStore s;
    EXPECT_EQ(InputName(s, 1), "CH 1");
    EXPECT_EQ(InputName(s, 11), "CH 11");
    // Every box starts at its first entry: nothing packs as "+30" unasked.
    EXPECT_EQ(s.input(3).mode, 0);
    EXPECT_EQ(OutputName(s, 34), "");
    EXPECT_EQ(s.output(5).trigger, 0);
    EXPECT_EQ(OutputTrigger(s, 5), 0);
    EXPECT_EQ(s.output(5).level, 0);
    for (int n = 1; n <= kCanRuleCount; ++n) {
        EXPECT_EQ(CanInputName(s, n), QStringLiteral("CAN %1").arg(n));
        EXPECT_EQ(CanRuleRecord(s, n - 1).name, QStringLiteral("CAN %1").arg(n));
    }
    EXPECT_EQ(VirtualInputRecord(s, 14).name, "Virtual 15");
    EXPECT_EQ(VirtualInputName(s, 15), "Virtual 15");
    EXPECT_EQ(FlashName(s, 1), "");
    EXPECT_EQ(CanRuleRecord(s, 0).onHighPos, 0);
    EXPECT_EQ(s.lowBattery().list.size(), 34u);
    EXPECT_EQ(s.startButton().list.size(), 34u);
    EXPECT_EQ(s.startButton().trigger, 0);
    EXPECT_EQ(s.canSettings().inputIndex, 0);
    for (int e = 1; e <= 4; ++e) {
        const CanExportControls x = s.canExport(e);
        EXPECT_EQ(x.id, "000");
        EXPECT_EQ(x.refresh, "000");
        EXPECT_EQ(x.boxes.size(), std::size_t(e == 1 ? 18 : kExportBitBoxes[e - 2]));
        for (int b : x.boxes)
            EXPECT_EQ(b, 0);
    }
    EXPECT_EQ(s.canExport(1).rowCount, "12");
}

TEST(ConfigStore, SignalsFollowRealChangesAndNames) {
    ConfigStore s;
    std::vector<std::pair<Block, int>> changes;
    std::vector<std::pair<int, QString>> names;
    QObject::connect(&s, &ConfigStore::changed, [&](Block b, int i) { changes.push_back({b, i}); });
    QObject::connect(&s, &ConfigStore::nameChanged, [&](Block b, int n, const QString& name) {
        if (b == Block::Output) names.push_back({n, name});
    });

    SetOutputDelay(s, 7, 25);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::make_pair(Block::Output, 7));
    SetOutputDelay(s, 7, 25); // the same value: nothing to tell
    EXPECT_EQ(changes.size(), 1u);

    SetOutputName(s, 12, QStringLiteral("Wiper"));
    SetOutputName(s, 12, QStringLiteral("Wiper")); // the same name: nothing to tell
    OutputControls direct = s.output(3);
    direct.name = QStringLiteral("Horn"); // written past the accessors, as a page does
    s.setOutput(3, direct);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], std::make_pair(12, QStringLiteral("Wiper")));
    EXPECT_EQ(names[1], std::make_pair(3, QStringLiteral("Horn")));

    changes.clear();
    SetCanInputName(s, 32, QStringLiteral("Door"));
    EXPECT_EQ(CanRuleRecord(s, 31).name, "Door");
    EXPECT_EQ(CanInputName(s, 32), "Door");
    EXPECT_FALSE(changes.empty());
    for (const auto& c : changes)
        EXPECT_EQ(c, std::make_pair(Block::CanRule, 31));
}

TEST(Accessors, RangesAndHighPowerOnlyFields) {
    ConfigStore s;
    OutputControls low = s.output(20);
    low.maxCurrent = QStringLiteral("12.5");
    low.lowCurrentTime = QStringLiteral("3.0");
    s.setOutput(20, low);
    EXPECT_EQ(OutputMaxCurrent(s, 20), 0);
    EXPECT_EQ(OutputLowCurrentTime(s, 20), 0);
    SetOutputPeakTime(s, 20, 50);
    EXPECT_EQ(s.output(20).peakTime, "");

    int changes = 0;
    QObject::connect(&s, &ConfigStore::changed, [&] { ++changes; });
    SetOutputDelay(s, 35, 10);
    SetOutputName(s, 0, QStringLiteral("x"));
    SetInputName(s, 12, QStringLiteral("x"));
    SetCanInputName(s, 33, QStringLiteral("x"));
    SetVirtualInputName(s, 0, QStringLiteral("x"));
    SetFlashName(s, 6, QStringLiteral("x"));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(OutputName(s, 35), "");
    EXPECT_EQ(OutputTrigger(s, 35), 0);
    EXPECT_EQ(InputMode(s, 12), 0);
    EXPECT_TRUE(s.canRule(32).empty());
}

TEST(Accessors, DeviceUnitsThroughTheControls) {
    ConfigStore s;
    SetOutputOnTime(s, 3, 0);
    EXPECT_EQ(s.output(3).onTime, "CONT.");
    EXPECT_EQ(OutputOnTime(s, 3), 0);
    SetOutputMaxCurrent(s, 1, 609);
    EXPECT_EQ(s.output(1).maxCurrent, "60.9");
    SetOutputLowCurrentTime(s, 2, 259); // taken as one byte: capped, not wrapped
    EXPECT_EQ(s.output(2).lowCurrentTime, "25.5");
    SetOutputTrigger(s, 4, 0xD1);
    EXPECT_EQ(s.output(4).trigger, 5);
    EXPECT_EQ(OutputTrigger(s, 4), 0xD1);
    SetOutputTriggerLevel(s, 4, 16);
    EXPECT_EQ(s.output(4).level, 1);
    EXPECT_EQ(OutputTriggerLevel(s, 4), 16);
    EXPECT_EQ(OutputTrigger(s, 5), 0); // untouched: "DISABLED"
    SetFlashName(s, 1, QStringLiteral("ABCDEFGHIJKLMNO"));
    EXPECT_EQ(FlashName(s, 1), "ABCDEFGHIJKLMN"); // the record keeps its zero
}

} // namespace
} // namespace vm
