// The Virtual Inputs page edits the selected record at once, shows another
// record when picked, and keeps its selection through reads and renames.
#include "config/block_accessors.h"
#include "config/records.h"
#include "tests/pages/page_fixture.h"

#include <QGroupBox>
#include <QListWidget>

using namespace vm;

namespace {

class VirtualInputsPageTest : public vm::testing::PageFixture {
protected:
    QListWidget* list() { return get<QListWidget>("ListBoxVIRTUAL_INPUT"); }
    VirtualInputDef record(int index) { return VirtualInputRecord(store, index); }
};

TEST_F(VirtualInputsPageTest, DelayEditsClampAndStoreTenths) {
    struct Case {
        const char* control;
        const char* typed;
        const char* shown;
        int term;
        int tenths;
    };
    const Case cases[] = {
        {"EditDelayTime", "15", "10.0", 0, 100}, {"EditDelayTime2", "10.5", "10.5", 1, 105},
        {"EditDelayTime3", "2,5", "2.5", 2, 25}, {"EditDelayTime", "0.37", "0.37", 0, 3},
        {"EditDelayTime2", "-4", "4", 1, 40}, // no sign
    };
    list()->setCurrentRow(6);
    for (const Case& c : cases) {
        type(QString::fromLatin1(c.control), QString::fromLatin1(c.typed));
        EXPECT_EQ(edit(QString::fromLatin1(c.control))->text(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(record(6).delay[c.term], c.tenths) << c.typed;
    }
    EXPECT_EQ(record(0), VirtualInputDef{.name = QStringLiteral("Virtual 1")});
    // An emptied delay keeps what was stored.
    type("EditDelayTime3", QString());
    EXPECT_EQ(record(6).delay[2], 25);
}

TEST_F(VirtualInputsPageTest, TermsOperatorsAndNotsLandInTheSelectedRecord) {
    list()->setCurrentRow(2);
    pick("ComboBoxVirtuel_1_Channel_3", 78); // output 34
    pick("ComboBoxVirtuel_1_Channel_1", 1);  // "+30"
    pick("ComboBoxVirtuel_1_operator_2", 2);
    click("CheckBoxVirtuel_Channel_2");
    VirtualInputDef d = record(2);
    EXPECT_EQ(d.term[2], 78);
    EXPECT_EQ(d.term[0], 1);
    EXPECT_EQ(d.op[1], 2);
    EXPECT_EQ(d.invertMask, 0b010);
    click("CheckBoxVirtuel_Channel_3");
    click("CheckBoxVirtuel_Channel_2");
    EXPECT_EQ(record(2).invertMask, 0b100);
    EXPECT_EQ(box("ComboBoxVirtuel_1_Channel_1")->count(), 94);
    EXPECT_EQ(box("ComboBoxVirtuel_1_Channel_1")->itemText(0), QStringLiteral("Not Used"));
}

TEST_F(VirtualInputsPageTest, SwitchingRecordsShowsEachAsEntered) {
    list()->setCurrentRow(1);
    pick("ComboBoxVirtuel_1_Channel_2", 50);
    type("EditDelayTime2", QStringLiteral("7.3"));
    click("CheckBoxVirtuel_Channel_1");
    list()->setCurrentRow(4);
    EXPECT_EQ(box("ComboBoxVirtuel_1_Channel_2")->currentIndex(), 0);
    EXPECT_EQ(edit("EditDelayTime2")->text(), QStringLiteral("0.0"));
    EXPECT_FALSE(get<QCheckBox>("CheckBoxVirtuel_Channel_1")->isChecked());
    EXPECT_EQ(get<QGroupBox>("GroupBoxVirtuelParameter")->title(), QStringLiteral("Virtual 5"));
    list()->setCurrentRow(1);
    EXPECT_EQ(box("ComboBoxVirtuel_1_Channel_2")->currentIndex(), 50);
    EXPECT_EQ(edit("EditDelayTime2")->text(), QStringLiteral("7.3"));
    EXPECT_TRUE(get<QCheckBox>("CheckBoxVirtuel_Channel_1")->isChecked());
    EXPECT_EQ(record(1).delay[1], 73);
}

TEST_F(VirtualInputsPageTest, ReadsAndRenamesKeepTheSelection) {
    list()->setCurrentRow(3);
    pick("ComboBoxVirtuel_1_Channel_1", 4); // input 3
    // A record arriving from the unit shows at once.
    VirtualInputDef loaded = record(3);
    loaded.op[0] = 1;
    loaded.delay[2] = 25;
    SetVirtualInputRecord(store, 3, loaded);
    EXPECT_EQ(box("ComboBoxVirtuel_1_operator_1")->currentIndex(), 1);
    EXPECT_EQ(edit("EditDelayTime3")->text(), QStringLiteral("2.5"));

    SetVirtualInputName(store, 4, QStringLiteral("Fog lamps"));
    SetInputName(store, 3, QStringLiteral("Door"));
    const VirtualInputDef before = record(3);
    tick();
    EXPECT_EQ(list()->currentRow(), 3);
    EXPECT_EQ(list()->item(3)->text(), QStringLiteral("Fog lamps"));
    EXPECT_EQ(get<QGroupBox>("GroupBoxVirtuelParameter")->title(), QStringLiteral("Fog lamps"));
    EXPECT_EQ(box("ComboBoxVirtuel_1_Channel_1")->currentIndex(), 4);
    EXPECT_EQ(box("ComboBoxVirtuel_1_Channel_1")->currentText(), QStringLiteral("Door"));
    EXPECT_EQ(box("ComboBoxVirtuel_1_Channel_3")->itemText(79 + 3), QStringLiteral("Fog lamps"));
    EXPECT_EQ(record(3), before);
}

} // namespace
