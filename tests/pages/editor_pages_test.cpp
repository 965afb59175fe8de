// The configuration pages over a store: every control found by its object
// name, user edits land in the store at once, stored values show unchanged,
// and renamed sources reach every list at the next keep-alive tick.
#include "config/block_accessors.h"
#include "config/encodings.h"
#include "config/records.h"
#include "pages/check_list.h"
#include "pages/editor_pages.h"
#include "pages/main_pages.h"
#include "pages/page_binding.h"
#include "session/unit_session.h"
#include "tests/support/recording_link.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace vm;

namespace {

class EditorPagesTest : public ::testing::Test {
protected:
    EditorPagesTest() {
        connect();
        for (std::size_t i = 0; i < kMainPages.size(); ++i) {
            sheets.push_back(std::make_unique<QWidget>());
            pages->AddTo(i, *sheets.back());
        }
    }
    void connect() {
        QObject::connect(&unit, &UnitSession::refreshNameLists, pages.get(), &EditorPages::RefreshNameLists);
    }

    template <class W> W* get(const QString& name) {
        for (const auto& sheet : sheets)
            if (auto* w = sheet->findChild<W*>(name)) return w;
        ADD_FAILURE() << "no " << name.toStdString();
        return nullptr;
    }
    QLineEdit* edit(const QString& name) { return get<QLineEdit>(name); }
    QComboBox* box(const QString& name) { return get<QComboBox>(name); }
    // Typing as the user does: through the validator, one key at a time.
    void type(const QString& name, const QString& text) {
        QLineEdit* e = edit(name);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }
    void pick(const QString& name, int index) {
        QComboBox* b = box(name);
        b->setCurrentIndex(index);
        Q_EMIT b->activated(index);
    }
    // A user's click on a check list item.
    void toggle(const QString& name, int row) {
        auto* list = get<OutputCheckList>(name);
        const QModelIndex i = list->model()->index(row, 0);
        const bool on = list->model()->data(i, Qt::CheckStateRole).toInt() == Qt::Checked;
        list->model()->setData(i, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

    RecordingLink link;
    UnitSession unit{link, nullptr};
    ConfigStore store;
    std::unique_ptr<EditorPages> pages = std::make_unique<EditorPages>(store, unit);
    std::vector<std::unique_ptr<QWidget>> sheets;
};

TEST_F(EditorPagesTest, OutputEditsClampAndStore) {
    struct Case {
        const char* control;
        const char* typed;
        const char* shown;
        int (*stored)(const ConfigStore&, int);
        int tenths;
    };
    const Case cases[] = {
        {"EditMaxCurrentCH1", "75", "60.0", &OutputMaxCurrent, 600},
        {"EditMaxCurrentCH1", "60.9", "60.9", &OutputMaxCurrent, 609},
        {"EditDelayCH1", "10", "10.0", &OutputDelay, 100},
        {"EditCurrentPeakTimeCH1", "12,5", "10.0", &OutputPeakTime, 100},
        {"EditOnTimeCH1", "26", "25.0", &OutputOnTime, 250},
        {"EditOnTimeCH1", "25.7", "25.5", &OutputOnTime, 255},
        {"EditOnTimeCH1", "CONT.", "CONT.", &OutputOnTime, 0},
        {"EditDelayCH1", "-5", "5", &OutputDelay, 50},  // the sign is refused
        {"EditDelayCH1", "1e", "1", &OutputDelay, 10},  // and so is the exponent
        {"EditLowCurrentCH1", "61", "60.0", &OutputLowCurrent, 600},
        {"EditLowCurrentTimeCH1", "25.9", "25.5", &OutputLowCurrentTime, 255},
    };
    for (const Case& c : cases) {
        type(QString::fromLatin1(c.control), QString::fromLatin1(c.typed));
        EXPECT_EQ(edit(QString::fromLatin1(c.control))->text(), QString::fromLatin1(c.shown)) << c.control << c.typed;
        EXPECT_EQ(c.stored(store, 1), c.tenths) << c.control << c.typed;
    }
    // A stored 0 shows as continuous.
    SetOutputOnTime(store, 7, 0);
    EXPECT_EQ(edit("EditOnTimeCH7")->text(), QStringLiteral("CONT."));
    EXPECT_EQ(edit("EditOnTimeCH7")->toolTip(), QStringLiteral("Output ON timer \nEnter 0 for continuous"));
    // Low-power rows have no current columns.
    EXPECT_EQ(sheets[6]->findChild<QLineEdit*>("EditMaxCurrentCH19"), nullptr);
    EXPECT_NE(sheets[6]->findChild<QLabel*>("LabelInputpin34"), nullptr);
}

TEST_F(EditorPagesTest, TriggerChoiceSetsLevelBoxAndPinLabel) {
    pick("ComboBoxInputTrigCH5", 4); // input 3
    pick("ComboBoxTrigLevelCH5", 1); // OPEN
    EXPECT_EQ(OutputTriggerLevel(store, 5), 16);
    EXPECT_EQ(OutputTrigger(store, 5), 0xC2);
    EXPECT_EQ(get<QLabel>("LabelInputpin5")->text(), QStringLiteral("( Con. 4, Red ring, Pin 21 )"));

    pick("ComboBoxInputTrigCH5", 12); // input 11 keeps OPEN
    EXPECT_TRUE(box("ComboBoxTrigLevelCH5")->isEnabled());
    EXPECT_EQ(box("ComboBoxTrigLevelCH5")->currentText(), QStringLiteral("OPEN"));

    pick("ComboBoxInputTrigCH5", 1); // +30
    EXPECT_FALSE(box("ComboBoxTrigLevelCH5")->isEnabled());
    EXPECT_EQ(box("ComboBoxTrigLevelCH5")->currentText(), QStringLiteral("+30"));
    EXPECT_EQ(get<QLabel>("LabelInputpin5")->text(), QString());
    EXPECT_EQ(OutputTriggerLevel(store, 5), 1);

    pick("ComboBoxInputTrigCH5", 2); // input 1
    EXPECT_EQ(box("ComboBoxTrigLevelCH5")->currentText(), QStringLiteral("+12v"));
    EXPECT_EQ(get<QLabel>("LabelInputpin5")->text(), QStringLiteral("( Con. 4, Red ring, Pin 19 )"));

    pick("ComboBoxInputTrigCH5", 44); // CAN rule 32
    EXPECT_EQ(box("ComboBoxTrigLevelCH5")->currentText(), QStringLiteral("-"));
    EXPECT_EQ(get<QLabel>("LabelInputpin5")->text(), QStringLiteral("( CAN input 32 )"));

    pick("ComboBoxInputTrigCH5", 0); // DISABLED leaves the level box
    EXPECT_EQ(box("ComboBoxTrigLevelCH5")->currentText(), QStringLiteral("-"));
    EXPECT_EQ(OutputTrigger(store, 5), 0);
}

TEST_F(EditorPagesTest, RenamedInputReachesEveryTriggerListAtTheNextTick) {
    pick("ComboBoxInputTrigCH1", 4);
    pick("ComboBoxInputTrigCH2", 5);
    pick("ComboBoxInputTrigStartButton", 4);
    pick("ComboBoxFlashInputTrig", 45);
    type("EditInputName_ch3", QStringLiteral("Horn"));
    EXPECT_EQ(InputName(store, 3), QStringLiteral("Horn"));
    // Not per keystroke: the lists wait for the tick.
    EXPECT_EQ(box("ComboBoxInputTrigCH1")->itemText(4), QStringLiteral("CH 3"));
    unit.KeepAliveTick();
    const char* boxes[] = {"ComboBoxInputTrigCH1", "ComboBoxInputTrigCH34", "ComboBoxInputTrigStartButton",
                           "ComboBoxFlashInputTrig"};
    for (const char* name : boxes)
        EXPECT_EQ(box(QString::fromLatin1(name))->itemText(4), QStringLiteral("Horn")) << name;
    EXPECT_EQ(box("ComboBoxInputTrigCH1")->currentIndex(), 4);
    EXPECT_EQ(box("ComboBoxInputTrigCH2")->currentIndex(), 5);
    EXPECT_EQ(box("ComboBoxInputTrigStartButton")->currentIndex(), 4);
    EXPECT_EQ(box("ComboBoxFlashInputTrig")->currentIndex(), 45);
}

TEST_F(EditorPagesTest, RenamingDuringAReadWaitsForItsEnd) {
    unit.SetTransferInProgress(true);
    type("EditOutputName_ch2", QStringLiteral("Pump"));
    type("EditCanInputName_ch1", QStringLiteral("Door"));
    unit.KeepAliveTick();
    EXPECT_EQ(box("ComboBoxInputTrigCH1")->itemText(13), QStringLiteral("CAN 1"));
    EXPECT_EQ(get<OutputCheckList>("CheckListBoxLowBatt")->model()->index(1, 0).data().toString(), QString());
    unit.SetTransferInProgress(false);
    unit.MarkNamesDirty(); // the completed read
    unit.KeepAliveTick();
    EXPECT_EQ(box("ComboBoxInputTrigCH1")->itemText(13), QStringLiteral("Door"));
    EXPECT_EQ(get<OutputCheckList>("CheckListBoxLowBatt")->model()->index(1, 0).data().toString(),
              QStringLiteral("Pump"));
}

// A configuration as a read or a file leaves it, with texts no page would type.
void FillRandom(ConfigStore& store, quint32 seed) {
    QRandomGenerator rng(seed);
    for (int n = 1; n <= kInputCount; ++n)
        store.setInput(n, {QStringLiteral("In %1").arg(rng.bounded(1000)), rng.bounded(2)});
    for (int ch = 1; ch <= kOutputCount; ++ch) {
        OutputControls o;
        o.name = QStringLiteral("Out %1").arg(rng.bounded(1000));
        if (ch <= kHighPowerCount) {
            o.maxCurrent = TenthsText(rng.bounded(700));
            o.peakTime = TenthsText(rng.bounded(120));
            o.lowCurrent = QStringLiteral("12.345"); // longer than its edit takes
            o.lowCurrentTime = TenthsText(rng.bounded(256));
        }
        o.delay = TenthsText(rng.bounded(256));
        o.onTime = rng.bounded(4) ? TenthsText(rng.bounded(256)) : QStringLiteral("CONT.");
        o.trigger = rng.bounded(60);
        o.level = rng.bounded(2); // also 1 where the box has one entry
        store.setOutput(ch, o);
    }
    store.setPwm({rng.bounded(2) == 1, rng.bounded(2) == 1, rng.bounded(2) == 1});
    LowBatteryControls lb = store.lowBattery();
    lb.lowThreshold = QStringLiteral("11.5");
    lb.upperThreshold = QStringLiteral("12.6");
    for (auto& entry : lb.list)
        entry.checked = rng.bounded(3) == 0;
    store.setLowBattery(lb);
    StartButtonControls sb = store.startButton();
    sb.trigger = rng.bounded(60);
    for (auto& entry : sb.list)
        entry.checked = rng.bounded(2) == 0;
    store.setStartButton(sb);
    store.setBoxName(QStringLiteral("SIXTEEN-CHARS-NM"));
    for (int i = 0; i < kFlashCount; ++i) {
        FlashDef f;
        f.continuous = rng.bounded(2);
        f.trigger = TriggerCodeFromIndex(rng.bounded(60));
        f.flashTime = rng.bounded(256);
        f.duration = rng.bounded(256);
        f.outputs[0] = rng.bounded(34);
        f.name = QStringLiteral("Flash no %1").arg(i);
        SetFlashRecord(store, i, f);
    }
}

struct Snapshot {
    std::vector<InputControls> inputs;
    std::vector<OutputControls> outputs;
    PwmControls pwm;
    LowBatteryControls lowBattery;
    StartButtonControls startButton;
    QString boxName;
    std::vector<std::uint8_t> records;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const ConfigStore& store) {
    Snapshot s;
    for (int n = 1; n <= kInputCount; ++n)
        s.inputs.push_back(store.input(n));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        s.outputs.push_back(store.output(ch));
    s.pwm = store.pwm();
    s.lowBattery = store.lowBattery();
    s.startButton = store.startButton();
    s.boxName = store.boxName();
    s.records.assign(store.recordTables().begin(), store.recordTables().end());
    return s;
}

TEST_F(EditorPagesTest, StoredValuesShowAndSurviveRefreshAndPageSwitching) {
    FillRandom(store, 7);
    const Snapshot before = Take(store);
    unit.MarkNamesDirty();
    unit.KeepAliveTick();
    // Pages built on a filled store show the same and change nothing either.
    EditorPages second(store, unit);
    QWidget sheet;
    second.AddTo(6, sheet);
    second.RefreshNameLists();
    auto* list = get<QListWidget>("ListBoxFlashNo");
    for (int row : {4, 2, 0})
        list->setCurrentRow(row);
    EXPECT_TRUE(Take(store) == before);

    for (int ch = 1; ch <= kOutputCount; ++ch) {
        const OutputControls o = store.output(ch);
        EXPECT_EQ(edit(QStringLiteral("EditDelayCH%1").arg(ch))->text(), o.delay);
        EXPECT_EQ(edit(QStringLiteral("EditOnTimeCH%1").arg(ch))->text(), o.onTime);
        EXPECT_EQ(box(QStringLiteral("ComboBoxInputTrigCH%1").arg(ch))->currentIndex(), o.trigger);
        EXPECT_EQ(sheet.findChild<QComboBox*>(QStringLiteral("ComboBoxInputTrigCH%1").arg(ch))->currentIndex(),
                  o.trigger);
        if (ch <= kHighPowerCount) {
            EXPECT_EQ(edit(QStringLiteral("EditMaxCurrentCH%1").arg(ch))->text(), o.maxCurrent);
            EXPECT_EQ(edit(QStringLiteral("EditLowCurrentCH%1").arg(ch))->text(), QStringLiteral("12.345"));
        }
    }
    EXPECT_EQ(edit("EditBoxName")->text(), QStringLiteral("SIXTEEN-CHARS-NM"));
    EXPECT_EQ(edit("EditFlashName")->text(), QStringLiteral("Flash no 0"));
    EXPECT_EQ(list->item(4)->text(), QStringLiteral("Flash no 4"));
    EXPECT_EQ(box("ComboBoxInputTrigStartButton")->currentIndex(), store.startButton().trigger);
}

TEST_F(EditorPagesTest, OnlyTheUsersChangesCountAsEdits) {
    QSignalSpy edited(pages.get(), &EditorPages::edited);
    FillRandom(store, 3); // as a read or an opened file
    unit.MarkNamesDirty();
    unit.KeepAliveTick();
    EXPECT_EQ(edited.size(), 0);
    type("EditDelayCH3", QStringLiteral("2"));
    EXPECT_GE(edited.size(), 1);
}

TEST_F(EditorPagesTest, CheckListsRefuseOneOutputTooMany) {
    QSignalSpy said(pages.get(), &EditorPages::statusMessage);
    for (int row = 0; row < 13; ++row)
        toggle("CheckListBoxLowBatt", row);
    ASSERT_EQ(said.size(), 1);
    EXPECT_EQ(said[0][0].toString(), QStringLiteral("Max 12 in low battery list!"));
    int checked = 0;
    for (const CheckListEntry& e : store.lowBattery().list)
        checked += e.checked;
    EXPECT_EQ(checked, 12);
    EXPECT_FALSE(store.lowBattery().list[12].checked);
    EXPECT_EQ(get<OutputCheckList>("CheckListBoxLowBatt")->states().checkedCount(), 12);

    for (int row = 0; row < 17; ++row)
        toggle("CheckListBoxStartButton", row);
    ASSERT_EQ(said.size(), 2);
    EXPECT_EQ(said[1][0].toString(), QStringLiteral("Max 16 Start Button list!"));
    EXPECT_FALSE(store.startButton().list[16].checked);
}

TEST_F(EditorPagesTest, LoadedListWithTooManyChecksShowsWhatIsSent) {
    LowBatteryControls lb = store.lowBattery();
    for (int i = 0; i < 14; ++i)
        lb.list[static_cast<std::size_t>(i)].checked = true;
    store.setLowBattery(lb);
    auto* list = get<OutputCheckList>("CheckListBoxLowBatt");
    EXPECT_EQ(list->states().checkedCount(), 12);
    EXPECT_FALSE(list->states().checked(12));
    EXPECT_TRUE(store.lowBattery().list[13].checked); // shown, not changed
}

TEST_F(EditorPagesTest, FlashFunctionsEditOfflineFromTheFirstEntry) {
    auto* list = get<QListWidget>("ListBoxFlashNo");
    ASSERT_EQ(list->count(), 5);
    EXPECT_EQ(list->currentRow(), 0);
    list->setCurrentRow(4);
    type("EditFlashTime", QStringLiteral("30000"));
    EXPECT_EQ(edit("EditFlashTime")->text(), QStringLiteral("25000"));
    EXPECT_EQ(FlashRecord(store, 4).flashTime, 250);
    type("EditFlashDuration", QStringLiteral("150"));
    EXPECT_EQ(FlashRecord(store, 4).duration, 1);
    get<QCheckBox>("CheckBoxFlash")->click();
    EXPECT_EQ(FlashRecord(store, 4).continuous, 1);
    pick("ComboBoxFlashInputTrig", 1);
    EXPECT_EQ(FlashRecord(store, 4).trigger, 0xFF);

    // A fresh record's zero slots name output 1.
    EXPECT_TRUE(get<OutputCheckList>("CheckListBoxFlashOutputList")->states().checked(0));
    toggle("CheckListBoxFlashOutputList", 0);
    QSignalSpy said(pages.get(), &EditorPages::statusMessage);
    for (int row : {3, 5, 7, 9, 11})
        toggle("CheckListBoxFlashOutputList", row);
    ASSERT_EQ(said.size(), 1);
    EXPECT_EQ(said[0][0].toString(), QStringLiteral("Max 4 in output list!"));
    const FlashDef f = FlashRecord(store, 4);
    EXPECT_EQ(std::vector<int>(f.outputs, f.outputs + 4), (std::vector<int>{3, 5, 7, 9}));
    for (int row : {3, 5, 7, 9})
        toggle("CheckListBoxFlashOutputList", row);
    const FlashDef none = FlashRecord(store, 4);
    EXPECT_EQ(std::vector<int>(none.outputs, none.outputs + 4), (std::vector<int>{255, 255, 255, 255}));

    type("EditFlashName", QStringLiteral("Hazard lights 12"));
    EXPECT_EQ(FlashName(store, 5), QStringLiteral("Hazard lights "));
    EXPECT_EQ(list->item(4)->text(), QStringLiteral("Hazard lights "));
    EXPECT_EQ(FlashRecord(store, 0), FlashDef{}); // the other records stay as they were
}

TEST_F(EditorPagesTest, InputsPageWritesNamesModesAndSwitches) {
    pick("ComboBoxInput_ch11", 1);
    EXPECT_EQ(InputMode(store, 11), 1);
    get<QCheckBox>("CheckBoxInputPWMEnable")->click();
    get<QCheckBox>("CheckBoxPWM_enable2")->click();
    EXPECT_EQ(store.pwm(), (PwmControls{true, false, true}));
    type("EditInputName_Virtuel_ch15", QStringLiteral("Both doors"));
    EXPECT_EQ(VirtualInputName(store, 15), QStringLiteral("Both doors"));
    EXPECT_EQ(VirtualInputRecord(store, 14).name, QStringLiteral("Both doors"));
    type("EditBoxName", QStringLiteral("Rescue 7"));
    EXPECT_EQ(store.boxName(), QStringLiteral("Rescue 7"));
    EXPECT_EQ(unit.state().namesDirty, 1);
    type("EditLowVoltageTrig", QStringLiteral("17"));
    EXPECT_EQ(store.lowBattery().lowThreshold, QStringLiteral("12.0"));
    type("EditUpperVoltageTrig", QStringLiteral("18"));
    EXPECT_EQ(store.lowBattery().upperThreshold, QStringLiteral("12.3"));
}

} // namespace

// A character the unit cannot hold is refused at the name edit, never stored.
static void TypeChar(QLineEdit& edit, const char* utf8) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(utf8));
    QApplication::sendEvent(&edit, &press);
}

TEST(NameEdits, RefuseCharactersTheUnitCannotHold) {
    QLineEdit edit;
    QString stored = "unchanged";
    BindText(&edit, 15, [&](const QString& text) { stored = text; });
    ShowText(&edit, "Fan");
    edit.setCursorPosition(3);
    TypeChar(edit, "\xc3\xa4"); // a with umlaut: in the code page
    EXPECT_EQ(stored, QString::fromUtf8("Fan\xc3\xa4"));
    TypeChar(edit, "\xe2\x82\xac"); // euro sign: in the code page too
    EXPECT_EQ(stored, QString::fromUtf8("Fan\xc3\xa4\xe2\x82\xac"));
    TypeChar(edit, "\xe2\x9c\x93"); // check mark: not
    EXPECT_EQ(stored, QString::fromUtf8("Fan\xc3\xa4\xe2\x82\xac"));
    EXPECT_EQ(edit.text(), stored);
}
