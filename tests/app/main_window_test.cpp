#include "app/main_window.h"
#include "tests/support/scripted_prompt.h"
#include "forms/update_form.h"
#include "link/device_directory.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

using namespace vm;

namespace {

class MainFormTest : public ::testing::Test {
protected:
    std::unique_ptr<TMainForm> MakeForm(QList<QPair<QString, QString>> devices = {}) {
        auto link = std::make_unique<UsbThread>(std::make_unique<FixedDirectory>(std::move(devices)), &log);
        return std::make_unique<TMainForm>(std::move(link), log, prompt, AppSettings(settingsPath(), "/start"));
    }
    QString settingsPath() const { return dir.filePath("voltmast-tool.INI"); }
    QByteArray settingsText() const {
        QFile f(settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    TrafficLog log;
    ScriptedPrompt prompt;
};

// Accepts itself as soon as its modal loop runs, noting whether it was fed then.
class ProbeDialog : public QDialog, public PacketReceiver {
public:
    explicit ProbeDialog(std::function<void()> whileShown) {
        QTimer::singleShot(0, this, [this, whileShown] {
            whileShown();
            accept();
        });
    }
    void ReceivePacket(const LinkPacket&) override { ++packets; }
    int packets = 0;
};

} // namespace

TEST_F(MainFormTest, PagesInOrder) {
    auto form = MakeForm();
    EXPECT_EQ(form->windowTitle(), "Voltmast Tool");
    auto* tabs = form->findChild<QTabWidget*>("PageControl1");
    ASSERT_NE(tabs, nullptr);
    const QStringList captions{"General", "Diagnostic", "Inputs", "CAN Inputs", "Virtual Inputs", "CAN Export",
                               "Outputs", "Flash", "Low Battery", "Start Button", "Low Current"};
    ASSERT_EQ(tabs->count(), captions.size());
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        EXPECT_EQ(tabs->widget(i)->objectName(), "TabSheet" + QString(captions[i]).remove(' '));
    }
    EXPECT_EQ(form->currentPage(), 0);
    tabs->setCurrentIndex(4);
    EXPECT_EQ(form->currentPage(), 4);

    // Every tab shows at the design width: nothing shares the tab strip.
    form->resize(AppSettings::kDesignWidth, AppSettings::kDesignHeight);
    form->show();
    EXPECT_EQ(tabs->cornerWidget(Qt::TopRightCorner), nullptr);
    EXPECT_LE(tabs->tabBar()->tabRect(tabs->count() - 1).right(), tabs->width());
}

TEST_F(MainFormTest, MenuCaptionsAndHiddenServiceMenu) {
    auto form = MakeForm();
    const QList<QPair<QString, QStringList>> expected{
        {"&File",
         {"&Open", "Save", "Read               F8", "Upload            F9", "Default settings", "Compare with unit...",
          "Export CAN database...", "&Exit"}},
        {"&Connection", {"&USB"}},
        {"Tools", {"Firmware", "FIA ", "Live plot..."}},
        {"Svc", {"System setup", "Calibration", "Ping Test", "Runtime error", "Eeprom"}},
        {"&Help", {"&About.."}},
    };
    const QList<QAction*> top = form->menuBar()->actions();
    ASSERT_EQ(top.size(), expected.size());
    for (int m = 0; m < top.size(); ++m) {
        EXPECT_EQ(top[m]->text(), expected[m].first);
        QStringList entries;
        for (QAction* a : top[m]->menu()->actions()) entries << a->text();
        EXPECT_EQ(entries, expected[m].second) << expected[m].first.toStdString();
    }
    EXPECT_EQ(form->findChild<QAction*>("MenuRead")->statusTip(), "Read data from Voltmast");
    EXPECT_EQ(form->findChild<QAction*>("MenuUpload")->statusTip(), "Upload data to Voltmast");

    QAction* svc = top[3];
    EXPECT_FALSE(svc->isVisible());
    form->ShowServiceMenu();
    EXPECT_TRUE(svc->isVisible());
}

TEST_F(MainFormTest, StatusBarAndTimersAtStart) {
    auto form = MakeForm();
    EXPECT_EQ(form->statusBar()->objectName(), "StatusBar1");
    EXPECT_EQ(form->StatusText(0), "");
    EXPECT_TRUE(form->timer1().isActive());
    EXPECT_EQ(form->timer1().interval(), 150);
    EXPECT_TRUE(form->timerVersion().isActive());
    EXPECT_EQ(form->timerVersion().interval(), 400);
    EXPECT_FALSE(form->timerSerial().isActive());
    EXPECT_TRUE(form->timerSerial().isSingleShot());
}

TEST_F(MainFormTest, ConnectFailureAndDeviceEvents) {
    auto form = MakeForm();
    form->Connect("No Such Adapter");
    EXPECT_EQ(form->StatusText(0), "NOT CONNECTED");
    EXPECT_EQ(form->session().connected, 0);
    EXPECT_FALSE(form->timerSerial().isActive());

    // Never connected: a loss changes nothing visible.
    form->OnDeviceLost();
    EXPECT_EQ(form->StatusText(0), "NOT CONNECTED");

    // Read and Upload refuse without a unit.
    form->BtnLoadClick();
    form->BtnSaveClick();
    EXPECT_EQ(prompt.messages, QStringList(2, "Is not connected to target, please connect USB"));
}

TEST_F(MainFormTest, ConnectToAPseudoTerminal) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    auto form = MakeForm({{"Test Adapter", QString::fromLocal8Bit(name)}});
    form->Connect("Test Adapter");
    EXPECT_EQ(form->StatusText(0), "USB CONNECTED");
    EXPECT_EQ(form->session().connected, 1);
    EXPECT_TRUE(form->timerSerial().isActive());

    form->timerSerial().stop();
    form->unit().stats().version = "8.12";
    form->OnDeviceLost();
    EXPECT_EQ(form->StatusText(0), "USB DISCONNECTED");
    EXPECT_TRUE(form->unit().stats().version.isEmpty());
    EXPECT_EQ(form->session().connected, 1);
    form->OnDeviceReopened();
    EXPECT_EQ(form->StatusText(0), "USB CONNECTED");
    EXPECT_TRUE(form->timerSerial().isActive());

    // The read after connecting passes the connection check and asks for the
    // version, which a silent terminal never gives.
    form->TimerSerialTimer();
    EXPECT_FALSE(form->timerSerial().isActive());
    EXPECT_EQ(prompt.messages, QStringList{"Timeout for software version"});
    form.reset();
    ::close(master);
    ::close(slave);
}

TEST_F(MainFormTest, ReceivedBadPacketIsLoggedAsChecksumError) {
    auto form = MakeForm();
    QStringList lines;
    QObject::connect(&log, &TrafficLog::line, [&](const QString& text, quint32 colour) {
        lines << QString("%1 #%2").arg(text).arg(colour, 6, 16, QChar('0'));
    });
    struct Spy : PacketReceiver {
        int count = 0;
        void ReceivePacket(const LinkPacket&) override { ++count; }
    } ping;
    form->services().publish(ServiceSlot::Ping, &ping);

    // [chk][5][1][2][3] with a wrong checksum, then a good one.
    const char bad[] = {char(0xC0), 9, 5, 1, 2, 3, char(0xC0)};
    form->ReceiveBytes(QByteArray(bad, sizeof bad));
    const std::uint8_t goodChk = 5 ^ 1 ^ 2 ^ 3;
    const char good[] = {char(0xC0), char(goodChk), 5, 1, 2, 3, char(0xC0)};
    form->ReceiveBytes(QByteArray(good, sizeof good));

    EXPECT_EQ(lines, QStringList{"Checksum error  9 5 1 2 3 #ff0000"});
    EXPECT_EQ(ping.count, 2);
    form->services().withdraw(ServiceSlot::Ping);
}

TEST_F(MainFormTest, TitleFollowsTheConfigurationSource) {
    auto form = MakeForm();
    form->TimerVersionTimer();
    EXPECT_EQ(form->windowTitle(), "Voltmast Tool");
    form->unit().SetConfigFromUnit();
    form->TimerVersionTimer();
    EXPECT_EQ(form->windowTitle(), "Voltmast Tool - [ No Name ]");
    form->store().setBoxName("Truck 7");
    form->TimerVersionTimer();
    EXPECT_EQ(form->windowTitle(), "Voltmast Tool - [ Truck 7 ]");
    form->unit().SetConfigFromFile("fleet.cfg");
    form->TimerVersionTimer();
    EXPECT_EQ(form->windowTitle(), "Voltmast Tool - [ fleet.cfg ]");
}

TEST_F(MainFormTest, ServiceWindowsFedOnlyWhileShown) {
    auto form = MakeForm();
    auto* tabs = form->findChild<QTabWidget*>("PageControl1");
    tabs->setCurrentIndex(1); // "Diagnostic": polling must stay off after FIA

    bool publishedWhileShown = false;
    bool timerOffWhileShown = false;
    ProbeDialog fia([&] {
        publishedWhileShown = form->services().published(ServiceSlot::Fia) != nullptr;
        timerOffWhileShown = !form->timer1().isActive();
        form->Dispatch(LinkPacket::make(1, 1));
    });
    form->RunServiceWindow(fia, &fia, ServiceSlot::Fia, TMainForm::ServiceExtra::Fia);
    EXPECT_TRUE(publishedWhileShown);
    EXPECT_TRUE(timerOffWhileShown);
    EXPECT_EQ(fia.packets, 1);
    EXPECT_EQ(form->services().published(ServiceSlot::Fia), nullptr);
    EXPECT_FALSE(form->timer1().isActive());
    form->Dispatch(LinkPacket::make(1, 1));
    EXPECT_EQ(fia.packets, 1);

    // Firmware from "General": flag only while shown, polling back on after.
    tabs->setCurrentIndex(0);
    bool flagWhileShown = false;
    ProbeDialog firmware([&] { flagWhileShown = form->session().firmwareUpdate == 1; });
    form->RunServiceWindow(firmware, nullptr, std::nullopt, TMainForm::ServiceExtra::Firmware);
    EXPECT_TRUE(flagWhileShown);
    EXPECT_EQ(form->session().firmwareUpdate, 0);
    EXPECT_TRUE(form->timer1().isActive());

    // Created and destroyed by the helper.
    int result = form->ShowServiceWindow<ProbeDialog>(ServiceSlot::Ping, TMainForm::ServiceExtra::None,
                                                      [] {});
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(form->services().published(ServiceSlot::Ping), nullptr);
}

TEST_F(MainFormTest, CancelTransferEndsTheWait) {
    auto form = MakeForm();
    form->transfer().SetStep(TransferStep::ReadCanRules, 0);
    form->waitWindow().show();
    form->CancelTransfer();
    EXPECT_EQ(form->transfer().state(), 0);
    EXPECT_FALSE(form->waitWindow().isVisible());
    EXPECT_FALSE(form->waitWindow().timer().isActive());
}

TEST_F(MainFormTest, PlacementRestoredAndSavedOnClose) {
    {
        auto form = MakeForm();
        EXPECT_EQ(form->width(), 983);
        EXPECT_FALSE(form->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(form->configDirectory(), "/start");
        form->setConfigDirectory("/cfg dir");
        form->show();
        form->showMaximized();
        form->close();
    }
    const QByteArray text = settingsText();
    EXPECT_TRUE(text.contains("InitMax=1")) << text.constData();
    EXPECT_TRUE(text.contains("[CONFIG]\nPATH=/cfg dir")) << text.constData();
    {
        auto form = MakeForm();
        EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(form->configDirectory(), "/cfg dir");
        form->show();
        EXPECT_TRUE(form->isMaximized());
        form->showNormal();
        form->resize(1010, 700);
        form->close();
    }
    const QByteArray after = settingsText();
    EXPECT_TRUE(after.contains("InitMax=0")) << after.constData();
    EXPECT_TRUE(after.contains("Width=1010")) << after.constData();
}
