#include "tests/support/scripted_prompt.h"
#include "forms/update_form.h"

#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace vm;

TEST(UpdateForm, CaptionsAndTimer) {
    ScriptedPrompt prompt;
    TUpdateForm form(prompt);
    EXPECT_EQ(form.windowTitle(), "Update Voltmast");
    EXPECT_EQ(form.timer().interval(), 100);
    EXPECT_FALSE(form.timer().isActive());
    auto* cancel = form.findChild<QPushButton*>("BtnCancel");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "Cancel");
}

TEST(UpdateForm, TimesOutOnThe302ndTick) {
    ScriptedPrompt prompt;
    TUpdateForm form(prompt);
    form.show();
    ASSERT_TRUE(form.timer().isActive());
    for (int i = 0; i < 301; ++i) form.Timer1Timer();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.timer().isActive());
    EXPECT_TRUE(prompt.messages.isEmpty());

    form.Timer1Timer();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.timer().isActive());
    EXPECT_EQ(prompt.messages, QStringList{" Update timeout "});
}

TEST(UpdateForm, ProgressWrapsAndShowingAgainStartsOver) {
    ScriptedPrompt prompt;
    TUpdateForm form(prompt);
    form.show();
    for (int i = 0; i < 100; ++i) form.Timer1Timer();
    EXPECT_EQ(form.progress(), 100);
    form.Timer1Timer();
    EXPECT_EQ(form.progress(), 0);
    form.Timer1Timer();
    EXPECT_EQ(form.progress(), 1);

    form.CloseWaitWindow();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.timer().isActive());

    form.show();
    EXPECT_EQ(form.ticks(), 0);
    EXPECT_EQ(form.progress(), 0);
    EXPECT_TRUE(form.timer().isActive());
    // A full count again before the time-out.
    for (int i = 0; i < 301; ++i) form.Timer1Timer();
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST(UpdateForm, CancelAsksTheOwner) {
    ScriptedPrompt prompt;
    TUpdateForm form(prompt);
    QSignalSpy spy(&form, &TUpdateForm::cancelRequested);
    form.show();
    form.findChild<QPushButton*>("BtnCancel")->click();
    EXPECT_EQ(spy.count(), 1);
}
