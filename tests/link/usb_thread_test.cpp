#include "link/device_directory.h"
#include "link/traffic_lines.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "tests/support/pty_peer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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
        QObject::connect(link.get(), &UsbThread::bytesReceived, [this](const QByteArray& b) {
            rx0 += b;
            ++batches;
        });
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
        for (std::size_t i = 0; i + 3 < got.size(); i += 4)
            tags.push_back(got[i + 1]);
        return tags;
    }

    PtyPeer peer;
    TrafficLog log;
    std::unique_ptr<UsbThread> link;
    QByteArray rx0, rx1;
    int batches = 0; // hand-offs on route 0
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
    for (int i = 1; i <= 10; ++i)
        send(static_cast<std::uint8_t>(i));
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

// While nothing awaits an answer, a burst waits out the hold and goes on as
// one batch; asking for answers again hands on what is held at once.
TEST_F(UsbThreadTest, HeldBurstGoesOnAsOneBatchAndEndsWhenAnswersAreAwaited) {
    ASSERT_TRUE(link->Open("Test Adapter"));
    link->SetHandOffHold(5000);
    peer.write({0xC0, 1, 0xC0});
    ASSERT_TRUE(waitFor([&] { return rx0.size() == 3; })); // after a quiet spell: at once
    for (std::uint8_t tag = 2; tag <= 5; ++tag) {
        peer.write({0xC0, tag, 0xC0});
        waitFor([] { return false; }, 20);
    }
    waitFor([] { return false; }, 100);
    EXPECT_EQ(rx0.size(), 3);
    link->SetHandOffHold(0);
    ASSERT_TRUE(waitFor([&] { return rx0.size() == 15; }, 1000)); // long before the hold ends
    EXPECT_EQ(batches, 2);
    EXPECT_EQ(rx0, QByteArray("\xC0\x01\xC0\xC0\x02\xC0\xC0\x03\xC0\xC0\x04\xC0\xC0\x05\xC0", 15));
}

// After a held hand-off the port rests; a request written once the hold has
// passed takes everything that waited, unharmed, in one batch.
TEST_F(UsbThreadTest, RestingPortHandsOnWhatWaitedWhenARequestGoesOutDue) {
    ASSERT_TRUE(link->Open("Test Adapter"));
    link->SetHandOffHold(5000);
    peer.write({0xC0, 1, 0xC0});
    ASSERT_TRUE(waitFor([&] { return rx0.size() == 3; }));
    peer.write({0xC0, 2, 0xDB, 0xDC, 0xC0});
    peer.write({0xC0, 3, 0xC0});
    send(9); // not due yet: the answers wait
    EXPECT_EQ(arrivedTags(1), std::vector<int>{9});
    waitFor([] { return false; }, 100);
    EXPECT_EQ(rx0.size(), 3);
    link->SetHandOffHold(1); // the last hand-off is now long enough ago
    send(10);
    ASSERT_TRUE(waitFor([&] { return rx0.size() == 11; }, 1000));
    EXPECT_EQ(batches, 2);
    EXPECT_EQ(rx0, QByteArray("\xC0\x01\xC0\xC0\x02\xDB\xDC\xC0\xC0\x03\xC0", 11));
}

// The port rests on a running timer of the link thread; ending the link must
// stop it there, not from the owner's thread.
TEST_F(UsbThreadTest, LinkEndedWhileItsPortRestsLeavesNoTimerBehind) {
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg) warnings << text;
        });
    ASSERT_TRUE(link->Open("Test Adapter"));
    link->SetHandOffHold(5000);
    peer.write({0xC0, 1, 0xC0});
    ASSERT_TRUE(waitFor([&] { return rx0.size() == 3; }));
    link.reset();
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

TEST_F(UsbThreadTest, SetRouteReportsClosedLinkButStillChangesTheRoute) {
    EXPECT_FALSE(link->SetRoute(1));
    EXPECT_EQ(link->route(), 1);
}

TEST_F(UsbThreadTest, OverflowWhileClosedLeavesOnlyTheLastFrame) {
    for (int i = 1; i <= 26; ++i)
        send(static_cast<std::uint8_t>(i));
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

namespace {

// Numbered frames: a frame spliced from two of them cannot pass for either.
Bytes floodFrame(int n) {
    LinkPacket p = LinkPacket::make(1, 20, {});
    p.size = 20;
    for (int i = 4; i < 20; ++i)
        p.bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((n * 7 + i) & 0x7F);
    p.seal();
    std::uint8_t out[kFrameBufferBytes];
    const int len = SlipEncode(p.bytes.data(), p.size, out, kFrameBufferBytes);
    return Bytes(out, out + len);
}

} // namespace

// A peer that sends faster than the owner's thread takes the bytes: the link
// keeps a bounded backlog, counts and reports what it drops, and the frame
// after the flood arrives whole.
TEST_F(UsbThreadTest, FloodIsCutAtTheBacklogBoundAndTheNextFrameSurvives) {
    struct Case {
        const char* what;
        std::size_t floodBytes;
    };
    const Case cases[] = {{"fits the backlog", 3000}, {"a megabyte", 1 << 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        link = std::make_unique<UsbThread>(std::make_unique<FixedDirectory>(QList<QPair<QString, QString>>{
                                               {"Test Adapter", QString::fromStdString(peer.path())}}),
                                           &log);
        ASSERT_TRUE(link->Open("Test Adapter"));

        Bytes flood;
        std::vector<Bytes> frames;
        while (flood.size() < c.floodBytes) {
            frames.push_back(floodFrame(static_cast<int>(frames.size())));
            flood.insert(flood.end(), frames.back().begin(), frames.back().end());
        }

        std::vector<Bytes> packets;
        FrameAssembler assembler(
            [&](const LinkPacket& p) { packets.emplace_back(p.bytes.begin(), p.bytes.begin() + p.size); });
        int batches = 0;
        qint64 received = 0;
        QObject::connect(link.get(), &UsbThread::bytesReceived, [&](const QByteArray& b) {
            ++batches;
            received += b.size();
            assembler.PutBytes(reinterpret_cast<const std::uint8_t*>(b.constData()),
                               static_cast<int>(b.size()));
        });
        QObject::connect(link.get(), &UsbThread::receiveGap, [&] { assembler.Resync(); });
        QSignalSpy overflow(link.get(), &UsbThread::receiveOverflow);
        QStringList lines;
        auto logged = QObject::connect(&log, &TrafficLog::line, [&](const QString& l, quint32 colour) {
            lines << l;
            EXPECT_EQ(colour, kColourChecksum);
        });

        // This thread owns the link and takes nothing while it writes, so the
        // worker must hold the first bytes and drop the rest.
        peer.write(flood);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (link->bytesDropped() + link->pendingRxBytes() < static_cast<qint64>(flood.size()) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));

        const qint64 kept = std::min<qint64>(static_cast<qint64>(flood.size()), UsbThread::kMaxPendingRx);
        ASSERT_TRUE(waitFor([&] { return received == kept; }));
        EXPECT_EQ(link->bytesDropped(), static_cast<qint64>(flood.size()) - kept);
        EXPECT_EQ(link->peakPendingRxBytes(), kept);
        EXPECT_EQ(batches, 1); // one hand-off for everything that waited
        const bool drops = link->bytesDropped() > 0;
        if (drops) {
            ASSERT_TRUE(waitFor([&] { return overflow.count() == 1; }, 1000));
            EXPECT_EQ(overflow.at(0).at(0).toLongLong(), link->bytesDropped());
            EXPECT_EQ(lines, QStringList{ReceiveOverflowLine(link->bytesDropped())});
        }

        // What came before the cut arrived whole.
        const std::size_t whole = packets.size();
        ASSERT_GT(whole, 0u);
        for (std::size_t i = 0; i < whole; ++i) {
            const Bytes& f = frames[i];
            EXPECT_EQ(packets[i], Bytes(f.begin() + 1, f.end() - 1)) << "packet " << i;
        }
        const Bytes last = floodFrame(1000);
        peer.write(last);
        ASSERT_TRUE(waitFor([&] { return packets.size() > whole; }));
        EXPECT_EQ(packets.back(), Bytes(last.begin() + 1, last.end() - 1));
        EXPECT_EQ(packets.size(), whole + 1);
        EXPECT_EQ(assembler.rejected(), 0);
        EXPECT_EQ(overflow.count(), drops ? 1 : 0);
        QObject::disconnect(logged);
        link.reset();
    }
}

TEST(TrafficLines, DroppedFramesSayWhyAndHowLong) {
    struct Case {
        RejectReason reason;
        int count;
        const char* line;
    };
    const Case cases[] = {
        {RejectReason::BadEscape, 12, "Frame dropped (bad escape): 12 bytes"},
        {RejectReason::TooShort, 3, "Frame dropped (too short): 3 bytes"},
        {RejectReason::TooLong, 200, "Frame dropped (too long): over 200 bytes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FrameDroppedLine(c.reason, c.count), QString::fromLatin1(c.line));
    EXPECT_EQ(ReceiveOverflowLine(5120), "Receive overflow: 5120 bytes dropped");
}
