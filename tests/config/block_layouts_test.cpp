#include "config/block_accessors.h"
#include "config/block_layouts.h"
#include "config/records.h"
#include "protocol/message_catalogue.h"

#include <gtest/gtest.h>

#include <vector>

namespace vm {
namespace {

// An answer from the unit: the given bytes from position 4 on.
LinkPacket Answer(std::uint8_t code, std::vector<std::uint8_t> payload, int length = 0) {
    if (length > 4) payload.resize(static_cast<std::size_t>(length - 4));
    return LinkPacket::make(kGroupApp, code, payload.data(), static_cast<int>(payload.size()));
}

LinkPacket Packed(const ConfigStore& s, std::uint8_t cmd, int index) {
    const PackedBlock p = PackConfigBlock(s, cmd, index);
    EXPECT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_TRUE(p.packet.checksumOk());
    EXPECT_EQ(p.packet.size, ConfigWriteLength(cmd));
    return p.packet;
}

TEST(PackOutput, LowPowerChannelCarriesFixedValues) {
    ConfigStore s;
    OutputControls o = s.output(20);
    o.maxCurrent = o.peakTime = o.lowCurrent = o.lowCurrentTime = QStringLiteral("5.0");
    o.onTime = QStringLiteral("1.5");
    s.setOutput(20, o);
    const LinkPacket p = Packed(s, msg::OUTPUT_CFG_WRITE, 20);
    EXPECT_EQ(p.at(4), 20);
    EXPECT_EQ(p.at(5), 0xFF);
    EXPECT_EQ(p.at(6), 0xFF);
    EXPECT_EQ(p.at(7), 0x00);
    EXPECT_EQ(p.at(26), 15);
    for (int pos = 27; pos <= 29; ++pos)
        EXPECT_EQ(p.at(pos), 0) << pos;
}

TEST(PackOutput, CurrentsInTheirByteOrdersAndCapped) {
    ConfigStore s;
    SetOutputMaxCurrent(s, 3, 125);
    SetOutputLowCurrent(s, 3, 125);
    OutputControls o = s.output(3);
    o.onTime = QStringLiteral("25.9"); // lets the page through, the byte cannot hold it
    o.delay = QStringLiteral("-1");
    s.setOutput(3, o);
    LinkPacket p = Packed(s, msg::OUTPUT_CFG_WRITE, 3);
    EXPECT_EQ(p.at(5), 0x00);
    EXPECT_EQ(p.at(6), 0x7D);
    EXPECT_EQ(p.at(27), 0x7D);
    EXPECT_EQ(p.at(28), 0x00);
    EXPECT_EQ(p.at(26), 255);
    EXPECT_EQ(p.at(25), 0);

    o.maxCurrent = QStringLiteral("9999");
    s.setOutput(3, o);
    p = Packed(s, msg::OUTPUT_CFG_WRITE, 3);
    EXPECT_EQ(p.at(5), 0xFF);
    EXPECT_EQ(p.at(6), 0xFF);
}

TEST(PackVirtualInput, Plus30TravelsAs255) {
    ConfigStore s;
    VirtualInputDef def = VirtualInputRecord(s, 2);
    def.term[1] = 1;
    def.term[2] = 7;
    SetVirtualInputRecord(s, 2, def);
    LinkPacket p = Packed(s, msg::VIRTUAL_INPUT_WRITE, 2);
    EXPECT_EQ(p.at(7), 0xFF);
    EXPECT_EQ(p.at(8), 7);
    EXPECT_EQ(p.at(5), 0);

    ConfigStore back;
    p.bytes[3] = msg::VIRTUAL_INPUT;
    ASSERT_TRUE(ApplyConfigBlock(back, p));
    EXPECT_EQ(VirtualInputRecord(back, 2).term[1], 1);
    EXPECT_EQ(VirtualInputRecord(back, 2).term[2], 7);
}

TEST(PackCanRule, DimensionFillsAtMostFiveBytes) {
    for (const char* dim : {"km/h", "Volts"}) {
        ConfigStore s;
        CanInputRule rule = CanRuleRecord(s, 0);
        rule.dimension = QString::fromLatin1(dim);
        SetCanRuleRecord(s, 0, rule);
        const LinkPacket p = Packed(s, msg::CAN_RULE_WRITE, 0);
        const int n = static_cast<int>(strlen(dim));
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(p.at(39 + i), dim[i]);
        if (n == 4) {
            EXPECT_EQ(p.at(43), 0);
        }
        EXPECT_NE(p.at(44), 'x'); // the float follows directly
    }
}

TEST(ApplyCanRule, ValuesZeroExtendedOperatorsSignExtended) {
    ConfigStore s;
    std::vector<std::uint8_t> payload(45, 0);
    payload[0] = 4;                                 // rule index
    payload[10 - 4] = 0xFB, payload[11 - 4] = 0xFF; // ON value
    payload[14 - 4] = 0xFF;                         // ON operator
    payload[5 - 4] = 7;                             // enabled, any non-zero
    ASSERT_TRUE(ApplyConfigBlock(s, Answer(msg::CAN_RULE, payload)));
    const CanInputRule rule = CanRuleRecord(s, 4);
    EXPECT_EQ(rule.onValue, 65531);
    EXPECT_EQ(rule.onOperator, -1);
    EXPECT_EQ(rule.enabled, 1);
}

TEST(ApplyConfigBlock, OutOfRangeIndexesStoreNothing) {
    const struct {
        std::uint8_t code;
        std::uint8_t index;
    } cases[] = {{msg::CAN_RULE, 32}, {msg::VIRTUAL_INPUT, 15}, {msg::FLASH, 7},       {msg::CAN_EXPORT, 3},
                 {msg::INPUT_CFG, 0}, {msg::INPUT_CFG, 12},     {msg::OUTPUT_CFG, 35}, {msg::STATUS, 1}};
    for (const auto& c : cases) {
        ConfigStore s;
        const std::vector<std::uint8_t> before(s.recordTables().begin(), s.recordTables().end());
        int changes = 0;
        QObject::connect(&s, &ConfigStore::changed, [&] { ++changes; });
        std::vector<std::uint8_t> payload(70, 0x41);
        payload[0] = c.index;
        EXPECT_FALSE(ApplyConfigBlock(s, Answer(c.code, payload))) << int(c.code);
        EXPECT_EQ(changes, 0) << int(c.code);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), s.recordTables().begin()));
    }
    ConfigStore s; // a config code in another group is not a config block
    EXPECT_FALSE(ApplyConfigBlock(s, LinkPacket::make(kGroupService, msg::OUTPUT_CFG, {1})));
}

TEST(ApplyConfigBlock, ShortAnswerReadsZeros) {
    ConfigStore s;
    SetOutputMaxCurrent(s, 3, 100);
    ASSERT_TRUE(ApplyConfigBlock(s, Answer(msg::OUTPUT_CFG, {3, 0x01})));
    EXPECT_EQ(OutputMaxCurrent(s, 3), 256);
    EXPECT_EQ(OutputOnTime(s, 3), 0);
    EXPECT_EQ(s.output(3).onTime, "CONT.");
}

TEST(LowBatteryAndStartButton, SlotsFilledFromTheFront) {
    ConfigStore s;
    LowBatteryControls lb = s.lowBattery();
    for (int ch : {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 33, 34})
        lb.list[ch - 1].checked = true;
    s.setLowBattery(lb);
    const LinkPacket p = Packed(s, msg::LOW_BATT_CFG_WRITE, 0);
    const int expected[12] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 33};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(p.at(6 + i), expected[i]);

    StartButtonControls sb = s.startButton();
    sb.list[33].checked = true;
    s.setStartButton(sb);
    const LinkPacket q = Packed(s, msg::START_BUTTON_CFG_WRITE, 0);
    EXPECT_EQ(q.at(4), 0); // untouched trigger: "DISABLED"
    EXPECT_EQ(q.at(5), 34);
    for (int pos = 6; pos <= 20; ++pos)
        EXPECT_EQ(q.at(pos), 0xFF);

    SetOutputName(s, 2, QStringLiteral("Horn"));
    ASSERT_TRUE(ApplyConfigBlock(s, Answer(msg::LOW_BATT_CFG, {120, 123, 2, 0, 35, 0xFF, 34}, 18)));
    EXPECT_EQ(s.lowBattery().lowThreshold, "12.0");
    EXPECT_EQ(s.lowBattery().upperThreshold, "12.3");
    ASSERT_EQ(s.lowBattery().list.size(), 34u);
    EXPECT_EQ(s.lowBattery().list[1].text, "Horn");
    int checked = 0;
    for (const auto& e : s.lowBattery().list)
        checked += e.checked;
    EXPECT_EQ(checked, 2);
    EXPECT_TRUE(s.lowBattery().list[33].checked);
}

TEST(CanExport, IdentifierAndNumberTexts) {
    ConfigStore s;
    CanExportControls e = s.canExport(1);
    e.id = QStringLiteral("7FF");
    e.refresh = QStringLiteral("65535");
    s.setCanExport(1, e);
    LinkPacket p = Packed(s, msg::CAN_EXPORT1_WRITE, 0);
    EXPECT_EQ(p.at(8), 0xFF);
    EXPECT_EQ(p.at(9), 0x07);
    EXPECT_EQ(p.at(6), 0xFF); // the largest refresh a word holds
    EXPECT_EQ(p.at(7), 0xFF);
    EXPECT_EQ(p.at(28), 12);
    EXPECT_EQ(p.at(10), 0); // untouched box: "DISABLED"

    ASSERT_TRUE(ApplyConfigBlock(s, Answer(msg::CAN_EXPORT, {1, 1, 0xE8, 0x03, 0x12, 0x00}, 74)));
    EXPECT_EQ(s.canExport(3).id, "012");
    EXPECT_EQ(s.canExport(3).refresh, "1000");
    EXPECT_TRUE(s.canExport(3).enable);

    // Texts that are no number, and numbers the unit cannot hold (capped they
    // would upload another value than the page shows).
    const char* notANumber = "not a valid integer value";
    const struct {
        int exportNo;
        QString CanExportControls::*field;
        const char* text;
        const char* says;
    } bad[] = {{1, &CanExportControls::id, "XYZ", notANumber},
               {1, &CanExportControls::refresh, "12a", notANumber},
               {1, &CanExportControls::rowCount, "ten", notANumber},
               {4, &CanExportControls::refresh, "", notANumber},
               {2, &CanExportControls::id, "1 2", notANumber},
               {2, &CanExportControls::id, "800", "CAN export 2: the identifier 0x800 is not within"},
               {4, &CanExportControls::id, "FFFFFFFF", "CAN export 4: the identifier"},
               {3, &CanExportControls::refresh, "65536", "CAN export 3: the refresh time 65536 ms"},
               {1, &CanExportControls::rowCount, "256", "CAN export 1: the row count 256"}};
    for (const auto& c : bad) {
        ConfigStore t;
        CanExportControls x = t.canExport(c.exportNo);
        x.*c.field = QString::fromLatin1(c.text);
        t.setCanExport(c.exportNo, x);
        const PackedBlock r = c.exportNo == 1 ? PackConfigBlock(t, msg::CAN_EXPORT1_WRITE, 0)
                                              : PackConfigBlock(t, msg::CAN_EXPORT_WRITE, c.exportNo - 2);
        EXPECT_FALSE(r.ok()) << c.text;
        EXPECT_TRUE(r.error.contains(QString::fromLatin1(c.says))) << r.error.toStdString();
        if (c.says == notANumber)
            EXPECT_TRUE(r.error.contains(QStringLiteral("%1'").arg(QString::fromLatin1(c.text)))) << c.text;
        // The check before an upload finds it among every block.
        EXPECT_EQ(FirstUploadError(t), r.error);
    }
    EXPECT_EQ(FirstUploadError(ConfigStore{}), "");
}

TEST(ReadRequests, LengthsAndIndex) {
    const struct {
        std::uint8_t code;
        int index;
        int length;
        int pos4;
    } cases[] = {{msg::INPUT_CFG_READ, 0, 5, 0xFF},  {msg::OUTPUT_CFG_READ, 0, 5, 0xFF},
                 {msg::LOW_BATT_CFG_READ, 0, 4, -1}, {msg::START_BUTTON_CFG_READ, 0, 4, -1},
                 {msg::CAN_RULE_READ, 31, 5, 31},    {msg::CAN_SETTINGS_READ, 0, 4, -1},
                 {msg::BOX_NAME_READ, 0, 4, -1},     {msg::VIRTUAL_INPUT_READ, 14, 5, 14},
                 {msg::FLASH_READ, 4, 5, 4},         {msg::PWM_CFG_READ, 0, 4, -1},
                 {msg::CAN_EXPORT1_READ, 0, 5, 0},   {msg::CAN_EXPORT_READ, 2, 5, 2}};
    for (const auto& c : cases) {
        const LinkPacket p = ConfigReadRequest(c.code, c.index);
        EXPECT_EQ(p.size, c.length) << int(c.code);
        EXPECT_EQ(p.length(), c.length);
        EXPECT_EQ(p.group(), kGroupApp);
        EXPECT_EQ(p.command(), c.code);
        EXPECT_TRUE(p.checksumOk());
        if (c.pos4 >= 0) {
            EXPECT_EQ(p.at(4), c.pos4) << int(c.code);
        }
        const MessageInfo* info = FindMessage(kGroupApp, c.code, Direction::ToUnit);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->length, c.length);
    }
    EXPECT_EQ(ConfigReadRequest(msg::STATUS_REQ).size, 0);
}

} // namespace
} // namespace vm
