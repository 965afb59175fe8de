// Loading: defaults, odd key names, case, limits, and the float text.
#include "cfg_test_files.h"
#include "config/block_accessors.h"
#include "config/config_file.h"
#include "config/records.h"

#include <QTemporaryDir>
#include <bit>
#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace vm;

namespace {

// Parses the text as a .cfg file into a store that starts from values no
// file default matches, so every default is seen to be written.
class LoadedFile {
public:
    explicit LoadedFile(const QByteArray& text) {
        for (int ch = 1; ch <= kOutputCount; ++ch)
            SetOutputName(store, ch, "old");
        store.setBoxName("Unit name");
        report = ParseConfigText(store, text, "unit.cfg");
        EXPECT_TRUE(report.ok) << report.error.toStdString();
    }
    ConfigStore store;
    ConfigFileReport report;
};

} // namespace

TEST(ConfigFileLoad, OnlyTrigger3GivesDefaultsEverywhereElse) {
    const LoadedFile f("[OUTPUT]\nTRIGGER3=193\n");
    const ConfigStore& s = f.store;
    for (int ch = 1; ch <= kOutputCount; ++ch) {
        const OutputControls o = s.output(ch);
        EXPECT_EQ(o.trigger, ch == 3 ? 3 : 0) << ch; // 193 is input 2
        EXPECT_EQ(o.name, "---") << ch;
        EXPECT_EQ(o.maxCurrent, ch <= kHighPowerCount ? "10.0" : "") << ch;
        EXPECT_EQ(o.peakTime, ch <= kHighPowerCount ? "10.0" : "") << ch;
        EXPECT_EQ(o.onTime, "CONT.");
    }
    for (int n = 1; n <= kInputCount; ++n)
        EXPECT_EQ(s.input(n).name, "---");
    for (int n = 1; n <= kCanRuleCount; ++n) {
        EXPECT_EQ(s.canInputName(n), QStringLiteral("CAN %1").arg(n));
        EXPECT_EQ(CanRuleRecord(s, n - 1).name, QStringLiteral("CAN %1").arg(n));
        EXPECT_EQ(CanRuleRecord(s, n - 1).offLowPos, 255);
        EXPECT_EQ(CanRuleRecord(s, n - 1).multiplicator, 1.0f);
    }
    for (int n = 1; n <= kVirtualInputCount; ++n)
        EXPECT_EQ(VirtualInputRecord(s, n - 1).name, QStringLiteral("VIRTUAL %1").arg(n));
    for (int n = 1; n <= kFlashCount; ++n)
        EXPECT_EQ(FlashName(s, n), QStringLiteral("FLASH %1").arg(n));
    EXPECT_EQ(s.lowBattery().lowThreshold, "---");
    EXPECT_EQ(s.startButton().list.size(), 34u);
    EXPECT_EQ(s.canExport(1).rowCount, "12");
    EXPECT_EQ(s.canExport(4).refresh, "100");
    EXPECT_EQ(s.canExport(4).boxes, std::vector<int>(64, 0));
    EXPECT_EQ(s.boxName(), "Unit name"); // the Open command clears it, not the load

    // Each key the file lacks is reported once; numbered runs as one entry.
    EXPECT_TRUE(f.report.missingKeys.contains("[OUTPUT] TRIGGER1 to TRIGGER2"));
    EXPECT_TRUE(f.report.missingKeys.contains("[OUTPUT] TRIGGER4 to TRIGGER34"));
    EXPECT_TRUE(f.report.missingKeys.contains("[START BUTTON] INPUT_TRIGGER_INDEX"));
    EXPECT_FALSE(f.report.missingKeys.join('\n').contains("TRIGGER3\n"));

    // A missing file is no configuration: the store keeps what it had.
    ConfigStore missing;
    EXPECT_FALSE(LoadConfigFile(missing, "/nonexistent/unit.cfg"));
    EXPECT_EQ(missing.output(18), ConfigStore{}.output(18));
}

TEST(ConfigFileLoad, NamesAreCutTo15Characters) {
    const LoadedFile f("[INPUT]\nNAME1=ABCDEFGHIJKLMNOPQRST\n[OUTPUT]\nNAME7=ABCDEFGHIJKLMNOPQRST\n"
                       "[CAN_INPUT]\nCAN_NAME4=ABCDEFGHIJKLMNOPQRST\nDIMENSION_NAME4=kilowatt\n"
                       "[VIRTUAL_INPUT]\nVIRTUAL_NAME2=ABCDEFGHIJKLMNOPQRST\n"
                       "[FLASH]\nFLASH_NAME1=ABCDEFGHIJKLMNOPQRST\n");
    const QString cut = "ABCDEFGHIJKLMNO";
    EXPECT_EQ(f.store.input(1).name, cut);
    EXPECT_EQ(f.store.output(7).name, cut);
    EXPECT_EQ(f.store.lowBattery().list[6].text, cut);
    EXPECT_EQ(f.store.canInputName(4), cut);
    EXPECT_EQ(CanRuleRecord(f.store, 3).name, cut);
    EXPECT_EQ(CanRuleRecord(f.store, 3).dimension, "kilow");
    EXPECT_EQ(f.store.virtualInputName(2), cut);
    EXPECT_EQ(FlashName(f.store, 1), "ABCDEFGHIJKLMN"); // the record keeps its terminating zero
}

TEST(ConfigFileLoad, ListCountReadsAtMost34CheckStates) {
    QByteArray all40;
    for (int i = 0; i < 40; ++i)
        all40 += "LIST_SELECTED" + QByteArray::number(i) + "=1\n";
    const struct {
        const char* count;
        int checked;
    } cases[] = {{"40", 34}, {"3", 3}, {"0", 0}};
    for (const auto& c : cases) {
        const QByteArray head = QByteArray("OUTPUT_LIST_COUNT=") + c.count + "\n";
        const LoadedFile f("[LOW_BATTERY]\n" + head + all40 + "[START BUTTON]\n" + head + all40);
        for (const auto* list : {&f.store.lowBattery().list, &f.store.startButton().list}) {
            ASSERT_EQ(list->size(), 34u);
            for (int i = 0; i < 34; ++i)
                EXPECT_EQ((*list)[i].checked, i < c.checked) << c.count << " entry " << i;
        }
    }
    // A count is no count when it is negative or no number.
    for (const char* count : {"-5", "x"}) {
        ConfigStore s;
        EXPECT_FALSE(
            ParseConfigText(s, QByteArray("[LOW_BATTERY]\nOUTPUT_LIST_COUNT=") + count, "unit.cfg").ok);
    }
}

TEST(ConfigFileLoad, Export1IdentifierIsSavedDecimalAndShownHex) {
    QTemporaryDir dir;
    const QString path = dir.filePath("id.cfg");
    for (const char* shown : {"1A0", "1a0"}) {
        ConfigStore s;
        CanExportControls e = s.canExport(1);
        e.id = shown;
        s.setCanExport(1, e);
        ASSERT_TRUE(SaveConfigFile(s, path));
        EXPECT_TRUE(ReadBytes(path).contains("\nCAN_ID_1=416\n"));
        ConfigStore loaded;
        LoadConfigFile(loaded, path);
        EXPECT_EQ(loaded.canExport(1).id, "1A0");
    }
    const LoadedFile f("[CAN_EXPORT_2]\nCAN_ID=18\n[CAN_EXPORT_3]\nCAN_ID=-1\n");
    EXPECT_EQ(f.store.canExport(2).id, "012");
    EXPECT_EQ(f.store.canExport(3).id, "FFFFFFFF");
}

TEST(ConfigFileLoad, SectionAndKeyNamesIgnoreCase) {
    const LoadedFile f("[output]\ntrigger3=193\nName2=Lamp\n[Start Button]\ninput_trigger_index=5\n"
                       "[can_input]\ncan_id_on1=77\nChannel_List1Index 2=9\n[flash]\nchannel_list1INDEX 2=9\n"
                       "[Can_Export_1]\ncan_id_1=416\nrefress_time_1=250\n");
    EXPECT_EQ(f.store.output(3).trigger, 3);
    EXPECT_EQ(f.store.output(2).name, "Lamp");
    EXPECT_EQ(f.store.startButton().trigger, 5);
    EXPECT_EQ(CanRuleRecord(f.store, 0).onId, 77);
    EXPECT_EQ(FlashRecord(f.store, 0).outputs[2], 9);
    EXPECT_EQ(f.store.canExport(1).id, "1A0");
    EXPECT_EQ(f.store.canExport(1).refresh, "250");
}

// Values that are no numbers or beyond their field refuse the whole file
// (config_file_refusal_test.cpp); numbers within their field map as before.
TEST(ConfigFileLoad, NumbersWithinTheirFieldMapToTheBoxes) {
    const LoadedFile f(
        "[INPUT]\nMODE1=255\nMODE2=1\n[OUTPUT]\nTRIGLEVEL1=16\nTRIGLEVEL2=255\nTRIGGER4=48\n"
        "ON_TIME1=55\nON_TIME2=259\nPWM_1=2\nPWM_2=-1\nMAX_CURRENT1= 0x1F4 \n"
        "[CAN_INPUT]\nENABLED1=2\nENABLED2=0\nCAN_LOW_BYTE_ON_POS1=255\nCAN_ID_OFF1=-2147483648\n"
        "[CAN_INPUT_ENABLE]\nINPUT_PIN=-1\n"
        "[CAN_EXPORT_1]\nROW_COUNT=255\nCHANNEL_INDEX_1=-1\nCHANNEL_INDEX_2=18\n");
    const ConfigStore& s = f.store;
    EXPECT_EQ(s.input(1).mode, kNoSelection); // the mode is saved as a byte
    EXPECT_EQ(s.input(2).mode, 1);
    EXPECT_TRUE(s.pwm().pwm1);
    EXPECT_TRUE(s.pwm().pwm2);
    EXPECT_EQ(s.output(1).level, 1);
    EXPECT_EQ(s.output(2).level, 0);   // only 16 is OPEN
    EXPECT_EQ(s.output(4).trigger, 0); // a code of no source: DISABLED
    EXPECT_EQ(s.output(1).onTime, "5.5");
    EXPECT_EQ(s.output(2).onTime, "25.9"); // as far as the ON timer edit goes
    EXPECT_EQ(s.output(1).maxCurrent, "50.0");
    const CanInputRule r1 = CanRuleRecord(s, 0);
    EXPECT_EQ(r1.enabled, 1);
    EXPECT_EQ(CanRuleRecord(s, 1).enabled, 0);
    EXPECT_EQ(r1.onLowPos, 255);
    EXPECT_EQ(r1.offId, INT32_MIN);
    EXPECT_EQ(s.canSettings().inputIndex, kNoSelection);
    EXPECT_EQ(s.canExport(1).rowCount, "255");
    EXPECT_EQ(s.canExport(1).boxes[0], kNoSelection);
    EXPECT_EQ(s.canExport(1).boxes[1], 18);
}

TEST(ConfigFileLoad, FloatsReadWithPointOrCommaAndOffsetsKeepTheLowByte) {
    // Offsets beyond a signed byte refuse the file (config_file_refusal_test.cpp).
    const LoadedFile f("[CAN_INPUT]\nMULTIPLICATOR_1=2,5\nMULTIPLICATOR_2=0.25\nMULTIPLICATOR_3=-1E-3\n"
                       "MULTIPLICATOR_4=+7\nCAL_OFFSET_1=-3,9\nCAL_OFFSET_2=-128.9\nCAL_OFFSET_3=127.99\n"
                       "CAL_OFFSET_4=0\n");
    const float multiplicators[] = {2.5f, 0.25f, -1e-3f, 7.0f};
    const int offsets[] = {-3, -128, 127, 0};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(CanRuleRecord(f.store, i).multiplicator, multiplicators[i]) << i;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(CanRuleRecord(f.store, i).offset, offsets[i]) << i;
}

TEST(ConfigFileFloat, ShortestTextThatReadsBackTheSameFloat) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.1f, "0.1"},
        {1.5f, "1.5"},
        {100.0f, "100"},
        {-3.0f, "-3"},
        {0.3f, "0.3"},
        {1e-7f, "1e-07"},
        {16777216.0f, "16777216"},
        {1.0f / 3, "0.33333334"},
        {FLT_MAX, "3.4028235e+38"},
        {-0.0f, "-0"},
        {0.0f, "0"},
        {1e-45f, "1e-45"},
        {12345678.0f, "12345678"},
        {1e10f, "1e+10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CfgFloatText(c.value).toStdString(), c.text) << c.value;

    // Any finite float comes back bit for bit, never longer than nine digits.
    std::mt19937 random(20240611);
    for (int i = 0; i < 50000; ++i) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(value)) continue;
        const QString text = CfgFloatText(value);
        const std::optional<double> back = ParseCfgFloat(text);
        ASSERT_TRUE(back) << text.toStdString();
        ASSERT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(*back)),
                  std::bit_cast<std::uint32_t>(value))
            << text.toStdString();
        ASSERT_LE(text.size(), QString::number(double(value), 'g', 9).size());
        ASSERT_FALSE(text.contains(',')) << text.toStdString();
    }
}
