// Every service tool of the menu opens its window over its logic; a few clicks
// each go through to the logic and back to the controls.
#include "forms/calibration_form.h"
#include "forms/eeprom_form.h"
#include "forms/ping_form.h"
#include "forms/service_forms.h"
#include "protocol/message_catalogue.h"
#include "session/unit_session.h"
#include "tests/support/recording_link.h"
#include "tests/support/scripted_prompt.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace vm;

namespace {
struct Fixture {
    RecordingLink link;
    UnitSession unit{link, nullptr};
    ScriptedPrompt prompt;
    ServiceContext context{unit, prompt, nullptr, {}};
    Fixture() { unit.SetConnected(true); }
};
} // namespace

TEST(ServiceForms, EveryMenuToolExceptFirmwareAndFiaOpensAWindowWithItsReceiver) {
    struct Row {
        ServiceTool tool;
        const char* control; // one control the window must have
    } const rows[] = {{ServiceTool::PingTest, "BtnTimer"},
                      {ServiceTool::SystemSetup, "SerialEdit"},
                      {ServiceTool::RuntimeError, "MemoErrorLog"},
                      {ServiceTool::Eeprom, "EEStringGrid"},
                      {ServiceTool::Calibration, "Btn_NewRation_18"}};
    for (const Row& r : rows) {
        Fixture f;
        const ServiceFormFactory make = ServiceFormOf(r.tool);
        ASSERT_NE(make, nullptr);
        ServiceWindow w = make(f.context, nullptr);
        EXPECT_NE(w.receiver, nullptr);
        EXPECT_NE(w.dialog->findChild<QWidget*>(QLatin1String(r.control)), nullptr) << r.control;
    }
}

TEST(ServiceForms, WindowsShowWhatTheirLogicGets) {
    Fixture f;
    ServiceWindow setup = ServiceFormOf(ServiceTool::SystemSetup)(f.context, nullptr);
    setup.dialog->show(); // asks for the production data
    ASSERT_EQ(f.link.sent.back().command(), msg::SYSTEM_SETUP_READ);
    setup.receiver->ReceivePacket(LinkPacket::make(kGroupApp, msg::SYSTEM_SETUP, {0, 0, 4, 0xD2, 7, 9, 3}));
    EXPECT_EQ(setup.dialog->findChild<QLineEdit*>(QStringLiteral("SerialEdit"))->text(),
              QStringLiteral("00001234"));
    setup.dialog->findChild<QLineEdit*>(QStringLiteral("YearEdit"))->setText(QStringLiteral("2100"));
    const std::size_t sent = f.link.sent.size();
    setup.dialog->findChild<QPushButton*>(QStringLiteral("BtnUpload"))->click();
    EXPECT_EQ(f.link.sent.size(), sent);
    EXPECT_EQ(f.prompt.errors.last(), QStringLiteral(" NOT a Valit Year, 2006-2099"));

    ServiceWindow errors = ServiceFormOf(ServiceTool::RuntimeError)(f.context, nullptr);
    errors.dialog->show();
    errors.receiver->ReceivePacket(LinkPacket::make(kGroupService, msg::ERROR_LOG_COUNT, {0}));
    EXPECT_EQ(errors.dialog->findChild<QPlainTextEdit*>(QStringLiteral("MemoErrorLog"))->toPlainText(),
              QStringLiteral(" Error list count 0"));
}

TEST(ServiceForms, EepromGridEditsSavesAndLoadsBothFormats) {
    Fixture f;
    TEEPROMForm form(f.context);
    EXPECT_EQ(form.model().rowCount(), 256);
    EXPECT_EQ(form.model().columnCount(), 18);
    EXPECT_EQ(form.model().headerData(17, Qt::Horizontal).toString(), QStringLiteral("**** ASCII *****"));
    EXPECT_EQ(form.model().data(form.model().index(2, 0)).toString(), QStringLiteral("0020"));
    form.model().setData(form.model().index(0, 1), QStringLiteral("41"));
    EXPECT_TRUE(form.model().data(form.model().index(0, 17)).toString().startsWith(QLatin1Char('A')));
    QTemporaryDir dir;
    for (const char* file : {"image.txt", "image.bin"}) {
        const QString path = dir.filePath(QLatin1String(file));
        f.prompt.files << path << path;
        form.FileSaveBtnClick();
        form.BufferFillFFBtnClick();
        EXPECT_EQ(form.image().cell(0), QStringLiteral("FF"));
        form.FileLoadBtnClick();
        EXPECT_EQ(form.image().cell(0), QStringLiteral("41")) << file;
        EXPECT_EQ(form.image().cell(0xFFF), QStringLiteral("00")) << file;
        EXPECT_TRUE(f.prompt.errors.isEmpty()) << f.prompt.errors.join(QLatin1Char('\n')).toStdString();
    }
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("image.bin"))).size(), 4096);
    form.findChild<QLineEdit*>(QStringLiteral("EEPROMStartEdit"))->setText(QStringLiteral("0008"));
    form.EEPROMReadBtnClick();
    EXPECT_TRUE(f.link.sent.empty());
    EXPECT_TRUE(f.prompt.errors.last().contains(QLatin1String("16-byte")));
}

TEST(ServiceForms, EepromCellTypingShiftsDigitsInAndRedrawsTheAsciiView) {
    Fixture f;
    TEEPROMForm form(f.context);
    auto* grid = form.findChild<QTableView*>(QStringLiteral("EEStringGrid"));
    form.image().setCell(0x122, QStringLiteral("A5"));
    const QModelIndex cell = form.model().index(0x12, 3);
    ASSERT_EQ(EepromModel::AddressOf(cell), 0x122);
    QAbstractItemDelegate* delegate = grid->itemDelegateForIndex(cell);
    std::unique_ptr<QWidget> editor(delegate->createEditor(grid->viewport(), QStyleOptionViewItem(), cell));
    delegate->setEditorData(editor.get(), cell);
    auto* line = qobject_cast<QLineEdit*>(editor.get());
    ASSERT_NE(line, nullptr);
    struct Key {
        const char *typed, *cell;
    } const keys[] = {{"3", "53"}, {"4", "34"}, {"g", "00"}, {"F", "0F"}};
    for (const Key& k : keys) {
        QTest::keyClicks(line, QLatin1String(k.typed));
        EXPECT_EQ(form.image().cell(0x122), QLatin1String(k.cell)) << k.typed;
        EXPECT_EQ(line->text(), QLatin1String(k.cell)) << k.typed;
    }
    EXPECT_EQ(form.image().cell(0x121), QStringLiteral("00")) << "the neighbour changed";
    form.image().setCell(0x122, QStringLiteral("34"));
    EXPECT_TRUE(
        form.model().data(form.model().index(0x12, 17)).toString().startsWith(QStringLiteral(". . 4. ")));
}

TEST(ServiceForms, EepromReadTimeoutFreesTheButtonsAndSaysPowerUp) {
    Fixture f;
    TEEPROMForm form(f.context);
    auto* read = form.findChild<QPushButton*>(QStringLiteral("EEPROMReadBtn"));
    form.findChild<QLineEdit*>(QStringLiteral("EEPROMStartEdit"))->setText(QStringLiteral("0ff0"));
    form.EEPROMReadBtnClick();
    ASSERT_EQ(f.link.sent.size(), 1u);
    EXPECT_EQ(f.link.sent[0].at(5) | (f.link.sent[0].at(6) << 8), 0x0FF0);
    EXPECT_FALSE(read->isEnabled());
    EXPECT_EQ(read->text(), QStringLiteral("Reading"));
    EXPECT_TRUE(form.transfer().timer().isActive());
    EXPECT_EQ(form.transfer().timer().interval(), 1000);
    form.transfer().ReadWriteTimerTimer();
    EXPECT_TRUE(read->isEnabled());
    EXPECT_EQ(read->text(), QStringLiteral("Read"));
    QCoreApplication::processEvents();
    ASSERT_FALSE(f.prompt.errors.isEmpty());
    EXPECT_EQ(f.prompt.errors.last(), QStringLiteral("Please power up the Target and try again"));
}

TEST(ServiceForms, CalibrationWindowShowsChannelsSendsFlagsAndLeavesTheModeItFound) {
    Fixture f;
    f.unit.SetTestMode(TestMode::Manual);
    TCalibrationForm form(f.context);
    form.show();
    ASSERT_EQ(f.link.sent.back().command(), msg::TEST_MODE_SET);
    EXPECT_EQ(f.link.sent.back().at(4), 2);
    form.logic().ReceivePacket(LinkPacket::make(kGroupApp, msg::TEST_MODE_SET_DONE, {2}));
    form.logic().ReceivePacket(
        LinkPacket::make(kGroupApp, msg::CALIBRATION_DATA, {3, 11, 0x1F, 0x40, 0x00, 0xFA, 0x01, 0x2D}));
    const auto label = [&](const char* name) { return form.findChild<QLabel*>(QLatin1String(name))->text(); };
    EXPECT_EQ(label("Label_AD_3"), QStringLiteral("0301"));
    EXPECT_EQ(label("Label_AD_Offset_3"), QStringLiteral("11"));
    EXPECT_EQ(label("Label_Ratio_3"), QStringLiteral("8000"));
    EXPECT_EQ(label("Label_Amp_ch_3"), QStringLiteral("25.0 A"));
    EXPECT_EQ(label("Label_AD_4"), QStringLiteral("--"));
    form.findChild<QLineEdit*>(QStringLiteral("Edit_Current_3"))->setText(QStringLiteral("25"));
    form.findChild<QPushButton*>(QStringLiteral("Btn_NewRation_3"))->click();
    EXPECT_EQ(label("LabelNewRation_3"), QStringLiteral("8297"));
    form.findChild<QLineEdit*>(QStringLiteral("Edit_Current_4"))->setText(QStringLiteral("25"));
    form.findChild<QPushButton*>(QStringLiteral("Btn_NewRation_4"))->click();
    EXPECT_TRUE(f.prompt.errors.last().startsWith(QStringLiteral("CH 4: "))) << "a channel not yet read";
    EXPECT_EQ(label("LabelNewRation_4"), QString());

    auto* offsets = form.findChild<QCheckBox*>(QStringLiteral("CheckBoxOffset"));
    auto* ratios = form.findChild<QCheckBox*>(QStringLiteral("CheckBoxRation"));
    for (const auto& [box, flags] :
         std::vector<std::pair<QCheckBox*, int>>{{offsets, 2}, {ratios, 6}, {offsets, 4}, {ratios, 0}}) {
        box->click();
        ASSERT_EQ(f.link.sent.back().command(), msg::CALIBRATION_MODE);
        EXPECT_EQ(f.link.sent.back().at(4), flags);
    }
    f.link.sent.clear();
    form.findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    ASSERT_EQ(f.link.commands(), std::vector<int>{msg::TEST_MODE_SET});
    EXPECT_EQ(f.link.sent[0].at(4), 1) << "left the unit in another mode than the main window's";
}

TEST(ServiceForms, PingWindowTimerButtonAndErrorCount) {
    Fixture f;
    TPingForm form(f.context);
    auto* timer = form.findChild<QPushButton*>(QStringLiteral("BtnTimer"));
    auto* interval = form.findChild<QLineEdit*>(QStringLiteral("TimeEdit"));
    EXPECT_EQ(interval->text(), QStringLiteral("500"));
    interval->setText(QStringLiteral("0"));
    timer->click();
    EXPECT_EQ(timer->text(), QStringLiteral("Start timer"));
    EXPECT_FALSE(form.logic().timerRunning());
    EXPECT_EQ(f.prompt.errors.size(), 1);
    interval->setText(QStringLiteral("25"));
    timer->click();
    EXPECT_EQ(timer->text(), QStringLiteral("Stop timer"));
    EXPECT_TRUE(form.logic().timerRunning());
    form.logic().Timer1Timer();
    ASSERT_EQ(f.link.sent.size(), 1u);
    LinkPacket wrong = LinkPacket::make(kGroupService, msg::PING_CFM, &f.link.sent[0].bytes[4], 17);
    wrong.bytes[4] ^= 1; // another count
    wrong.seal();
    form.logic().ReceivePacket(wrong);
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("LabelErrorCount"))->text(), QStringLiteral("1"));
    EXPECT_TRUE(form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))
                    ->toPlainText()
                    .endsWith(QStringLiteral("\n ERROR in data")));
    form.reject(); // closing stops the pinging
    EXPECT_FALSE(form.logic().timerRunning());
}
