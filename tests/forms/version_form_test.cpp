#include "tests/support/status_packet.h"
#include "forms/version_form.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace vm;

TEST(VersionForm, ShowsTheVersionAndClosesItselfButNotForTheUser) {
    TVersionForm form;
    EXPECT_EQ(form.windowTitle(), "XRT Version");
    auto* label1 = form.findChild<QLabel*>("Label1");
    auto* label2 = form.findChild<QLabel*>("Label2");
    ASSERT_TRUE(label1 && label2);
    EXPECT_EQ(label1->text(), "Version ");
    EXPECT_EQ(label2->text(), "Status:");
    EXPECT_TRUE(form.check().answerTimer().isActive()); // started by the constructor

    form.show();
    form.close();
    form.reject();
    EXPECT_TRUE(form.isVisible());

    form.ReceivePacket(vm::test::StatusPacket("8.15"));
    EXPECT_EQ(label1->text(), "8.15");
    form.Timer2Timer();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.compatible());
    EXPECT_FALSE(form.timedOut());
}
