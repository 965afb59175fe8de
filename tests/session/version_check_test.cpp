#include "tests/support/status_packet.h"
#include "session/version_check.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace vm;
using vm::test::StatusPacket;

TEST(VersionRule, MajorVersionEightOnly) {
    for (const char* text : {"8.03", "8.15", "8.12", "8.00", "8.99", "V8.12 build 7"})
        EXPECT_TRUE(IsCompatibleVersion(text)) << text;
    for (const char* text : {"7.99", "9.00", "9.01", "10.50", "8.5", "8.", "812", "8.x5", "8.1.2", "", ".12"})
        EXPECT_FALSE(IsCompatibleVersion(text)) << text;

    EXPECT_EQ(ParseVersionNumber("8.12"), 812);
    EXPECT_EQ(ParseVersionNumber("10.50"), 50); // one character before the '.'
    EXPECT_EQ(ParseVersionNumber("8.5"), 85);
    for (const char* text : {"812", "8.x5", ".12", ""})
        EXPECT_EQ(ParseVersionNumber(text), std::nullopt) << text;
}

TEST(VersionRule, TextIsTwentyCharactersAtMostAndEndsAtZero) {
    EXPECT_EQ(VersionTextOf(StatusPacket(QByteArray("8.12\0junk", 9))), "8.12");
    EXPECT_EQ(VersionTextOf(StatusPacket("ABCDEFGHIJKLMNOPQRSTUVWXYZ")), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(VersionTextOf(LinkPacket::make(1, msg::STATUS, {'8', '.', '1'})), "8.1"); // short packet
}

class VersionCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { vm::test::EnsureCoreApp(); }
    void SetUp() override { check.Start(); }

    VersionCheck check;
    QSignalSpy finished{&check, &VersionCheck::finished};
};

TEST_F(VersionCheckTest, AnswerClosesAfterTheDelayNotAtTheTimeout) {
    EXPECT_TRUE(check.answerTimer().isActive());
    EXPECT_EQ(check.answerTimer().interval(), 1000);

    // The answer "at 200 ms": the time-out stops, the 500 ms close delay runs.
    check.ReceivePacket(StatusPacket("8.12"));
    EXPECT_FALSE(check.answerTimer().isActive());
    EXPECT_TRUE(check.closeTimer().isActive());
    EXPECT_EQ(check.closeTimer().interval(), 500);
    EXPECT_EQ(check.versionText(), "8.12");
    EXPECT_EQ(finished.count(), 0);

    check.OnCloseDelay();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(check.compatible());
    EXPECT_FALSE(check.timedOut());
    EXPECT_TRUE(VerdictMessage(check.verdict()).isEmpty());
}

TEST_F(VersionCheckTest, NoAnswerTimesOutAndALateOneChangesNothing) {
    check.OnAnswerTimeout();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(check.timedOut());
    EXPECT_EQ(VerdictMessage(check.verdict()), "Timeout for software version");

    check.ReceivePacket(StatusPacket("8.12"));
    EXPECT_FALSE(check.compatible());
    EXPECT_FALSE(check.closeTimer().isActive());
}

TEST_F(VersionCheckTest, IgnoresBadChecksumAndOtherMessages) {
    LinkPacket corrupt = StatusPacket("8.12");
    corrupt.bytes[0] ^= 0x01;
    check.ReceivePacket(corrupt);
    check.ReceivePacket(StatusPacket("8.12", kGroupService, msg::STATUS));
    check.ReceivePacket(StatusPacket("8.12", kGroupApp, msg::REBOOT_DONE));
    EXPECT_TRUE(check.answerTimer().isActive());
    EXPECT_FALSE(check.closeTimer().isActive());
    EXPECT_TRUE(check.versionText().isEmpty());
}

TEST_F(VersionCheckTest, WrongAndUnreadableVersionsStillClose) {
    for (const char* text : {"9.01", "8.x5"}) {
        check.Start();
        finished.clear();
        check.ReceivePacket(StatusPacket(text));
        ASSERT_TRUE(check.closeTimer().isActive()) << text;
        check.OnCloseDelay();
        EXPECT_EQ(finished.count(), 1);
        EXPECT_EQ(VerdictMessage(check.verdict()), "Wrong software version in target, use other program");
    }
}

TEST_F(VersionCheckTest, FirstAnswerDecides) {
    // The keep-alive asks every 400 ms, so a second answer can come before the close.
    check.ReceivePacket(StatusPacket("7.99"));
    check.ReceivePacket(StatusPacket("8.12"));
    EXPECT_EQ(check.versionText(), "7.99");
    check.OnCloseDelay();
    EXPECT_EQ(check.verdict(), VersionCheck::Verdict::Wrong);
}
