// Edits made on the pages reach the unit and come back: a value typed into
// the Outputs page is uploaded, the store is reset, and a read shows it again.
#include "app/main_window.h"
#include "link/device_directory.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "simport/sim_device.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "tests/support/scripted_prompt.h"

using namespace vm;

TEST(PagesEndToEnd, EditsOnThePagesReachTheUnitAndComeBack) {
    QTemporaryDir dir;
    TrafficLog log;
    ScriptedPrompt prompt; // No to the reboot question
    auto directory = std::make_unique<SerialPortDirectory>();
    sim::SimOptions options;
    options.paced = false;
    auto unit = sim::AddSimDevice(*directory, options);
    TMainForm form(std::make_unique<UsbThread>(std::move(directory), &log), log, prompt,
                   AppSettings(dir.filePath("t.INI"), dir.path()));
    form.Connect(QStringLiteral("Voltmast Simulator"));
    form.timerSerial().stop(); // the test reads itself

    auto* current = form.findChild<QLineEdit*>("EditMaxCurrentCH3");
    auto* name = form.findChild<QLineEdit*>("EditOutputName_ch3");
    ASSERT_TRUE(current && name);
    current->selectAll();
    QTest::keyClicks(current, "12,5");
    name->selectAll();
    QTest::keyClicks(name, "Beacon");
    EXPECT_EQ(form.store().output(3).maxCurrent, "12.5");

    form.BtnSaveClick(); // version check, upload, "Reboot?" No
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join(';').toStdString();
    EXPECT_EQ(prompt.questions.value(0), "Reboot Target to use new settings?");

    form.store().Reset();
    EXPECT_NE(current->text(), "12.5");
    form.BtnLoadClick();
    EXPECT_EQ(current->text(), "12.5");
    EXPECT_EQ(name->text(), "Beacon");
    EXPECT_FALSE(form.windowTitle().contains('*'));
}
