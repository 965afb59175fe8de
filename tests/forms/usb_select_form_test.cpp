#include "forms/usb_select_form.h"

#include "link/device_directory.h"
#include "link/usb_thread.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vm;

namespace {

// The three link calls the window makes, recorded.
struct FakeLink {
    QStringList devices;
    int closes = 0;
    QStringList connects;

    UsbSelectLink calls() {
        return {[this] { ++closes; }, [this] { return devices; },
                [this](const QString& d) { connects << d; }};
    }
};

QStringList Items(QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

class UsbSelectFormTest : public ::testing::Test {
protected:
    FakeLink link{{"Voltmast A", "Voltmast B"}, 0, {}};
    TUSB_SelectForm form{link.calls()};
};

} // namespace

TEST_F(UsbSelectFormTest, Controls) {
    EXPECT_EQ(form.windowTitle(), "USB");
    EXPECT_EQ(form.findChild<QPushButton*>("BtnOpen")->text(), "OK");
    EXPECT_EQ(form.findChild<QPushButton*>("BtnCancel")->text(), "Cancel");
    auto* check = form.findChild<QCheckBox*>("CheckBox1");
    EXPECT_EQ(check->text(), "Auto connect");
    EXPECT_EQ(check->toolTip(), "Auto connect to Voltmast at program start");
    EXPECT_TRUE(check->isHidden());
    EXPECT_EQ(form.findChild<QListWidget*>("ListBox1"), &form.list());
    EXPECT_EQ(form.timerUsbList().interval(), 300);
    EXPECT_FALSE(form.timerUsbList().isActive()) << "off until the window activates";
}

TEST_F(UsbSelectFormTest, ActivationClosesLinkAndListsDevices) {
    form.FormActivate();
    EXPECT_EQ(link.closes, 1);
    EXPECT_EQ(Items(form.list()), (QStringList{"Voltmast A", "Voltmast B"}));
    EXPECT_EQ(form.list().currentRow(), 0);
    EXPECT_TRUE(form.list().item(0)->isSelected());
    EXPECT_TRUE(form.timerUsbList().isActive());

    // Coming back to the window lists again.
    link.devices = {"Voltmast C"};
    form.FormActivate();
    EXPECT_EQ(link.closes, 2);
    EXPECT_EQ(Items(form.list()), QStringList{"Voltmast C"});
}

TEST_F(UsbSelectFormTest, ShowingTheWindowActivatesIt) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form, 1000));
    EXPECT_GE(link.closes, 1);
    EXPECT_EQ(form.list().count(), 2);
    form.BtnCancelClick();
}

TEST_F(UsbSelectFormTest, RefreshOnlyWhenTheCountChanges) {
    form.FormActivate();
    form.list().setCurrentRow(1);

    link.devices = {"Other 1", "Other 2"}; // same count: not shown
    form.TimerUsbListTimer();
    EXPECT_EQ(Items(form.list()), (QStringList{"Voltmast A", "Voltmast B"}));
    EXPECT_EQ(form.list().currentRow(), 1) << "the user's choice stays";

    link.devices << "Plugged in"; // one more: relisted, first selected
    form.TimerUsbListTimer();
    EXPECT_EQ(Items(form.list()), (QStringList{"Other 1", "Other 2", "Plugged in"}));
    EXPECT_EQ(form.list().currentRow(), 0);

    link.devices.clear(); // all unplugged
    form.TimerUsbListTimer();
    EXPECT_EQ(form.list().count(), 0);
    EXPECT_EQ(link.closes, 1) << "the timer never touches the link";
}

TEST_F(UsbSelectFormTest, OkConnectsTheSelectedDevice) {
    form.FormActivate();
    form.list().setCurrentRow(1);
    form.BtnOpenClick();
    EXPECT_EQ(link.closes, 2) << "closed again before connecting";
    EXPECT_EQ(link.connects, QStringList{"Voltmast B"});
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.timerUsbList().isActive());
}

TEST_F(UsbSelectFormTest, OkWithoutDevicesOnlyCloses) {
    link.devices.clear();
    form.FormActivate();
    form.BtnOpenClick();
    EXPECT_TRUE(link.connects.isEmpty());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.timerUsbList().isActive());
}

TEST_F(UsbSelectFormTest, CancelLeavesTheLinkClosed) {
    form.FormActivate();
    form.BtnCancelClick();
    EXPECT_TRUE(link.connects.isEmpty());
    EXPECT_EQ(link.closes, 1);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(form.timerUsbList().isActive());
}

// Through the real link thread: unnamed and absent adapters are never listed.
TEST(UsbSelectFormOverThread, ListsNamedAttachedAdapters) {
    UsbThread thread(
        std::make_unique<FixedDirectory>(QList<QPair<QString, QString>>{{"Adapter A", "/dev/null"},
                                                                        {"", "/dev/null"},
                                                                        {"Unplugged", "/nonexistent/ttyUSB9"},
                                                                        {"Adapter B", "/dev/zero"}}),
        nullptr);
    QStringList connects;
    TUSB_SelectForm form(UsbSelectLink::Over(thread, [&](const QString& d) { connects << d; }));
    form.FormActivate();
    EXPECT_EQ(Items(form.list()), (QStringList{"Adapter A", "Adapter B"}));
    form.list().setCurrentRow(1);
    form.BtnOpenClick();
    EXPECT_EQ(connects, QStringList{"Adapter B"});
    EXPECT_EQ(thread.state(), LinkState::Closed);
}
