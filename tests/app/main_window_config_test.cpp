// Read, Upload, Default settings, Open and Save as the main window runs them.
#include "app/main_window.h"
#include "session/edit_tracker.h"
#include "tests/support/scripted_prompt.h"
#include "forms/update_form.h"
#include "config/block_accessors.h"
#include "link/device_directory.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "protocol/message_catalogue.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using namespace vm;

namespace {

class MainFormConfigTest : public ::testing::Test {
protected:
    MainFormConfigTest() {
        auto link = std::make_unique<UsbThread>(std::make_unique<FixedDirectory>(), &log);
        form = std::make_unique<TMainForm>(std::move(link), log, prompt,
                                           AppSettings(dir.filePath("t.INI"), dir.path()));
        form->timer1().stop();
        form->timerVersion().stop();
    }
    QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    TrafficLog log;
    ScriptedPrompt prompt;
    std::unique_ptr<TMainForm> form;
};

} // namespace

TEST_F(MainFormConfigTest, DefaultSettingsAnsweredNoSendsNothing) {
    form->unit().SetConnected(true);
    prompt.answers = {false};
    form->BtnDefaultValueClick();
    EXPECT_EQ(prompt.questions, QStringList{"This will reset the Voltmast to factory settings?"});
    EXPECT_EQ(form->link().pendingFrames(), 0);
}

TEST_F(MainFormConfigTest, UploadWithoutAnswerTimesOutAndStillAsksToReboot) {
    form->unit().SetConnected(true); // the link stays closed: nothing ever answers
    QTimer::singleShot(0, form.get(), [&] {
        for (int i = 0; i < 302 && form->waitWindow().isVisible(); ++i) form->waitWindow().Timer1Timer();
    });
    form->UploadConfiguration();
    EXPECT_EQ(prompt.messages, QStringList{" Update timeout "});
    EXPECT_EQ(prompt.questions, QStringList{"Reboot Target to use new settings?"});
    EXPECT_EQ(form->link().pendingFrames(), 1); // input 1, and no reboot on No
    EXPECT_EQ(form->transfer().state(), 0); // stopped before the question: nothing more goes out
    EXPECT_EQ(form->session().transferInProgress, 0);
}

TEST_F(MainFormConfigTest, EscapeOrClosingTheWaitWindowCancelsTheChain) {
    form->unit().SetConnected(true); // the link stays closed: only late answers we hand in arrive
    struct Case {
        bool upload;
        bool escape; // else the window manager's close button
    };
    for (const Case c : {Case{false, true}, Case{true, true}, Case{true, false}}) {
        prompt.questions.clear();
        QStringList askedDuringWait{"not run"};
        QTimer::singleShot(0, form.get(), [&] {
            askedDuringWait = prompt.questions;
            if (c.escape) QTest::keyClick(&form->waitWindow(), Qt::Key_Escape);
            else form->waitWindow().close();
        });
        if (c.upload) form->UploadConfiguration();
        else form->ReadConfiguration();
        EXPECT_TRUE(askedDuringWait.isEmpty());
        EXPECT_FALSE(form->waitWindow().isVisible());
        EXPECT_EQ(form->transfer().state(), 0);
        EXPECT_EQ(form->session().transferInProgress, 0);
        if (!c.upload) continue;
        EXPECT_EQ(prompt.questions, QStringList{"Reboot Target to use new settings?"});
        const int queued = form->link().pendingFrames();
        form->unit().Dispatch(LinkPacket::make(kGroupApp, msg::INPUT_CFG_WRITE_DONE, {1}));
        EXPECT_EQ(form->link().pendingFrames(), queued) << "the cancelled upload went on";
    }
}

TEST_F(MainFormConfigTest, SaveThenOpenRoundTripsAndNamesTheFileInTheTitle) {
    form->store().setBoxName("Unit A");
    OutputControls out = form->store().output(3);
    out.name = "Beacon";
    form->store().setOutput(3, out);

    prompt.files = {dir.filePath("setup.txt")};
    form->MenuSaveClick();
    const QString saved = dir.filePath("setup.cfg");
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_FALSE(QFile::exists(dir.filePath("setup.txt"))); // nothing made at the name typed
    EXPECT_TRUE(prompt.errors.isEmpty()) << prompt.errors.join(";").toStdString();

    form->store().setOutput(3, OutputControls{});
    prompt.files = {saved};
    form->MenuOpenClick();
    EXPECT_EQ(form->store().output(3).name, "Beacon");
    EXPECT_EQ(form->store().boxName(), "Unit A"); // a file has no name: the unit's stays for the upload
    EXPECT_EQ(form->session().namesDirty, 1);
    form->RebuildTitle();
    EXPECT_EQ(form->windowTitle(), "Voltmast Tool - [ setup.cfg ]");
    EXPECT_EQ(prompt.starts.last(), saved); // the dialogs start at the last file saved

    // Opening another file, or failing to save, moves the remembered place no more.
    QFile::copy(saved, dir.filePath("UNIT.CFG"));
    prompt.files = {dir.filePath("UNIT.CFG"), dir.filePath("no/such/x.cfg"), QString()};
    form->MenuOpenClick();
    form->RebuildTitle();
    EXPECT_EQ(form->windowTitle(), "Voltmast Tool - [ UNIT.CFG ]"); // the file chosen, not "UNIT.cfg"
    EXPECT_EQ(form->store().output(3).name, "Beacon");
    form->MenuSaveClick();
    form->MenuOpenClick();
    EXPECT_EQ(prompt.starts.last(), saved);
}

TEST_F(MainFormConfigTest, OpeningWhatIsNoConfigurationChangesNothing) {
    SetOutputName(form->store(), 3, "Beacon");
    const QString text = dir.filePath("notes.cfg");
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("shopping list\nmilk\n");
    }
    prompt.files = {text, dir.filePath("missing.cfg")};
    form->MenuOpenClick();
    form->MenuOpenClick();
    ASSERT_EQ(prompt.errors.size(), 2);
    EXPECT_TRUE(prompt.errors[0].contains("notes.cfg: not a configuration file")) << prompt.errors[0].toStdString();
    EXPECT_TRUE(prompt.errors[1].contains("no such file")) << prompt.errors[1].toStdString();
    EXPECT_EQ(form->store().output(3).name, "Beacon");
    EXPECT_EQ(form->session().configFromFile, 0);
}

// Edits that were neither uploaded nor saved: the title says so, the read after a
// reconnect asks first (No keeps them), closing asks, and a save makes it clean.
TEST_F(MainFormConfigTest, UnsavedEditsAreNeverDroppedSilently) {
    form->unit().SetConnected(true);
    form->store().setBoxName("Truck 7");
    form->unit().SetConfigFromUnit();
    SetOutputName(form->store(), 3, "Beacon");
    form->edits().MarkModified(); // as the pages report a user's edit
    form->RebuildTitle();
    EXPECT_TRUE(form->windowTitle().contains("*")) << form->windowTitle().toStdString();

    prompt.answers = {false};
    const int queued = form->link().pendingFrames();
    form->TimerSerialTimer(); // the read after "USB CONNECTED"
    EXPECT_EQ(prompt.questions,
              QStringList{"The unit was reconnected. Read its configuration and discard the changes here?"});
    EXPECT_EQ(form->link().pendingFrames(), queued);
    EXPECT_EQ(form->store().output(3).name, "Beacon");

    prompt.questions.clear();
    prompt.answers = {false};
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_EQ(prompt.questions,
              QStringList{"The configuration has changes that were not uploaded or saved. Close anyway?"});
    EXPECT_TRUE(form->isVisible());

    prompt.files = {dir.filePath("kept.cfg")};
    form->MenuSaveClick();
    EXPECT_FALSE(form->edits().modified());
    form->RebuildTitle();
    EXPECT_FALSE(form->windowTitle().contains("*"));
}

TEST_F(MainFormConfigTest, OverwriteIsAskedAndNoKeepsTheFile) {
    const QString path = dir.filePath("keep.cfg");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[INPUT]\nNAME1=old\n");
    }
    prompt.files = {path};
    prompt.answers = {false};
    form->MenuSaveClick();
    EXPECT_EQ(prompt.questions, QStringList{QString("File already exists: '%1'\nOverwrite ?").arg(path)});
    EXPECT_EQ(contents(path), "[INPUT]\nNAME1=old\n");
}

TEST_F(MainFormConfigTest, SaveIntoAMissingFolderIsReported) {
    prompt.files = {dir.filePath("no/such/folder/x.cfg")};
    form->MenuSaveClick();
    ASSERT_EQ(prompt.errors.size(), 1);
    EXPECT_TRUE(prompt.errors[0].startsWith("Unable to create file: '")) << prompt.errors[0].toStdString();
}

TEST_F(MainFormConfigTest, NamesFromTheStoreReachTheGeneralPage) {
    SetOutputName(form->store(), 5, "Beacon");
    SetInputName(form->store(), 2, "Door");
    SetCanInputName(form->store(), 32, "Gear");
    auto text = [&](const char* name) { return form->findChild<QLabel*>(name)->text(); };
    EXPECT_EQ(text("LabelHighPowerCh5"), "5: Beacon");
    EXPECT_EQ(text("LabelInputCh2"), "2: Door");
    EXPECT_EQ(text("LabelCanInputCh32"), "32: Gear");
}
