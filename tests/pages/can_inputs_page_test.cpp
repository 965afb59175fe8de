// The CAN Inputs page edits the selected rule at once, refuses what its
// fields cannot hold, shows another rule when picked and keeps the selection
// through renames.
#include "config/block_accessors.h"
#include "config/records.h"
#include "tests/pages/page_fixture.h"
#include "ui/byte_selector.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>

using namespace vm;

namespace {

class CanInputsPageTest : public vm::testing::PageFixture {
protected:
    QListWidget* list() { return get<QListWidget>("ListBoxCAN_INPUT"); }
    CanInputRule rule(int index) { return CanRuleRecord(store, index); }
};

TEST_F(CanInputsPageTest, EditsStoreIntoTheSelectedRule) {
    struct Case {
        const char* control;
        const char* typed;
        const char* shown;
        long long (*field)(const CanInputRule&);
        long long stored;
    };
    const Case cases[] = {
        {"EditCAN_ID_ON_1", "7ff", "7FF", [](const CanInputRule& r) -> long long { return r.onId; }, 2047},
        {"EditCAN_ID_OFF_1", "800", "80", [](const CanInputRule& r) -> long long { return r.offId; }, 0x80},
        {"EditCAN_ID_ON_1", "", "", [](const CanInputRule& r) -> long long { return r.onId; }, 2047},
        {"EditValueCAN_ON_1", "70000", "65535", [](const CanInputRule& r) -> long long { return r.onValue; },
         65535},
        {"EditValueCAN_OFF_1", "-12", "-12", [](const CanInputRule& r) -> long long { return r.offValue; },
         -12},
        {"EditValueCAN_IN_RowByteIndex", "9", "7",
         [](const CanInputRule& r) -> long long { return r.rowByte; }, 7},
        {"EditValueCAN_IN_RowByteIndex", "-5", "5",
         [](const CanInputRule& r) -> long long { return r.rowByte; }, 5},
        {"EditValueCAN_IN_RowByteValue", "300", "255",
         [](const CanInputRule& r) -> long long { return r.rowValue; }, 255},
        {"EditValueCAN_IN_RowByteValue", "1a2", "12",
         [](const CanInputRule& r) -> long long { return r.rowValue; }, 12},
        {"EditValueCAN_IN_Offset", "200", "127", [](const CanInputRule& r) -> long long { return r.offset; },
         127},
        {"EditValueCAN_IN_Offset", "-3.7", "-3.7",
         [](const CanInputRule& r) -> long long { return r.offset; }, -3},
        {"EditValueCAN_IN_Offset", "-300", "-127",
         [](const CanInputRule& r) -> long long { return r.offset; }, -127},
        {"EditValueCAN_IN_Multiplicator", "2,5", "2.5",
         [](const CanInputRule& r) -> long long { return static_cast<long long>(r.multiplicator * 10); }, 25},
    };
    list()->setCurrentRow(9);
    for (const Case& c : cases) {
        type(QString::fromLatin1(c.control), QString::fromLatin1(c.typed));
        EXPECT_EQ(edit(QString::fromLatin1(c.control))->text(), QString::fromLatin1(c.shown))
            << c.control << c.typed;
        EXPECT_EQ(c.field(rule(9)), c.stored) << c.control << c.typed;
    }
    // Leaving a half-typed value or an emptied identifier shows what is stored;
    // the offset keeps its typed text.
    type("EditValueCAN_ON_1", QStringLiteral("-"));
    finish("EditValueCAN_ON_1");
    EXPECT_EQ(edit("EditValueCAN_ON_1")->text(), QStringLiteral("65535"));
    type("EditCAN_ID_ON_1", QString());
    finish("EditCAN_ID_ON_1");
    EXPECT_EQ(edit("EditCAN_ID_ON_1")->text(), QStringLiteral("7FF"));
    EXPECT_EQ(edit("EditValueCAN_IN_Multiplicator")->text(), QStringLiteral("2.5"));
    pick("ComboBoxCAN_OperatorON", 4);
    click("CheckBoxCAN_In_RowEnable");
    type("EditValueCAN_IN_Dimension", QStringLiteral("km/h"));
    EXPECT_EQ(rule(9).onOperator, 4);
    EXPECT_EQ(rule(9).rowEnable, 1);
    EXPECT_EQ(rule(9).dimension, QStringLiteral("km/h"));
    EXPECT_EQ(get<QLabel>("LabelCanInDimension2")->text(), QStringLiteral("km/h"));
    EXPECT_EQ(rule(0), CanRuleRecord(ConfigStore(), 0)); // no other rule touched
}

TEST_F(CanInputsPageTest, SignedValuesShowTheirSixteenBitNegative) {
    list()->setCurrentRow(2);
    get<QRadioButton>("RadioButton_Signed")->click();
    EXPECT_EQ(rule(2).dataType, 1);
    type("EditValueCAN_ON_1", QStringLiteral("40000"));
    EXPECT_EQ(edit("EditValueCAN_ON_1")->text(), QStringLiteral("-25536"));
    EXPECT_EQ(rule(2).onValue, 40000);
    type("EditValueCAN_OFF_1", QStringLiteral("65535"));
    EXPECT_EQ(edit("EditValueCAN_OFF_1")->text(), QStringLiteral("-1"));
    EXPECT_EQ(rule(2).offValue, 65535);
    list()->setCurrentRow(3);
    EXPECT_EQ(edit("EditValueCAN_ON_1")->text(), QStringLiteral("0"));
    EXPECT_TRUE(get<QRadioButton>("RadioButton_Unsigned")->isChecked());
    list()->setCurrentRow(2);
    EXPECT_EQ(edit("EditValueCAN_ON_1")->text(), QStringLiteral("-25536"));
    EXPECT_TRUE(get<QRadioButton>("RadioButton_Signed")->isChecked());
}

TEST_F(CanInputsPageTest, SwitchingRulesShowsEachAsEntered) {
    list()->setCurrentRow(0);
    type("EditCAN_ID_ON_1", QStringLiteral("1a"));
    type("EditValueCAN_IN_Multiplicator", QStringLiteral("0.25"));
    list()->setCurrentRow(31);
    EXPECT_EQ(edit("EditCAN_ID_ON_1")->text(), QStringLiteral("000"));
    EXPECT_EQ(get<QGroupBox>("GroupBoxCAN_Parameter")->title(), QStringLiteral("CAN 32"));
    list()->setCurrentRow(0);
    EXPECT_EQ(edit("EditCAN_ID_ON_1")->text(), QStringLiteral("01A"));
    EXPECT_EQ(edit("EditValueCAN_IN_Multiplicator")->text(), QStringLiteral("0.250000"));
    QTabWidget* notebook = get<QTabWidget>("TabbedNotebookCANInput");
    EXPECT_EQ(notebook->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(notebook->tabText(2), QStringLiteral("Analyse"));
}

TEST_F(CanInputsPageTest, RenamesKeepTheSelectionAndTheEnableInput) {
    list()->setCurrentRow(5);
    type("EditValueCAN_ON_1", QStringLiteral("42"));
    click("CheckBoxCanInputEnable");
    EXPECT_TRUE(store.canSettings().enable);
    EXPECT_TRUE(box("ComboBoxInputTrigCAN_Input")->isEnabled());
    pick("ComboBoxInputTrigCAN_Input", 3);
    EXPECT_EQ(store.canSettings().inputIndex, 3);

    SetCanInputName(store, 6, QStringLiteral("Brake"));
    SetInputName(store, 4, QStringLiteral("Reverse"));
    const CanInputRule before = rule(5);
    tick();
    EXPECT_EQ(list()->currentRow(), 5);
    EXPECT_EQ(list()->item(5)->text(), QStringLiteral("Brake"));
    EXPECT_EQ(get<QGroupBox>("GroupBoxCAN_Parameter")->title(), QStringLiteral("Brake"));
    EXPECT_EQ(edit("EditValueCAN_ON_1")->text(), QStringLiteral("42"));
    EXPECT_EQ(box("ComboBoxInputTrigCAN_Input")->currentText(), QStringLiteral("Reverse"));
    EXPECT_EQ(rule(5).onValue, before.onValue);

    // Settings from the unit or a file show at once.
    store.setCanSettings({false, 10});
    EXPECT_FALSE(get<QCheckBox>("CheckBoxCanInputEnable")->isChecked());
    EXPECT_FALSE(box("ComboBoxInputTrigCAN_Input")->isEnabled());
    EXPECT_EQ(box("ComboBoxInputTrigCAN_Input")->currentIndex(), 10);
}

TEST_F(CanInputsPageTest, BytePickersWriteTheirPositionsIntoTheRule) {
    list()->setCurrentRow(7);
    auto* on = get<ByteSelector>("ImageCan_1_ON");
    auto* off = get<ByteSelector>("ImageCan_1_OFF");
    on->setFixedSize(240, 24);
    off->setFixedSize(240, 24);
    QSignalSpy messages(pages.get(), &EditorPages::statusMessage);
    const auto clickCell = [](ByteSelector* picker, int cell) {
        QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(cell * 30 + 15, 12));
    };
    clickCell(on, 3);
    EXPECT_EQ(rule(7).onLowPos, 4);
    clickCell(on, 5);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0][0].toString(),
              QStringLiteral("If more than one byte, they have to be side by side"));
    clickCell(on, 2);
    EXPECT_EQ(rule(7).onHighPos, 3);
    EXPECT_EQ(rule(7).onLowPos, 4);
    clickCell(off, 0);
    EXPECT_EQ(rule(7).offLowPos, 1);
    EXPECT_EQ(rule(7).onHighPos, 3);

    list()->setCurrentRow(8);
    EXPECT_EQ(on->low(), 0);
    EXPECT_EQ(on->high(), 0);
    list()->setCurrentRow(7);
    EXPECT_EQ(on->high(), 3);
    EXPECT_EQ(on->low(), 4);
    EXPECT_EQ(off->low(), 1);
}

TEST_F(CanInputsPageTest, AnOpenedFileShowsOnEveryRecordPageWithTheSelectionKept) {
    list()->setCurrentRow(4);
    get<QListWidget>("ListBoxVIRTUAL_INPUT")->setCurrentRow(2);
    ConfigStore file;
    CanInputRule canRule = CanRuleRecord(file, 4);
    canRule.onId = 0x321;
    canRule.offset = -9;
    SetCanRuleRecord(file, 4, canRule);
    VirtualInputDef def = VirtualInputRecord(file, 2);
    def.term[1] = 93;
    def.delay[1] = 47;
    SetVirtualInputRecord(file, 2, def);
    CanExportControls e = file.canExport(3);
    e.refresh = QStringLiteral("250");
    e.boxes[33] = 12;
    file.setCanExport(3, e);
    file.setCanSettings({true, 6});

    store.CopyBlocksFrom(file);
    EXPECT_EQ(list()->currentRow(), 4);
    EXPECT_EQ(edit("EditCAN_ID_ON_1")->text(), QStringLiteral("321"));
    EXPECT_EQ(edit("EditValueCAN_IN_Offset")->text(), QStringLiteral("-9"));
    EXPECT_EQ(box("ComboBoxInputTrigCAN_Input")->currentIndex(), 6);
    EXPECT_TRUE(box("ComboBoxInputTrigCAN_Input")->isEnabled());
    EXPECT_EQ(box("ComboBoxVirtuel_1_Channel_2")->currentIndex(), 93);
    EXPECT_EQ(edit("EditDelayTime2")->text(), QStringLiteral("4.7"));
    EXPECT_EQ(edit("Edit_REFRESS_Export3")->text(), QStringLiteral("250"));
    EXPECT_EQ(box("ComboBox_CAN_Export3_DataByte4_Bit6")->currentIndex(), 12);
}

} // namespace
