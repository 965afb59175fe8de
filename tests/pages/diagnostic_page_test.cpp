// The Diagnostic page draws what the unit sent (red counts, names from the
// store) and the CAN monitor box keeps a bounded memo and an honest switch.
#include "pages/can_monitor_box.h"
#include "pages/diagnostic_page.h"

#include "config/config_store.h"
#include "protocol/message_catalogue.h"
#include "session/can_monitor_control.h"
#include "session/config_workflow.h"

#include <QCheckBox>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <vector>

#include "tests/support/recording_link.h"
#include "tests/support/scripted_prompt.h"

using namespace vm;

namespace {

class DiagnosticPageTest : public ::testing::Test {
protected:
    RecordingLink link;
    UnitSession unit{link, nullptr};
    ConfigStore store;
    ScriptedPrompt prompt;
    DiagnosticPage page{unit, store, prompt};

    QImage render(DiagnosticTableView* view) {
        QImage image(view->sizeHint(), QImage::Format_RGB32);
        QPainter painter(&image);
        view->DrawTable(painter);
        return image;
    }
    // Red pixels inside a cell of the design grid (column x range, data row).
    int redIn(const QImage& image, int x0, int x1, int row) {
        int red = 0;
        const int y0 = DiagnosticTableView::kHeaderHeight + row * DiagnosticTableView::kRowHeight;
        for (int y = y0 + 1; y < y0 + DiagnosticTableView::kRowHeight; ++y)
            for (int x = x0 + 1; x < x1; ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 150 && c.green() < 100 && c.blue() < 100;
            }
        return red;
    }
};

} // namespace

TEST_F(DiagnosticPageTest, CountsAreRedOnlyWhereNonZero) {
    std::vector<std::uint8_t> payload(54, 0);
    payload[0] = 0xF3; // channel 1: short 3, trip > 15
    payload[18] = 25;  // trip level 10.0 A
    payload[36 + 1] = 0x02; // channel 2: two low currents
    unit.Dispatch(LinkPacket::make(kGroupApp, msg::DIAG_HIGH_POWER, payload.data(), int(payload.size())));
    const QImage high = render(page.highPowerView());
    // Columns: name 0..130, short 130..230, trip 230..330, level 330..460, low current 460..560.
    EXPECT_GT(redIn(high, 130, 230, 0), 0);
    EXPECT_GT(redIn(high, 230, 330, 0), 0);
    EXPECT_EQ(redIn(high, 330, 460, 0), 0); // the level is never red
    EXPECT_EQ(redIn(high, 460, 560, 0), 0);
    EXPECT_GT(redIn(high, 460, 560, 1), 0);
    EXPECT_EQ(redIn(high, 130, 230, 1), 0);
    // DIAG_NEXT follows the high-power table.
    EXPECT_EQ(link.commands().back(), msg::DIAG_NEXT);

    unit.Dispatch(LinkPacket::make(kGroupApp, msg::DIAG_LOW_POWER, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    const QImage low = render(page.lowPowerView());
    EXPECT_GT(redIn(low, 130, 230, 15), 0);
    EXPECT_EQ(redIn(low, 130, 230, 14), 0);
}

TEST_F(DiagnosticPageTest, ResetLogAndTheClearedNote) {
    page.BtnClearDiagnosticClick();
    EXPECT_EQ(prompt.messages, QStringList{QString::fromLatin1(kNotConnectedText)});
    EXPECT_TRUE(link.sent.empty());
    unit.SetConnected(true);
    page.BtnClearDiagnosticClick();
    EXPECT_EQ(link.commands(), std::vector<int>{msg::DIAG_CLEAR});
    // The answer reads the tables again and says so without a modal box.
    unit.Dispatch(LinkPacket::make(kGroupApp, msg::DIAG_CLEARED));
    EXPECT_EQ(link.commands().back(), msg::DIAG_READ);
    ASSERT_NE(page.clearedNote(), nullptr);
    EXPECT_EQ(page.clearedNote()->text(), "Diagnostic log cleared");
    EXPECT_TRUE(page.clearedNote()->isVisible());
    EXPECT_EQ(page.clearedNote()->windowModality(), Qt::NonModal);
    EXPECT_EQ(prompt.messages.size(), 1);
    page.clearedNote()->close();
}

TEST(CanMonitorBox, SwitchFollowsTheUnitAndTheMemoIsBounded) {
    RecordingLink link;
    UnitSession unit{link, nullptr};
    CanMonitorControl control{unit};
    CanMonitorBox box{control, unit.canMonitor()};
    box.checkBox()->click(); // not connected: unticked again, nothing sent
    EXPECT_FALSE(box.checkBox()->isChecked());
    EXPECT_TRUE(link.sent.empty());
    unit.SetConnected(true);
    box.checkBox()->click();
    EXPECT_TRUE(box.checkBox()->isChecked());
    control.SwitchOffThen({}); // Read pressed elsewhere
    EXPECT_FALSE(box.checkBox()->isChecked());

    // Lines arrive in batches: held (bounded) until the batch tick, then all shown.
    for (int i = 0; i < CanMonitorBox::kMaxLines + 100; ++i) {
        unit.Dispatch(LinkPacket::make(kGroupApp, msg::CAN_MONITOR_FRAME,
                                       {std::uint8_t(i), 1, 1, std::uint8_t(i)}));
        if (i == 10) {
            EXPECT_EQ(box.memo()->toPlainText(), "");
            box.FlushLines();
            EXPECT_EQ(box.memo()->blockCount(), 11);
        }
    }
    EXPECT_EQ(box.pendingLines(), CanMonitorBox::kMaxLines);
    box.FlushLines();
    EXPECT_EQ(box.memo()->blockCount(), CanMonitorBox::kMaxLines);
    EXPECT_TRUE(box.memo()->toPlainText().endsWith("Can id: 1EB , Data: EB")); // line 5099
}
