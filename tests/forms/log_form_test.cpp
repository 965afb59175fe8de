#include "forms/log_form.h"
#include "link/traffic_log.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace vm;

namespace {

QColor ColourOfBlock(const QPlainTextEdit& edit, int block) {
    const QTextBlock b = edit.document()->findBlockByNumber(block);
    return b.begin().fragment().charFormat().foreground().color();
}

} // namespace

TEST(LogForm, LayoutAndHidden) {
    TrafficLog log;
    TLogForm form(log);
    EXPECT_EQ(form.windowTitle(), "LogForm");
    EXPECT_EQ(form.size(), QSize(918, 738));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.richEdit()->isReadOnly());
    EXPECT_EQ(form.richEdit()->objectName(), "RichEdit");
}

TEST(LogForm, LinesAppearInTheirWindowsColour) {
    TrafficLog log;
    TLogForm form(log);
    form.show();
    log.LogLine("-> Tx;add to Tx buffer:  192 4 192", 0x008000);
    log.LogLine("Serial Error: Resend last tx frame", 0x0000FF);
    log.LogLine("Checksum error  1 4 1 2", 0xFF0000);
    const QPlainTextEdit& edit = *form.richEdit();
    ASSERT_EQ(edit.document()->blockCount(), 3);
    EXPECT_EQ(edit.document()->findBlockByNumber(2).text(), "Checksum error  1 4 1 2");
    EXPECT_EQ(ColourOfBlock(edit, 0), QColor(0, 0x80, 0));
    EXPECT_EQ(ColourOfBlock(edit, 1), QColor(0xFF, 0, 0));
    EXPECT_EQ(ColourOfBlock(edit, 2), QColor(0, 0, 0xFF));
}

TEST(LogForm, OfflineTogglesAndSilences) {
    TrafficLog log;
    TLogForm form(log);
    form.show();
    form.offlineAction()->trigger();
    EXPECT_TRUE(log.offline());
    EXPECT_TRUE(form.offlineAction()->isChecked());
    log.LogLine("hidden", 0);
    EXPECT_TRUE(form.richEdit()->document()->isEmpty());
    form.offlineAction()->trigger();
    EXPECT_FALSE(log.offline());
    EXPECT_FALSE(form.offlineAction()->isChecked());
    log.LogLine("shown", 0);
    EXPECT_EQ(form.richEdit()->toPlainText(), "shown");
}

TEST(LogForm, ClearEmptiesAndIsHarmlessWhenEmpty) {
    TrafficLog log;
    TLogForm form(log);
    form.show();
    form.ClearClick();
    EXPECT_TRUE(form.richEdit()->document()->isEmpty());
    log.LogLine("a", 0);
    log.LogLine("b", 0);
    form.ClearClick();
    EXPECT_TRUE(form.richEdit()->document()->isEmpty());
    log.LogLine("c", 0);
    EXPECT_EQ(form.richEdit()->toPlainText(), "c");
}

TEST(LogForm, KeepsOnlyTheLastLines) {
    TrafficLog log;
    TLogForm form(log);
    form.show();
    for (int i = 0; i < TLogForm::kMaxLines + 100; ++i)
        log.LogLine(QString("line %1").arg(i), 0x008000);
    const QTextDocument& doc = *form.richEdit()->document();
    EXPECT_EQ(doc.blockCount(), TLogForm::kMaxLines);
    EXPECT_EQ(doc.firstBlock().text(), "line 100");
    EXPECT_EQ(doc.lastBlock().text(), QString("line %1").arg(TLogForm::kMaxLines + 99));
}

// Hidden, the window costs nothing per frame: the log keeps the raw frames
// (bounded) and formats them when the window is shown.
TEST(LogForm, HiddenLogHoldsFramesUntilShown) {
    TrafficLog log;
    TLogForm form(log);
    const std::uint8_t frame[] = {192, 4, 1, 6, 192};
    for (std::size_t i = 0; i < TrafficLog::kHeldLines + 10; ++i)
        log.LogTxFrame(frame, 5);
    log.LogLine("Checksum error  1 4 1 2", 0xFF0000);
    EXPECT_EQ(form.richEdit()->document()->isEmpty(), true);
    EXPECT_EQ(log.held(), TrafficLog::kHeldLines);
    form.show();
    EXPECT_EQ(log.held(), 0u);
    const QTextDocument& doc = *form.richEdit()->document();
    EXPECT_EQ(doc.blockCount(), TLogForm::kMaxLines);
    EXPECT_EQ(doc.findBlockByNumber(0).text(), "-> Tx;add to Tx buffer:  192 4 1 6 192");
    EXPECT_EQ(doc.lastBlock().text(), "Checksum error  1 4 1 2");
    form.hide();
    log.LogTxFrame(frame, 5);
    EXPECT_EQ(log.held(), 1u);
}

// With no log window at all nobody reads the lines: frames are held, not formatted.
TEST(LogForm, NoWindowNoLines) {
    TrafficLog log;
    const std::uint8_t frame[] = {192, 4, 1, 6, 192};
    log.LogTxFrame(frame, 5);
    EXPECT_EQ(log.held(), 1u);
    TLogForm form(log);
    form.show();
    EXPECT_EQ(form.richEdit()->document()->findBlockByNumber(0).text(),
              "-> Tx;add to Tx buffer:  192 4 1 6 192");
}
