// The flows behind Read, Upload and Default settings, with a scripted prompt
// and a wait that plays the unit's part.
#include "session/config_workflow.h"

#include "session/edit_tracker.h"

#include "config/config_store.h"
#include "protocol/message_catalogue.h"
#include "session/unit_session.h"
#include "session/version_check.h"

#include <QCoreApplication>
#include <functional>
#include <optional>
#include <gtest/gtest.h>

#include "tests/support/recording_link.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/status_packet.h"

using namespace vm;

namespace {

struct ScriptedWait : WaitSeam {
    QByteArray version = "8.12"; // empty: the unit stays silent
    std::function<WaitResult()> during = [] { return WaitResult::Done; };
    int waits = 0;

    void RunVersionCheck(VersionCheck& check) override {
        check.Start();
        if (version.isEmpty()) {
            check.OnAnswerTimeout();
            return;
        }
        check.ReceivePacket(test::StatusPacket(version));
        check.OnCloseDelay();
    }
    WaitResult RunWait() override {
        ++waits;
        return during();
    }
    void EndWait(WaitResult result) override { ended = result; }
    std::optional<WaitResult> ended;
};

class ConfigWorkflowTest : public ::testing::Test {
protected:
    ConfigWorkflowTest() {
        test::EnsureCoreApp();
        unit.SetConnected(true);
    }
    ConfigWorkflow& make(ConfigWorkflow::Policy policy = {}) {
        flow = std::make_unique<ConfigWorkflow>(unit, store, prompt, wait, policy);
        return *flow;
    }
    int sentCount(std::uint8_t command) const {
        int n = 0;
        for (const LinkPacket& p : link.sent) n += p.command() == command;
        return n;
    }

    RecordingLink link;
    UnitSession unit{link, nullptr};
    ConfigStore store;
    ScriptedPrompt prompt;
    ScriptedWait wait;
    std::unique_ptr<ConfigWorkflow> flow;
};

} // namespace

TEST_F(ConfigWorkflowTest, GatesStopBeforeAnythingIsSent) {
    struct Case {
        const char* what;
        bool connected;
        QByteArray version;
        QString message;
    };
    const Case cases[] = {
        {"not connected", false, "8.12", "Is not connected to target, please connect USB"},
        {"silent unit", true, "", "Timeout for software version"},
        {"other major version", true, "9.01", "Wrong software version in target, use other program"},
    };
    for (const Case& c : cases) {
        for (int command = 0; command < 2; ++command) {
            link.sent.clear();
            prompt.messages.clear();
            unit.SetConnected(c.connected);
            wait.version = c.version;
            ConfigWorkflow& f = make();
            EXPECT_FALSE(command == 0 ? f.Read() : f.Upload()) << c.what;
            EXPECT_EQ(prompt.messages, QStringList{c.message}) << c.what;
            EXPECT_TRUE(link.sent.empty()) << c.what;
            EXPECT_EQ(wait.waits, 0) << c.what;
            EXPECT_TRUE(prompt.questions.isEmpty()) << c.what;
        }
    }
}

TEST_F(ConfigWorkflowTest, RebootQuestionComesAfterTheChainHasStopped) {
    for (bool window : {true, false}) {
        for (WaitResult end : {WaitResult::Done, WaitResult::TimedOut, WaitResult::Cancelled}) {
            link.sent.clear();
            prompt.questions.clear();
            prompt.answers = {true};
            bool busyDuringWait = false;
            wait.during = [&] {
                busyDuringWait = unit.state().transferInProgress == 1;
                EXPECT_TRUE(prompt.questions.isEmpty()); // not asked while blocks may still go out
                return end;
            };
            ConfigWorkflow& f = make({true, window});
            EXPECT_EQ(f.Upload(), end == WaitResult::Done);
            EXPECT_TRUE(busyDuringWait);
            EXPECT_EQ(unit.state().transferInProgress, 0);
            if (end != WaitResult::Done) {
                EXPECT_EQ(f.transfer().state(), 0);
                const std::size_t sent = link.sent.size();
                unit.Dispatch(LinkPacket::make(kGroupApp, msg::LOW_BATT_CFG_WRITE_DONE)); // a late ack
                EXPECT_EQ(link.sent.size(), sent) << "a stopped upload went on";
            }
            // The window always asks; a script reboots only a complete upload.
            const bool asked = window || end == WaitResult::Done;
            EXPECT_EQ(prompt.questions.size(), asked ? 1 : 0);
            EXPECT_EQ(sentCount(msg::REBOOT_REQ), asked ? 1 : 0);
        }
    }
}

TEST_F(ConfigWorkflowTest, NoSecondTransferWhileOneWaits) {
    ConfigWorkflow& f = make();
    int nested = 0;
    wait.during = [&] {
        nested += f.Read() + f.Upload() + f.FactoryReset() + f.ReadConfiguration() + f.UploadConfiguration();
        return WaitResult::Done;
    };
    EXPECT_TRUE(f.Read());
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(wait.waits, 1);
    EXPECT_EQ(sentCount(msg::INPUT_CFG_READ), 1);
}

TEST_F(ConfigWorkflowTest, FactoryResetReadsAfterwardsAsThePolicySays) {
    struct Case {
        bool confirmed;
        WaitResult resetEnd;
        bool readAfterFailedReset;
        bool readSent;
    };
    const Case cases[] = {
        {false, WaitResult::Done, true, false},
        {true, WaitResult::Done, false, true},
        {true, WaitResult::TimedOut, true, true},   // the window shows whatever the unit holds
        {true, WaitResult::TimedOut, false, false}, // a script stops at the failure
    };
    for (const Case& c : cases) {
        link.sent.clear();
        prompt.answers = {c.confirmed};
        int waits = 0;
        wait.during = [&] { return ++waits == 1 ? c.resetEnd : WaitResult::Done; };
        make({c.readAfterFailedReset, true}).FactoryReset();
        EXPECT_EQ(sentCount(msg::FACTORY_RESET_REQ), c.confirmed ? 1 : 0);
        EXPECT_EQ(sentCount(msg::INPUT_CFG_READ), c.readSent ? 1 : 0) << c.confirmed << c.readAfterFailedReset;
    }
}

TEST_F(ConfigWorkflowTest, PackFailureIsShownOutsideTheDispatch) {
    CanExportControls bad = store.canExport(1);
    bad.id = "XYZ";
    store.setCanExport(1, bad);
    ConfigWorkflow& f = make();
    unit.Dispatch(LinkPacket::make(kGroupApp, msg::PWM_CFG_WRITE_DONE));
    EXPECT_TRUE(prompt.errors.isEmpty()); // no dialog inside the receive path
    EXPECT_TRUE(f.packFailed());
    QCoreApplication::processEvents();
    ASSERT_EQ(prompt.errors.size(), 1);
    EXPECT_TRUE(prompt.errors[0].contains("XYZ"));
}

// The device lost half-way through an upload: back in time, the block the unit
// did not answer goes out again; gone for good, the upload ends saying what
// the unit holds, without a reboot question.
TEST_F(ConfigWorkflowTest, UploadThroughALostDevice) {
    for (bool comesBack : {true, false}) {
        link.sent.clear();
        prompt.questions.clear();
        prompt.errors.clear();
        prompt.answers = {false};
        wait.ended.reset();
        ConfigWorkflow& f = make();
        wait.during = [&] {
            unit.Dispatch(LinkPacket::make(kGroupApp, msg::INPUT_CFG_WRITE_DONE, {1}));
            unit.Dispatch(LinkPacket::make(kGroupApp, msg::INPUT_CFG_WRITE_DONE, {2})); // input 3 is out
            unit.OnDeviceLost();
            EXPECT_TRUE(f.lossTimer().isActive());
            if (comesBack) {
                unit.OnDeviceReopened(0);
                EXPECT_FALSE(f.lossTimer().isActive());
                return WaitResult::Done;
            }
            f.OnLossFinal();
            return wait.ended.value_or(WaitResult::TimedOut);
        };
        EXPECT_EQ(f.Upload(), comesBack);
        if (comesBack) {
            EXPECT_EQ(f.resumes(), 1);
            ASSERT_GE(link.sent.size(), 2u);
            EXPECT_EQ(link.sent.back().command(), msg::INPUT_CFG_WRITE);
            EXPECT_EQ(link.sent.back().payload(0), 3);
            EXPECT_EQ(link.sent[link.sent.size() - 2].payload(0), 3); // the same block, once more
        } else {
            EXPECT_EQ(prompt.errors, QStringList{"USB DISCONNECTED during the upload: the unit holds part of the new "
                                                 "configuration (blocks 1-2 of 106). Upload again."});
            EXPECT_TRUE(prompt.questions.isEmpty());
            EXPECT_EQ(sentCount(msg::REBOOT_REQ), 0);
        }
    }
}

// The read after a reconnect never silently replaces edits, nor a
// configuration whose upload the unplug cut short; No is the safe answer.
TEST_F(ConfigWorkflowTest, ReadAfterConnectAsksBeforeReplacingEdits) {
    struct Case {
        bool edited;
        bool uploadCut;
        bool yes;
        QString question; // empty: none asked
        std::uint8_t sent; // first request, 0 for none
    };
    const Case cases[] = {
        {false, false, false, "", msg::INPUT_CFG_READ},
        {true, false, false, kReconnectReadQuestion, 0},
        {true, false, true, kReconnectReadQuestion, msg::INPUT_CFG_READ},
        {false, true, false, kUploadAgainQuestion, 0},
        {true, true, true, kUploadAgainQuestion, msg::INPUT_CFG_WRITE},
    };
    for (const Case& c : cases) {
        EditTracker edits;
        ConfigWorkflow& f = make();
        f.SetEditTracker(&edits);
        if (c.uploadCut) { // an upload the unplug ended
            wait.during = [&] {
                unit.OnDeviceLost();
                f.OnLossFinal();
                return wait.ended.value_or(WaitResult::TimedOut);
            };
            wait.ended.reset();
            f.Upload();
            ASSERT_TRUE(f.uploadInterrupted());
        }
        if (c.edited) edits.MarkModified();
        link.sent.clear();
        prompt.questions.clear();
        prompt.answers = {c.yes};
        wait.during = [] { return WaitResult::Done; };
        f.ReadAfterConnect();
        EXPECT_EQ(prompt.questions.value(0), c.question); // an upload then asks about the reboot too
        EXPECT_EQ(link.sent.empty() ? 0 : link.sent.front().command(), c.sent) << c.edited << c.uploadCut << c.yes;
        EXPECT_EQ(edits.modified(), c.edited && c.sent == 0) << "a completed read or upload is a clean point";
    }
}
