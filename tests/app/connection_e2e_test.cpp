// Choosing the simulated unit, watching it live, unplugging and replugging it:
// the real link over a pseudo-terminal, the timer handlers called by the test.
#include "app/main_window.h"
#include "tests/support/scripted_prompt.h"
#include "forms/update_form.h"
#include "link/device_directory.h"
#include "link/traffic_log.h"
#include "forms/usb_select_form.h"
#include "link/usb_thread.h"
#include "sim/sim_pty.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/support/wait_for.h"

using namespace vm;

namespace {


QString text(TMainForm& form, const char* name) {
    auto* w = form.findChild<QWidget*>(QString::fromLatin1(name));
    return w ? w->property("text").toString() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

} // namespace

TEST(ConnectionEndToEnd, SelectWatchUnplugAndReplug) {
    sim::SimOptions options;
    options.paced = false;
    sim::SimPty unit(options);
    ASSERT_TRUE(unit.start());
    QTemporaryDir dir;
    TrafficLog log;
    ScriptedPrompt prompt;
    auto link = std::make_unique<UsbThread>(
        std::make_unique<FixedDirectory>(QList<QPair<QString, QString>>{
            {"Voltmast Simulator", QString::fromStdString(unit.path())}}),
        &log);
    TMainForm form(std::move(link), log, prompt, AppSettings(dir.filePath("t.INI"), dir.path()));
    form.timer1().stop(); // the test drives the cycles itself
    form.timerVersion().stop();

    TUSB_SelectForm select(UsbSelectLink::Over(form.link(), [&](const QString& d) { form.Connect(d); }));
    select.FormActivate();
    auto* list = select.findChild<QListWidget*>("ListBox1");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->currentItem()->text(), "Voltmast Simulator");
    select.BtnOpenClick();
    EXPECT_EQ(form.StatusText(0), "USB CONNECTED");
    EXPECT_TRUE(form.timerSerial().isActive());
    EXPECT_EQ(form.timerSerial().interval(), 400);
    form.timerSerial().stop();

    // One poll round fills the General page.
    for (int i = 0; i < 3; ++i) form.Timer1Timer();
    ASSERT_TRUE(waitFor([&] { return text(form, "LabelInput1State") == "On"; }));
    ASSERT_TRUE(waitFor([&] { return text(form, "BtnLowPowerCh34") != "---"; }));
    EXPECT_TRUE(text(form, "lblCurrentSum").endsWith(" A"));
    EXPECT_TRUE(text(form, "lblVbat").endsWith(" V"));
    EXPECT_EQ(text(form, "BtnHighPowerCh1"), "On");
    EXPECT_TRUE(text(form, "ch1State").endsWith(" A"));

    // Unplugged: reported and blanked at once, long before the silence rule would.
    unit.disconnectFor(300);
    ASSERT_TRUE(waitFor([&] { return form.StatusText(0) == "USB DISCONNECTED"; }));
    EXPECT_EQ(text(form, "lblCurrentSum"), "--");
    EXPECT_EQ(text(form, "BtnHighPowerCh1"), "Off");
    EXPECT_TRUE(form.unit().stats().version.isEmpty());

    // Back under the same name: reconnected, and a read is due 400 ms later.
    ASSERT_TRUE(waitFor([&] { return form.StatusText(0) == "USB CONNECTED"; }));
    EXPECT_TRUE(form.timerSerial().isActive());
    form.timerSerial().stop();

    // The read begins with the version gate, which the simulated unit passes.
    form.timerVersion().start();
    form.TimerSerialTimer();
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join("; ").toStdString();
    EXPECT_EQ(form.unit().stats().version, "8.12");

    // ... and the whole configuration arrives; the wait window closes by itself.
    EXPECT_EQ(form.transfer().blocksApplied(), 106);
    EXPECT_FALSE(form.waitWindow().isVisible());
    EXPECT_EQ(form.session().transferInProgress, 0);
    form.RebuildTitle();
    EXPECT_EQ(form.windowTitle(), QString("Voltmast Tool - [ %1 ]").arg(form.store().boxName()));
    EXPECT_FALSE(form.store().boxName().isEmpty());
}
