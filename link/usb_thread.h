#pragma once
// The serial link to the unit. A worker thread owns the port: it writes queued
// frames one after another as soon as the previous write has gone out, and
// hands received bytes to the thread that owns this object (the user-interface
// thread) in order, in batches. At most kMaxPendingRx bytes wait for that
// thread: a peer that sends faster than it reads loses the excess, and the
// loss is counted and reported. When the device disappears it reports the
// loss once, closes the port and tries to reopen the same device every 250 ms.
#include "protocol/frame_codec.h"
#include "protocol/tx_queue.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <memory>

namespace vm {

class DeviceDirectory;
class LinkWorker;
class TrafficLog;

enum class LinkState : std::uint8_t { Closed = 0, Reconnecting = 1, Open = 2 };

// Where received bytes go: 0 the frame assembler, 1 the firmware loader's raw
// receiver, anything else nowhere.
using RxRoute = std::uint8_t;

class UsbThread : public QObject, public PacketLink {
    Q_OBJECT
public:
    static constexpr int kReconnectMs = 250;
    // Received bytes waiting for the owner's thread, at most: a few frames' worth.
    static constexpr qsizetype kMaxPendingRx = 4096;
    // After a held hand-off the port rests this many holds at most, unless a
    // request written meanwhile finds the next hand-off due.
    static constexpr int kBackstopHolds = 2;
    // A burst of dropped bytes is reported once no byte was dropped for this long,
    // and at least this often while it lasts.
    static constexpr int kOverflowQuietMs = 100;
    static constexpr int kOverflowReportMs = 1000;

    // log may be null. The directory resolves descriptions to ports.
    UsbThread(std::unique_ptr<DeviceDirectory> directory, TrafficLog* log, QObject* parent = nullptr);
    ~UsbThread() override;

    // Descriptions of the attached devices.
    QStringList EnumerateDevices() const;

    // Opens the device with this description at 38400 baud 8N1. On success the
    // description is kept for reconnecting and the state is Open.
    bool Open(const QString& description);
    // Closes the port; the description is forgotten. Queued frames stay queued.
    void Close();

    // Route for received bytes; a change is also a receiveGap(). Reports whether the link is open (the route
    // is set anyway).
    bool SetRoute(RxRoute route);
    RxRoute route() const { return route_.load(); }
    LinkState state() const { return state_.load(); }
    QString description() const;
    QString lastError() const;

    // Queues one frame (the only way to transmit). Callable in any state.
    void Enqueue(const std::uint8_t* frame, int length) override;
    // Queues raw bytes (the bootloader's exchange, at most one queue slot): sent
    // like a frame, but never repeated by ResendLast.
    void EnqueueRaw(const std::uint8_t* bytes, int length);
    // Queues the last enqueued frame once more, once per new frame.
    void ResendLast() override;
    void SetHandOffHold(int ms) override;
    bool resendAvailable() const { return lastFrameValid_; }
    int pendingFrames() const;
    // At exit: gives queued frames up to ms to leave an open port (the
    // worker thread writes them; the caller only waits).
    void WaitForQueuedFrames(int ms);
    // Bytes of every frame queued so far (for measurements).
    quint64 bytesQueued() const { return bytesQueued_; }

    DeviceDirectory& directory() { return *directory_; }

    // Received bytes dropped because the owner's thread fell behind, since creation.
    qint64 bytesDropped() const;
    // Received bytes waiting for the owner's thread now, and the most there ever were.
    qsizetype pendingRxBytes() const;
    qsizetype peakPendingRxBytes() const;
    // Reports the bytes dropped since the last report, if any (the overflow timer's handler).
    void ReportReceiveOverflow();

Q_SIGNALS:
    // Received bytes with route 0 (for the frame assembler).
    void bytesReceived(const QByteArray& bytes);
    // Received bytes with route 1 (for the firmware loader).
    void rawBytesReceived(const QByteArray& bytes);
    // Bytes were dropped between the bytes received before and after this signal:
    // the frame in progress is broken (FrameAssembler::Resync).
    void receiveGap();
    // Bytes dropped in one burst of overflow, once it is over (and each second
    // while it lasts). Also logged through the traffic log.
    void receiveOverflow(qint64 dropped);
    void deviceLost();
    void deviceReopened();

private:
    friend class LinkWorker;
    // Worker thread: keeps what fits and asks the owner's thread to take it.
    void takeReceived(const QByteArray& bytes);
    void postReceived(); // worker thread: the hold ended
    bool rxHeldNow() const;
    bool handOffDue() const;   // the hold since the last hand-off has passed
    void postReceivedLocked(); // rxLock_ held
    // Owner's thread: hands on everything that arrived since the last time.
    void drainReceived();
    void handOff(const QByteArray& bytes);
    void noteDropped(qint64 droppedTotal);
    void kickWriter();
    void queueFrame(const std::uint8_t* frame, int length, bool resendable);

    std::unique_ptr<DeviceDirectory> directory_;
    TrafficLog* log_;
    QThread thread_;
    LinkWorker* worker_ = nullptr; // lives on thread_, deleted when it finishes

    mutable QMutex queueLock_;
    TxQueue queue_;
    std::atomic<bool> kickPending_{false};

    std::atomic<LinkState> state_{LinkState::Closed};
    std::atomic<RxRoute> route_{0};

    mutable QMutex rxLock_;
    QByteArray rxPending_;  // bytes for the owner's thread
    bool rxGap_ = false;    // bytes were dropped after rxPending_
    bool rxPosted_ = false; // a drainReceived() is on its way
    bool rxHeld_ = false;   // the worker's hold timer will post it
    QElapsedTimer lastHandOff_;
    std::atomic<int> holdMs_{0};
    qint64 rxDropped_ = 0;
    qsizetype rxPeak_ = 0;

    // Touched on the owner's thread only.
    qint64 droppedSeen_ = 0;   // rxDropped_ as of the last gap handed on
    qint64 burstDropped_ = 0;  // not reported yet
    QElapsedTimer burstClock_; // since the first unreported drop
    QTimer overflowTimer_;
    quint64 bytesQueued_ = 0;
    TxQueue::Frame lastFrame_;
    bool lastFrameValid_ = false;
};

} // namespace vm
