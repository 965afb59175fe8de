#include "link/usb_thread.h"

#include "link/device_directory.h"
#include "link/link_worker.h"
#include "link/traffic_lines.h"
#include "link/traffic_log.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <QThread>
#include <utility>

namespace vm {

// ---- worker side ---------------------------------------------------------

void LinkWorker::init() {
    reconnectTimer_ = std::make_unique<QTimer>();
    reconnectTimer_->setInterval(UsbThread::kReconnectMs);
    connect(reconnectTimer_.get(), &QTimer::timeout, this, &LinkWorker::reconnectTick);
    retryTimer_ = std::make_unique<QTimer>();
    retryTimer_->setSingleShot(true);
    retryTimer_->setInterval(5);
    connect(retryTimer_.get(), &QTimer::timeout, this, &LinkWorker::pump);
    holdTimer_ = std::make_unique<QTimer>();
    holdTimer_->setSingleShot(true);
    holdTimer_->setTimerType(Qt::PreciseTimer);
    connect(holdTimer_.get(), &QTimer::timeout, this, &LinkWorker::endHold);
}

void LinkWorker::hold(int ms) {
    if (!holdTimer_) return; // shut down
    holdTimer_->start(ms);
    readPaused_ = true;
    if (port_) port_->setReadPaused(true);
}

void LinkWorker::endHold() {
    const bool held = std::exchange(readPaused_, false) || owner_->rxHeldNow();
    if (holdTimer_) holdTimer_->stop();
    if (port_ && held) {
        // Everything that came during the hold goes on in this one hand-off.
        port_->setReadPaused(false);
        draining_ = true;
        onReadyRead();
        port_->readWaiting();
        draining_ = false;
    }
    owner_->postReceived();
}

bool LinkWorker::openPort(const QString& description) {
    std::unique_ptr<LinkPort> port = owner_->directory_->makePort(description);
    if (!port) {
        lastError_ = QStringLiteral("device \"%1\" is not attached").arg(description);
        return false;
    }
    // A tty is opened exclusively: let go of the old one first.
    closePort();
    if (!port->open()) {
        lastError_ = QStringLiteral("%1: %2").arg(port->name(), port->errorString());
        return false;
    }
    connect(port.get(), &LinkPort::readyRead, this, &LinkWorker::onReadyRead);
    connect(port.get(), &LinkPort::bytesWritten, this, &LinkWorker::onBytesWritten);
    connect(port.get(), &LinkPort::deviceLost, this, &LinkWorker::onDeviceLost);
    connect(port.get(), &LinkPort::errorOccurred, this, &LinkWorker::onError);
    port_ = std::move(port);
    if (readPaused_) port_->setReadPaused(true); // the hold's end reads it
    description_ = description;
    writing_ = false;
    lossPending_ = false;
    lastError_.clear();
    return true;
}

void LinkWorker::closePort() {
    if (!port_) return;
    port_->disconnect(this);
    port_->close();
    // Deleted later: we may be inside one of its signals.
    port_.release()->deleteLater();
    writing_ = false;
    partialTicket_ = 0; // the part that went out went with the old port: send it whole again
}

bool LinkWorker::open(const QString& description) {
    const bool hadPort = port_ != nullptr;
    if (!openPort(description)) {
        if (hadPort && !port_) owner_->state_ = LinkState::Closed;
        return false;
    }
    reconnectTimer_->stop();
    owner_->state_ = LinkState::Open;
    pump();
    return true;
}

void LinkWorker::close() {
    owner_->state_ = LinkState::Closed;
    reconnectTimer_->stop();
    retryTimer_->stop();
    closePort();
    description_.clear();
}

void LinkWorker::shutdown() {
    close();
    reconnectTimer_.reset();
    retryTimer_.reset();
    holdTimer_.reset(); // often running: a port resting between requests
}

void LinkWorker::kicked() {
    owner_->kickPending_ = false;
    // Paced reading: a request going out is the moment to take its forerunners' answers.
    if (holding() && owner_->handOffDue()) endHold();
    pump();
}

void LinkWorker::pump() {
    if (owner_->state_ != LinkState::Open || writing_ || !port_ || lossPending_) return;
    TxQueue::Frame frame;
    {
        QMutexLocker lock(&owner_->queueLock_);
        if (!owner_->queue_.oldest(frame)) return;
    }
    // A frame the port took only part of goes on from its first unsent byte.
    const int from = frame.ticket == partialTicket_ ? partialSent_ : 0;
    const qint64 n =
        port_->write(reinterpret_cast<const char*>(frame.bytes.data()) + from, frame.length - from);
    if (n == frame.length - from) {
        QMutexLocker lock(&owner_->queueLock_);
        owner_->queue_.release(frame.ticket);
        partialTicket_ = 0;
        writing_ = true;
        return;
    }
    if (n > 0) {
        partialTicket_ = frame.ticket;
        partialSent_ = from + static_cast<int>(n);
        writing_ = true; // the rest follows once this part is out
        return;
    }
    // The port refused it: the rest stays queued and is tried again shortly.
    lastError_ = port_->errorString();
    retryTimer_->start();
}

void LinkWorker::onBytesWritten() {
    if (!port_ || port_->bytesToWrite() > 0) return;
    writing_ = false;
    pump();
}

void LinkWorker::onReadyRead() {
    if (!port_ || holding()) return; // the hold's end reads it
    const QByteArray bytes = port_->readAll();
    if (!bytes.isEmpty()) owner_->takeReceived(bytes);
}

void LinkWorker::onDeviceLost(const QString& reason) {
    // A hung-up port keeps reporting this; close once, outside the signal.
    if (!port_ || lossPending_) return;
    lossPending_ = true;
    lastError_ = reason;
    QMetaObject::invokeMethod(this, &LinkWorker::onLost, Qt::QueuedConnection);
}

void LinkWorker::onError(const QString& reason, bool writeFailed) {
    if (!port_) return;
    lastError_ = reason;
    if (writeFailed) {
        writing_ = false;
        retryTimer_->start();
    }
}

void LinkWorker::onLost() {
    if (owner_->state_ != LinkState::Open) return;
    closePort();
    owner_->state_ = LinkState::Reconnecting;
    Q_EMIT lost();
    reconnectTimer_->start();
}

void LinkWorker::reconnectTick() {
    if (owner_->state_ != LinkState::Reconnecting) {
        reconnectTimer_->stop();
        return;
    }
    if (!openPort(description_)) return;
    reconnectTimer_->stop();
    owner_->state_ = LinkState::Open;
    Q_EMIT reopened();
    pump();
}

// ---- owner side ------------------------------------------------------------

UsbThread::UsbThread(std::unique_ptr<DeviceDirectory> directory, TrafficLog* log, QObject* parent)
    : QObject(parent), directory_(std::move(directory)), log_(log) {
    worker_ = new LinkWorker(this); // deleted in the destructor, after the thread ends
    worker_->moveToThread(&thread_);
    overflowTimer_.setSingleShot(true);
    overflowTimer_.setInterval(kOverflowQuietMs);
    connect(&overflowTimer_, &QTimer::timeout, this, &UsbThread::ReportReceiveOverflow);
    connect(worker_, &LinkWorker::lost, this, &UsbThread::deviceLost);
    connect(worker_, &LinkWorker::reopened, this, &UsbThread::deviceReopened);
    thread_.setObjectName(QStringLiteral("UsbThread"));
    thread_.start(QThread::HighPriority);
    QMetaObject::invokeMethod(worker_, &LinkWorker::init, Qt::BlockingQueuedConnection);
}

UsbThread::~UsbThread() {
    QMetaObject::invokeMethod(worker_, &LinkWorker::shutdown, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete worker_;
}

QStringList UsbThread::EnumerateDevices() const { return directory_->descriptions(); }

bool UsbThread::Open(const QString& description) {
    bool ok = false;
    QMetaObject::invokeMethod(
        worker_, [&] { ok = worker_->open(description); }, Qt::BlockingQueuedConnection);
    return ok;
}

void UsbThread::Close() {
    QMetaObject::invokeMethod(worker_, &LinkWorker::close, Qt::BlockingQueuedConnection);
}

bool UsbThread::SetRoute(RxRoute route) {
    // A frame cut by the switch is broken for whoever collects frames.
    if (route_.exchange(route) != route) Q_EMIT receiveGap();
    return state_ == LinkState::Open;
}

QString UsbThread::description() const {
    QString d;
    QMetaObject::invokeMethod(
        worker_, [&] { d = worker_->description(); }, Qt::BlockingQueuedConnection);
    return d;
}

QString UsbThread::lastError() const {
    QString e;
    QMetaObject::invokeMethod(
        worker_, [&] { e = worker_->lastError(); }, Qt::BlockingQueuedConnection);
    return e;
}

int UsbThread::pendingFrames() const {
    QMutexLocker lock(&queueLock_);
    return queue_.pending();
}

void UsbThread::WaitForQueuedFrames(int ms) {
    QDeadlineTimer deadline(ms);
    while (state_ == LinkState::Open && pendingFrames() > 0 && !deadline.hasExpired())
        QThread::msleep(2);
    // The last frame taken from the queue may still be in the port's hands.
    if (state_ == LinkState::Open && !deadline.hasExpired())
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(10, deadline.remainingTime())));
}

void UsbThread::Enqueue(const std::uint8_t* frame, int length) { queueFrame(frame, length, true); }

void UsbThread::EnqueueRaw(const std::uint8_t* bytes, int length) { queueFrame(bytes, length, false); }

void UsbThread::queueFrame(const std::uint8_t* frame, int length, bool resendable) {
    if (length <= 0) return;
    length = std::min(length, TxQueue::kSlotBytes);
    {
        QMutexLocker lock(&queueLock_);
        queue_.push(frame, length);
    }
    bytesQueued_ += static_cast<quint64>(length);
    if (resendable) {
        lastFrame_.length = length;
        std::copy(frame, frame + length, lastFrame_.bytes.begin());
        lastFrameValid_ = true;
    }

    if (log_) log_->LogTxFrame(frame, length);
    kickWriter();
}

void UsbThread::ResendLast() {
    if (!lastFrameValid_) return;
    const TxQueue::Frame copy = lastFrame_;
    Enqueue(copy.bytes.data(), copy.length);
    lastFrameValid_ = false;
}

void UsbThread::kickWriter() {
    if (kickPending_.exchange(true)) return;
    QMetaObject::invokeMethod(worker_, &LinkWorker::kicked, Qt::QueuedConnection);
}

void UsbThread::takeReceived(const QByteArray& bytes) {
    QMutexLocker lock(&rxLock_);
    const qsizetype keep = std::min(bytes.size(), kMaxPendingRx - rxPending_.size());
    if (keep > 0) rxPending_.append(bytes.constData(), keep);
    rxPeak_ = std::max(rxPeak_, rxPending_.size());
    if (keep < bytes.size()) {
        // The buffer is full, so the gap is at its end until it is taken.
        rxDropped_ += bytes.size() - keep;
        rxGap_ = true;
    }
    // One hand-off on its way at a time; it takes whatever has come by then.
    // A hold's end gathers all that waited and hands it on in one go.
    if (rxPosted_ || rxHeld_ || worker_->draining()) return;
    // While answers are not awaited, a burst goes on as one batch: the next
    // hand-off waits until the hold since the last one has passed.
    const int hold = holdMs_.load();
    if (hold > 0 && lastHandOff_.isValid() && lastHandOff_.elapsed() < hold) {
        rxHeld_ = true;
        worker_->hold(static_cast<int>(hold - lastHandOff_.elapsed()));
        return;
    }
    postReceivedLocked();
}

bool UsbThread::handOffDue() const {
    QMutexLocker lock(&rxLock_);
    const int hold = holdMs_.load();
    return hold > 0 && !rxPosted_ && (!lastHandOff_.isValid() || lastHandOff_.elapsed() >= hold);
}

void UsbThread::postReceivedLocked() {
    rxHeld_ = false;
    if (rxPosted_ || (rxPending_.isEmpty() && !rxGap_)) return;
    rxPosted_ = true;
    lastHandOff_.start();
    QMetaObject::invokeMethod(this, &UsbThread::drainReceived, Qt::QueuedConnection);
    // Then the port rests: the next request written (or the backstop) reads
    // what came meanwhile, so a polled unit wakes this thread once per request.
    const int hold = holdMs_.load();
    if (hold > 0 && !worker_->draining()) worker_->hold(hold * kBackstopHolds);
}

void UsbThread::postReceived() {
    QMutexLocker lock(&rxLock_);
    postReceivedLocked();
}

bool UsbThread::rxHeldNow() const {
    QMutexLocker lock(&rxLock_);
    return rxHeld_;
}

void UsbThread::SetHandOffHold(int ms) {
    if (holdMs_.exchange(ms) == ms || ms > 0) return;
    // Answers are awaited now: what is held goes on at once.
    QMetaObject::invokeMethod(worker_, &LinkWorker::endHold, Qt::QueuedConnection);
}

void UsbThread::drainReceived() {
    QByteArray batch;
    bool gap = false;
    qint64 dropped = 0;
    {
        QMutexLocker lock(&rxLock_);
        batch.swap(rxPending_);
        gap = rxGap_;
        rxGap_ = false;
        rxPosted_ = false;
        dropped = rxDropped_;
    }
    if (!batch.isEmpty()) handOff(batch);
    if (!gap) return;
    Q_EMIT receiveGap();
    noteDropped(dropped);
}

void UsbThread::noteDropped(qint64 droppedTotal) {
    burstDropped_ += droppedTotal - droppedSeen_;
    droppedSeen_ = droppedTotal;
    if (!burstClock_.isValid()) burstClock_.start();
    if (burstClock_.elapsed() >= kOverflowReportMs)
        ReportReceiveOverflow();
    else
        overflowTimer_.start(); // the burst is over once this runs out
}

void UsbThread::ReportReceiveOverflow() {
    overflowTimer_.stop();
    burstClock_.invalidate();
    if (burstDropped_ <= 0) return;
    const qint64 dropped = burstDropped_;
    burstDropped_ = 0;
    if (log_) log_->LogLine(ReceiveOverflowLine(dropped), kColourChecksum);
    Q_EMIT receiveOverflow(dropped);
}

qint64 UsbThread::bytesDropped() const {
    QMutexLocker lock(&rxLock_);
    return rxDropped_;
}

qsizetype UsbThread::pendingRxBytes() const {
    QMutexLocker lock(&rxLock_);
    return rxPending_.size();
}

qsizetype UsbThread::peakPendingRxBytes() const {
    QMutexLocker lock(&rxLock_);
    return rxPeak_;
}

void UsbThread::handOff(const QByteArray& bytes) {
    switch (route_.load()) {
    case 0:
        Q_EMIT bytesReceived(bytes);
        break;
    case 1:
        Q_EMIT rawBytesReceived(bytes);
        break;
    default:
        break; // dropped
    }
}

} // namespace vm
