// Closing the main window ends the program, even with the traffic log window open.
#include "app/main_window.h"
#include "app/window_lifetime.h"
#include "forms/log_form.h"
#include "link/device_directory.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "tests/support/scripted_prompt.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vm;

TEST(Exit, FileExitEndsTheProgramWhileTheLogWindowIsOpen) {
    QTemporaryDir dir;
    const QString settingsPath = dir.filePath("voltmast-tool.INI");
    TrafficLog log;
    ScriptedPrompt prompt;
    // As main() sets them up.
    TLogForm logForm(log);
    TMainForm mainForm(std::make_unique<UsbThread>(std::make_unique<FixedDirectory>(), &log), log, prompt,
                       AppSettings(settingsPath, dir.path()));
    mainForm.SetLogWindow(&logForm);
    QuitWhenClosed(mainForm);
    mainForm.show();
    mainForm.ShowLogWindow(); // Ctrl+Shift+L
    ASSERT_TRUE(logForm.isVisible());

    auto* exit = mainForm.findChild<QAction*>("MenuExit");
    ASSERT_NE(exit, nullptr);
    QTimer::singleShot(0, exit, &QAction::trigger);
    // Only runs out when the loop does not end by itself.
    QTimer stuck;
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    stuck.start(5000);

    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(stuck.isActive());
    EXPECT_FALSE(mainForm.isVisible());
    EXPECT_TRUE(QFile::exists(settingsPath)); // the settings are still saved on close
}
