// What the firmware update needs of the link: writes a port takes only in part
// go on from the first unsent byte, raw sends are never what a resend repeats,
// and switching the route breaks the frame in progress.
#include "link/device_directory.h"
#include "link/link_port.h"
#include "link/usb_thread.h"

#include <QCoreApplication>
#include <QMutex>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/support/wait_for.h"

using namespace vm;

namespace {

// One application for the whole test program, whichever file asks first.
void app() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "raw_route_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
}

struct Wire {
    QMutex mutex;
    QByteArray bytes;
    int writes = 0;
};

// Takes at most 7 bytes a write, as a port with a nearly full buffer does.
class ChunkPort : public LinkPort {
public:
    explicit ChunkPort(std::shared_ptr<Wire> wire) : wire_(std::move(wire)) {}
    bool open() override { return true; }
    void close() override {}
    qint64 write(const char* data, qint64 size) override {
        const qint64 taken = std::min<qint64>(size, 7);
        {
            QMutexLocker lock(&wire_->mutex);
            wire_->bytes.append(data, taken);
            ++wire_->writes;
        }
        pending_ += taken;
        QTimer::singleShot(0, this, [this] {
            const qint64 n = pending_;
            pending_ = 0;
            Q_EMIT bytesWritten(n);
        });
        return taken;
    }
    QByteArray readAll() override { return {}; }
    qint64 bytesToWrite() const override { return pending_; }
    QString errorString() const override { return {}; }
    QString name() const override { return QStringLiteral("chunk"); }

private:
    std::shared_ptr<Wire> wire_;
    qint64 pending_ = 0;
};

struct ChunkLink {
    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    std::unique_ptr<UsbThread> link;
    ChunkLink() {
        app();
        auto directory = std::make_unique<SerialPortDirectory>();
        directory->addInProcess(QStringLiteral("Chunk"), [w = wire] { return std::make_unique<ChunkPort>(w); });
        link = std::make_unique<UsbThread>(std::move(directory), nullptr);
        EXPECT_TRUE(link->Open(QStringLiteral("Chunk")));
    }
    QByteArray arrived(qsizetype size) {
        waitFor([&] {
            QMutexLocker lock(&wire->mutex);
            return wire->bytes.size() >= size;
        });
        QMutexLocker lock(&wire->mutex);
        return wire->bytes;
    }
};

QByteArray Pattern(int size, char first) {
    QByteArray b;
    for (int i = 0; i < size; ++i) b.append(static_cast<char>(first + i));
    return b;
}

} // namespace

TEST(RawRoute, PartialWritesGoOnFromTheFirstUnsentByte) {
    ChunkLink c;
    const QByteArray frames[] = {Pattern(4, 'a'), Pattern(259, 0), Pattern(20, 'A')};
    QByteArray expected;
    for (const QByteArray& f : frames) {
        c.link->EnqueueRaw(reinterpret_cast<const std::uint8_t*>(f.constData()), static_cast<int>(f.size()));
        expected += f;
    }
    EXPECT_EQ(c.arrived(expected.size()), expected);
    EXPECT_GE(c.wire->writes, 259 / 7);
}

TEST(RawRoute, RawSendsAreNeverResent) {
    ChunkLink c;
    const std::uint8_t frame[4] = {0xC0, 1, 2, 0xC0};
    const std::uint8_t block[3] = {'<', 'x', 'y'};
    c.link->Enqueue(frame, 4);
    c.link->EnqueueRaw(block, 3);
    c.link->ResendLast(); // the packet, not the raw bytes
    EXPECT_EQ(c.arrived(11), QByteArray("\xC0\x01\x02\xC0<xy\xC0\x01\x02\xC0", 11));

    // Raw bytes alone leave nothing to resend.
    ChunkLink fresh;
    fresh.link->EnqueueRaw(block, 3);
    EXPECT_FALSE(fresh.link->resendAvailable());
}

TEST(RawRoute, EachSwitchBreaksTheFrameInProgress) {
    ChunkLink c;
    QSignalSpy gaps(c.link.get(), &UsbThread::receiveGap);
    c.link->SetRoute(1);
    c.link->SetRoute(1);
    c.link->SetRoute(0);
    c.link->SetRoute(0);
    EXPECT_EQ(gaps.count(), 2);
}
