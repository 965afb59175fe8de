#pragma once
// The serial link to the unit. A worker thread owns the port: it writes queued
// frames one after another as soon as the previous write has gone out, and
// hands received bytes to the thread that owns this object (the user-interface
// thread) in order. When the device disappears it reports the loss once,
// closes the port and tries to reopen the same device every 250 ms.
#include "protocol/frame_codec.h"
#include "protocol/tx_queue.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
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

    // Route for received bytes; reports whether the link is open (the route is set anyway).
    bool SetRoute(RxRoute route);
    RxRoute route() const { return route_.load(); }
    LinkState state() const { return state_.load(); }
    QString description() const;
    QString lastError() const;

    // Queues one frame (the only way to transmit). Callable in any state.
    void Enqueue(const std::uint8_t* frame, int length) override;
    // Queues the last enqueued frame once more, once per new frame.
    void ResendLast() override;
    bool resendAvailable() const { return lastFrameValid_; }
    int pendingFrames() const;
    // Bytes of every frame queued so far (for measurements).
    quint64 bytesQueued() const { return bytesQueued_; }

    DeviceDirectory& directory() { return *directory_; }

Q_SIGNALS:
    // Received bytes with route 0 (for the frame assembler).
    void bytesReceived(const QByteArray& bytes);
    // Received bytes with route 1 (for the firmware loader).
    void rawBytesReceived(const QByteArray& bytes);
    void deviceLost();
    void deviceReopened();

private:
    friend class LinkWorker;
    void handOff(const QByteArray& bytes);
    void kickWriter();

    std::unique_ptr<DeviceDirectory> directory_;
    TrafficLog* log_;
    QThread thread_;
    LinkWorker* worker_ = nullptr; // lives on thread_, deleted when it finishes

    mutable QMutex queueLock_;
    TxQueue queue_;
    std::atomic<bool> kickPending_{false};

    std::atomic<LinkState> state_{LinkState::Closed};
    std::atomic<RxRoute> route_{0};

    // Touched on the owner's thread only.
    quint64 bytesQueued_ = 0;
    TxQueue::Frame lastFrame_;
    bool lastFrameValid_ = false;
};

} // namespace vm
