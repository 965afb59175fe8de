#include "link/device_directory.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "tests/support/pty_peer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/support/wait_for.h"
#include <sys/resource.h>

using namespace vm;
using Bytes = std::vector<std::uint8_t>;

namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "link_pty_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}


double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

class UsbThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        link = std::make_unique<UsbThread>(
            std::make_unique<FixedDirectory>(QList<QPair<QString, QString>>{
                {"Test Adapter", QString::fromStdString(peer.path())}, {"", "/dev/null"}}),
            &log);
        connect();
    }
    void connect() {
        QObject::connect(link.get(), &UsbThread::bytesReceived, [this](const QByteArray& b) { rx0 += b; });
        QObject::connect(link.get(), &UsbThread::rawBytesReceived, [this](const QByteArray& b) { rx1 += b; });
    }
    void send(std::uint8_t tag) {
        const std::uint8_t frame[4] = {0xC0, tag, tag, 0xC0};
        link->Enqueue(frame, 4);
    }
    // Tags of the 4-byte frames that reach the peer.
    std::vector<int> arrivedTags(std::size_t frames) {
        Bytes got = peer.read(2000, frames * 4);
        std::vector<int> tags;
        for (std::size_t i = 0; i + 3 < got.size(); i += 4) tags.push_back(got[i + 1]);
        return tags;
    }

    PtyPeer peer;
    TrafficLog log;
    std::unique_ptr<UsbThread> link;
    QByteArray rx0, rx1;
};

} // namespace

TEST_F(UsbThreadTest, ListsOnlyAttachedDevicesWithADescription) {
    EXPECT_EQ(link->EnumerateDevices(), QStringList{"Test Adapter"});
    peer.hangUp();
    EXPECT_TRUE(link->EnumerateDevices().isEmpty());
}

TEST_F(UsbThreadTest, OpenFailureLeavesTheLinkClosed) {
    EXPECT_FALSE(link->Open("Other Adapter"));
    EXPECT_EQ(link->state(), LinkState::Closed);
    EXPECT_FALSE(link->lastError().isEmpty());
}

TEST_F(UsbThreadTest, FramesGoOutInOrderAndBytesComeBackByRoute) {
    ASSERT_TRUE(link->Open("Test Adapter"));
    EXPECT_EQ(link->state(), LinkState::Open);
    EXPECT_EQ(link->description(), "Test Adapter");
    for (int i = 1; i <= 10; ++i) send(static_cast<std::uint8_t>(i));
    EXPECT_EQ(arrivedTags(10), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    peer.write({0xC0, 1, 2, 3, 0xC0});
    ASSERT_TRUE(waitFor([&] { return rx0.size() == 5; }));
    EXPECT_EQ(rx0, QByteArray("\xC0\x01\x02\x03\xC0", 5));

    EXPECT_TRUE(link->SetRoute(1));
    peer.write({7, 8});
    ASSERT_TRUE(waitFor([&] { return rx1.size() == 2; }));
    EXPECT_EQ(rx0.size(), 5);

    link->SetRoute(2);
    peer.write({9});
    waitFor([] { return false; }, 100);
    EXPECT_EQ(rx0.size(), 5);
    EXPECT_EQ(rx1.size(), 2);
}

TEST_F(UsbThreadTest, SetRouteReportsClosedLinkButStillChangesTheRoute) {
    EXPECT_FALSE(link->SetRoute(1));
    EXPECT_EQ(link->route(), 1);
}

TEST_F(UsbThreadTest, OverflowWhileClosedLeavesOnlyTheLastFrame) {
    for (int i = 1; i <= 26; ++i) send(static_cast<std::uint8_t>(i));
    EXPECT_EQ(link->pendingFrames(), 1);
    ASSERT_TRUE(link->Open("Test Adapter"));
    EXPECT_EQ(arrivedTags(1), std::vector<int>{26});
    EXPECT_TRUE(peer.read(100).empty());
}

TEST_F(UsbThreadTest, ResendRepeatsTheLastFrameOnce) {
    ASSERT_TRUE(link->Open("Test Adapter"));
    send(1);
    send(2);
    EXPECT_EQ(arrivedTags(2), (std::vector<int>{1, 2}));
    link->ResendLast();
    link->ResendLast();
    EXPECT_EQ(arrivedTags(1), std::vector<int>{2});
    EXPECT_TRUE(peer.read(100).empty());
    send(3);
    link->ResendLast();
    EXPECT_EQ(arrivedTags(2), (std::vector<int>{3, 3}));
}

TEST_F(UsbThreadTest, TraceLineListsEveryFrameByte) {
    QStringList lines;
    QObject::connect(&log, &TrafficLog::line, [&](const QString& l, quint32 c) {
        lines << l;
        EXPECT_EQ(c, kColourTxTrace);
    });
    send(5);
    EXPECT_EQ(lines, QStringList{"-> Tx;add to Tx buffer:  192 5 5 192"});
    log.setOffline(true);
    send(6);
    EXPECT_EQ(lines.size(), 1);
}

TEST_F(UsbThreadTest, UnplugAndReplugAreReportedOnceEach) {
    QSignalSpy lost(link.get(), &UsbThread::deviceLost);
    QSignalSpy back(link.get(), &UsbThread::deviceReopened);
    ASSERT_TRUE(link->Open("Test Adapter"));

    peer.hangUp();
    ASSERT_TRUE(waitFor([&] { return lost.count() == 1; }));
    EXPECT_EQ(link->state(), LinkState::Reconnecting);

    // While the device is away the link idles: a few reopen attempts, no spinning.
    const double cpu0 = cpuSeconds();
    waitFor([] { return false; }, 600);
    EXPECT_LT(cpuSeconds() - cpu0, 0.15);
    EXPECT_EQ(lost.count(), 1);

    send(3);
    send(4);
    peer.comeBack();
    ASSERT_TRUE(waitFor([&] { return back.count() == 1; }));
    EXPECT_EQ(link->state(), LinkState::Open);
    EXPECT_EQ(arrivedTags(2), (std::vector<int>{3, 4}));
    waitFor([] { return false; }, 300);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(back.count(), 1);
}

TEST_F(UsbThreadTest, CloseStopsReconnecting) {
    QSignalSpy back(link.get(), &UsbThread::deviceReopened);
    ASSERT_TRUE(link->Open("Test Adapter"));
    peer.hangUp();
    ASSERT_TRUE(waitFor([&] { return link->state() == LinkState::Reconnecting; }));
    link->Close();
    EXPECT_EQ(link->state(), LinkState::Closed);
    EXPECT_TRUE(link->description().isEmpty());
    peer.comeBack();
    waitFor([] { return false; }, 400);
    EXPECT_EQ(back.count(), 0);
    EXPECT_EQ(link->state(), LinkState::Closed);
}
