// The CAN Export page: identifiers, refresh times and row counts the unit
// cannot take are refused at the edit, the data boxes write their index and
// keep it through renames.
#include "config/block_accessors.h"
#include "tests/pages/page_fixture.h"

#include <QTabWidget>

using namespace vm;

namespace {

class CanExportPageTest : public vm::testing::PageFixture {};

TEST_F(CanExportPageTest, EditsTakeOnlyWhatTheUnitCanSend) {
    struct Case {
        const char* control;
        const char* typed;
        bool finish;        // leave the edit afterwards
        const char* shown;  // what the edit holds
        const char* stored; // what the store holds
    };
    const Case cases[] = {
        {"EditCAN_ID_Export1", "7ff", false, "7FF", "7FF"},
        {"EditCAN_ID_Export1", "800", false, "80", "80"},    // past 0x7FF
        {"EditCAN_ID_Export1", "1G2", false, "12", "12"},    // not hexadecimal
        {"EditCAN_ID_Export1", "0123", false, "012", "012"}, // four digits
        {"EditCAN_ID_Export1", "", true, "012", "012"},      // cleared: the stored one comes back
        {"Edit_REFRESS_Export1", "5", false, "5", "20"},
        {"Edit_REFRESS_Export1", "5", true, "20", "20"},
        {"Edit_REFRESS_Export1", "1000", false, "1000", "1000"},
        {"Edit_REFRESS_Export1", "70000", false, "7000", "7000"}, // past 16 bits
        {"Edit_REFRESS_Export1", "65535", false, "65535", "65535"},
        {"Edit_REFRESS_Export1", "1a", true, "20", "20"},
        {"Edit_REFRESS_Export1", "", true, "20", "20"},
    };
    for (const Case& c : cases) {
        type(QString::fromLatin1(c.control), QString::fromLatin1(c.typed));
        if (c.finish) finish(QString::fromLatin1(c.control));
        EXPECT_EQ(edit(QString::fromLatin1(c.control))->text(), QString::fromLatin1(c.shown))
            << c.control << c.typed;
        const CanExportControls e = store.canExport(1);
        const QString stored = QString::fromLatin1(c.control).startsWith(u"EditCAN_ID") ? e.id : e.refresh;
        EXPECT_EQ(stored, QString::fromLatin1(c.stored)) << c.control << c.typed;
    }
    type("EditCAN_ID_Export3", QStringLiteral("1a5"));
    EXPECT_EQ(store.canExport(3).id, QStringLiteral("1A5"));
    EXPECT_EQ(store.canExport(1).id, QStringLiteral("012"));
}

TEST_F(CanExportPageTest, RowCountEnablesItsCounterBoxes) {
    struct Case {
        const char* typed;
        const char* shown;
        int enabled;
    };
    const Case cases[] = {{"3", "3", 3}, {"0", "0", 0}, {"20", "12", 12}, {"13", "12", 12}, {"7", "7", 7}};
    for (const Case& c : cases) {
        type("EditCAN_EXPORT_1_RowCounter", QString::fromLatin1(c.typed));
        EXPECT_EQ(edit("EditCAN_EXPORT_1_RowCounter")->text(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(store.canExport(1).rowCount, QString::fromLatin1(c.shown)) << c.typed;
        for (int b = 1; b <= 18; ++b)
            EXPECT_EQ(box(QStringLiteral("ComboBox_CAN_Export1_DataByte%1").arg(b))->isEnabled(),
                      b <= 6 || b - 6 <= c.enabled)
                << c.typed << " box " << b;
    }
    type("EditCAN_EXPORT_1_RowCounter", QStringLiteral("x"));
    EXPECT_EQ(store.canExport(1).rowCount, QStringLiteral("7"));
    finish("EditCAN_EXPORT_1_RowCounter");
    EXPECT_EQ(edit("EditCAN_EXPORT_1_RowCounter")->text(), QStringLiteral("7"));
}

TEST_F(CanExportPageTest, DataBoxesWriteTheirPositionAndSurviveRenames) {
    struct Case {
        const char* control;
        int exportNo;
        int position;
        int index;
    };
    const Case cases[] = {
        {"ComboBox_CAN_Export1_DataByte1", 1, 0, 18},      {"ComboBox_CAN_Export1_DataByte18", 1, 17, 3},
        {"ComboBox_CAN_Export2_DataByte1_Bit0", 2, 15, 5}, {"ComboBox_CAN_Export2_DataByte4_Bit6", 2, 33, 34},
        {"ComboBox_CAN_Export3_DataByte0_Bit7", 3, 0, 1},  {"ComboBox_CAN_Export4_DataByte7_Bit0", 4, 63, 5},
    };
    for (const Case& c : cases) {
        pick(QString::fromLatin1(c.control), c.index);
        EXPECT_EQ(store.canExport(c.exportNo).boxes.at(static_cast<std::size_t>(c.position)), c.index)
            << c.control;
    }
    pick("ComboBox_CAN_Export1_DataByte1", 0);
    EXPECT_EQ(store.canExport(1).boxes[0], 0);
    EXPECT_EQ(get<QTabWidget>("TabbedNotebook2")->tabText(3), QStringLiteral("CAN_Export 4"));
    EXPECT_EQ(box("ComboBox_CAN_Export1_DataByte2")->count(), 19);
    EXPECT_EQ(box("ComboBox_CAN_Export4_DataByte0_Bit7")->count(), 35);
    EXPECT_EQ(box("ComboBox_CAN_Export2_DataByte0_Bit7")->itemText(0), QStringLiteral("DISABLED"));

    SetOutputName(store, 5, QStringLiteral("Wipers"));
    tick();
    EXPECT_EQ(box("ComboBox_CAN_Export2_DataByte1_Bit0")->currentText(), QStringLiteral("Wipers"));
    EXPECT_EQ(box("ComboBox_CAN_Export4_DataByte7_Bit0")->currentIndex(), 5);
    EXPECT_EQ(box("ComboBox_CAN_Export1_DataByte5")->itemText(5), QStringLiteral("Wipers"));
    EXPECT_EQ(store.canExport(2).boxes[15], 5);

    // A block from the unit or a file shows at once.
    CanExportControls loaded = store.canExport(4);
    loaded.id = QStringLiteral("3C0");
    loaded.enable = true;
    loaded.boxes[63] = 34;
    store.setCanExport(4, loaded);
    EXPECT_EQ(edit("EditCAN_ID_Export4")->text(), QStringLiteral("3C0"));
    EXPECT_TRUE(get<QCheckBox>("CheckBoxCAN_Export4")->isChecked());
    EXPECT_EQ(box("ComboBox_CAN_Export4_DataByte7_Bit0")->currentIndex(), 34);
}

TEST_F(CanExportPageTest, EveryExportFitsTheDesignWidth) {
    // 983 pixels of window: the 8 bit boxes of a row must not need a scroll bar.
    auto* notebook = get<QTabWidget>("TabbedNotebook2");
    for (int i = 0; i < notebook->count(); ++i)
        EXPECT_LE(notebook->widget(i)->sizeHint().width(), 960) << i;
}

} // namespace
