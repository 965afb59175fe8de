// Every service tool of the menu opens its window over its logic; a few clicks
// each go through to the logic and back to the controls.
#include "forms/eeprom_form.h"
#include "forms/service_forms.h"
#include "protocol/message_catalogue.h"
#include "session/unit_session.h"
#include "tests/support/recording_link.h"
#include "tests/support/scripted_prompt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    } const rows[] = {{ServiceTool::PingTest, "BtnTimer"},        {ServiceTool::SystemSetup, "SerialEdit"},
                      {ServiceTool::RuntimeError, "MemoErrorLog"}, {ServiceTool::Eeprom, "EEStringGrid"},
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
    EXPECT_EQ(setup.dialog->findChild<QLineEdit*>(QStringLiteral("SerialEdit"))->text(), QStringLiteral("00001234"));
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
