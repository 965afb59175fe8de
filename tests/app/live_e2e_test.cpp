// Manual test and the CAN monitor switch from the window against the simulated
// unit in this process: clicks switch the unit's outputs, the keypad toggle
// sweeps them without holding the window, and a '/' typed into a text does not.
#include "app/main_window.h"
#include "forms/compare_form.h"
#include "link/device_directory.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "pages/can_monitor_box.h"
#include "pages/diagnostic_page.h"
#include "pages/general_page.h"
#include "session/can_monitor_control.h"
#include "session/manual_test.h"
#include "simport/sim_device.h"
#include "ui/channel_button.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "tests/support/scripted_prompt.h"

using namespace vm;

namespace {

class LiveEndToEnd : public ::testing::Test {
protected:
    LiveEndToEnd() {
        auto directory = std::make_unique<SerialPortDirectory>();
        sim::SimOptions options;
        options.paced = false;
        unit = sim::AddSimDevice(*directory, options);
        form = std::make_unique<TMainForm>(std::make_unique<UsbThread>(std::move(directory), &log), log,
                                           prompt, AppSettings(dir.filePath("t.INI"), dir.path()));
        form->Connect(QStringLiteral("Voltmast Simulator"));
        form->timerSerial().stop(); // no read after connect
    }
    bool simChannelOn(int channel) {
        bool on = false;
        unit->changeState([&](sim::SimState& s) { on = s.channel(channel).on; });
        return on;
    }
    // The timer's steps, each after the link has sent the one before (as 25 ms would).
    void sweep() {
        for (int i = 0; i < 34 && form->manualTest().sweeping(); ++i) {
            form->manualTest().SweepStep();
            (void)QTest::qWaitFor([&] { return form->link().pendingFrames() == 0; }, 1000);
        }
    }
    int simChannelsOn() {
        int n = 0;
        for (int ch = 1; ch <= 34; ++ch)
            n += simChannelOn(ch);
        return n;
    }

    QTemporaryDir dir;
    TrafficLog log;
    ScriptedPrompt prompt;
    std::shared_ptr<sim::SimDevice> unit;
    std::unique_ptr<TMainForm> form;
};

} // namespace

TEST_F(LiveEndToEnd, ManualTestSwitchesTheUnitsOutputs) {
    ChannelButton* button = form->generalPage().channelButton(5);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isEnabled());
    form->findChild<QRadioButton*>("RadioButtonManuel")->click();
    ASSERT_TRUE(button->isEnabled());
    const bool wasOn = simChannelOn(5);
    button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return simChannelOn(5) != wasOn; }, 3000));
    // The button follows only when the unit reports the new state.
    const QString shown = QString::fromLatin1(wasOn ? "Off" : "On");
    EXPECT_TRUE(QTest::qWaitFor([&] { return button->text() == shown; }, 3000))
        << button->text().toStdString();

    // A '/' typed into a name switches nothing.
    auto* tabs = form->findChild<QTabWidget*>("PageControl1");
    form->show();
    auto* name = form->findChild<QLineEdit*>("EditOutputName_ch3");
    tabs->setCurrentIndex(6);
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_FALSE(form->manualTest().sweeping());
    EXPECT_TRUE(name->text().endsWith('/'));

    // From anywhere else the keypad toggle sweeps every output off, paced by
    // the timer; the test steps it.
    tabs->setCurrentIndex(0);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Slash, Qt::KeypadModifier);
    ASSERT_TRUE(form->manualTest().sweeping());
    sweep();
    EXPECT_FALSE(form->manualTest().sweeping());
    EXPECT_TRUE(QTest::qWaitFor([&] { return simChannelsOn() == 0; }, 3000));
    QTest::keyClick(button, Qt::Key_Slash, Qt::KeypadModifier);
    sweep();
    EXPECT_TRUE(QTest::qWaitFor([&] { return simChannelsOn() == 34; }, 3000)) << simChannelsOn();
}

TEST_F(LiveEndToEnd, ReadWaitsForTheMonitorToStopAndRunsOnce) {
    auto* box = form->canMonitorBox().checkBox();
    box->click();
    ASSERT_TRUE(box->isChecked());
    form->BtnLoadClick(); // monitor off, then the read after the pause
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(form->canMonitor().pausing());
    form->BtnLoadClick(); // F8 again during the pause: nothing more
    form->BtnSaveClick();
    form->canMonitor().pauseTimer().stop();
    form->canMonitor().PauseEnded(); // the read runs now, to its end
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join(';').toStdString();
    EXPECT_TRUE(prompt.questions.isEmpty()); // no upload's reboot question
    EXPECT_FALSE(form->workflow().busy());
    EXPECT_FALSE(form->canMonitor().pausing());
}

TEST_F(LiveEndToEnd, CompareWithUnitListsTheOneDifference) {
    form->BtnLoadClick(); // the unit's configuration, saved as the reference
    const QString path = dir.filePath("ref.cfg");
    ASSERT_EQ(form->workflow().Save(path), ConfigWorkflow::SaveResult::Saved);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray text = f.readAll();
    f.close();
    const qsizetype at = text.indexOf("\nMAX_CURRENT3=");
    ASSERT_GE(at, 0);
    text.insert(text.indexOf('\n', at + 1), "7"); // 100 -> 1007 tenths
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();

    form->CompareWithUnit(path);
    ASSERT_NE(form->compareWindow(), nullptr) << prompt.errors.join(';').toStdString();
    auto* compare = static_cast<TCompareForm*>(form->compareWindow());
    EXPECT_TRUE(compare->summary().startsWith("1 values differ")) << compare->summary().toStdString();
    EXPECT_TRUE(compare->linesText().startsWith("OUTPUT.MAX_CURRENT3: "))
        << compare->linesText().toStdString();
    compare->close();
}

TEST_F(LiveEndToEnd, LivePlotPollsOnEveryPageWhileOpen) {
    auto* tabs = form->findChild<QTabWidget*>("PageControl1");
    tabs->setCurrentIndex(6);
    EXPECT_FALSE(form->timer1().isActive());
    form->MenuLivePlotClick();
    ASSERT_NE(form->livePlotWindow(), nullptr);
    EXPECT_TRUE(form->timer1().isActive());
    form->livePlotWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form->livePlotWindow(), nullptr);
    EXPECT_FALSE(form->timer1().isActive());
}

TEST_F(LiveEndToEnd, DiagnosticPageShowsAndClearsTheUnitsCounters) {
    unit->changeState([](sim::SimState& s) {
        s.diagnostics.setShorts(3, 20);
        s.diagnostics.setTrips(3, 2, 25);
        s.diagnostics.setShorts(20, 4);
    });
    DiagnosticPage& page = form->diagnosticPage();
    form->findChild<QTabWidget*>("PageControl1")
        ->setCurrentIndex(kPageDiagnostic); // DIAG_READ, then DIAG_NEXT
    const DiagnosticsTable& table = page.reader().table();
    const auto lowShorts = [&] { return table.low[1] ? table.low[1]->shortCircuit.text : QString(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return lowShorts() == "4"; }, 3000));
    ASSERT_TRUE(table.high[2]);
    EXPECT_EQ(table.high[2]->shortCircuit.text, "> 15");
    EXPECT_EQ(table.high[2]->tripLevel, "10.0");

    page.BtnClearDiagnosticClick(); // DIAG_CLEAR, DIAG_CLEARED, and both tables again
    ASSERT_TRUE(QTest::qWaitFor([&] { return lowShorts() == "0"; }, 3000));
    EXPECT_EQ(table.high[2]->shortCircuit.text, "0");
    ASSERT_NE(page.clearedNote(), nullptr);
    EXPECT_EQ(page.clearedNote()->text(), kDiagnosticClearedText);
}
