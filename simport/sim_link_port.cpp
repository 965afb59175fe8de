#include "simport/sim_link_port.h"

#include "simport/sim_device.h"

#include <algorithm>
#include <chrono>

namespace vm::sim {

namespace {

using Nanos = SimLinkPort::Nanos;
constexpr Nanos kMilli = 1'000'000;

Nanos Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

SimLinkPort::SimLinkPort(std::shared_ptr<SimDevice> device, QString name)
    : device_(std::move(device)), name_(std::move(name)) {
    paced_ = device_->options().paced;
    replyDelay_ = Nanos(std::max(device_->options().replyDelayMs, 0)) * kMilli;
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SimLinkPort::onTimer);
}

bool SimLinkPort::open() {
    clear();
    device_->resetLink(); // whatever half a frame the last port left
    open_ = true;
    error_.clear();
    return true;
}

void SimLinkPort::close() {
    open_ = false;
    clear();
}

void SimLinkPort::clear() {
    timer_.stop();
    accepted_.clear();
    unreported_ = 0;
    toUnit_.clear();
    toTool_.clear();
    toUnitFree_ = toToolFree_ = 0;
    received_.clear();
}

qint64 SimLinkPort::write(const char* data, qint64 size) {
    if (!open_) {
        error_ = QStringLiteral("The simulated unit is not open");
        return -1;
    }
    if (size <= 0) return 0;
    const Nanos now = Now();
    const Nanos start = paced_ ? std::max(now, toUnitFree_) : now;
    const Nanos done = paced_ ? start + size * kByteTime : now;
    toUnitFree_ = done;
    toUnit_.push_back({QByteArray(data, size), done});
    // Taken into the buffer once no more than kBufferBytes are ahead of it.
    accepted_.push_back({size, std::max(now, start - kBufferBytes * kByteTime)});
    unreported_ += size;
    arm(); // answers come from the timer, never from inside this call
    return size;
}

QByteArray SimLinkPort::readAll() {
    QByteArray out;
    out.swap(received_);
    return out;
}

void SimLinkPort::onTimer() {
    if (!open_) return;
    const Nanos now = Now();

    qint64 written = 0;
    while (!accepted_.empty() && accepted_.front().at <= now) {
        written += accepted_.front().size;
        accepted_.pop_front();
    }
    unreported_ -= written;

    while (!toUnit_.empty() && toUnit_.front().done <= now) {
        const OnWire request = std::move(toUnit_.front());
        toUnit_.pop_front();
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(request.bytes.constData());
        for (const SimFrame& frame : device_->feed(bytes, static_cast<std::size_t>(request.bytes.size()))) {
            const Nanos size = static_cast<Nanos>(frame.size());
            const Nanos start = std::max(request.done + replyDelay_, toToolFree_);
            const Nanos done = paced_ ? start + size * kByteTime : start;
            toToolFree_ = done;
            toTool_.push_back({QByteArray(reinterpret_cast<const char*>(frame.data()), size), done});
        }
    }

    // Sent unasked (the bootloader's prompt): on the line from now.
    for (const SimFrame& frame : device_->tick()) {
        const Nanos size = static_cast<Nanos>(frame.size());
        const Nanos start = std::max(now, toToolFree_);
        const Nanos done = paced_ ? start + size * kByteTime : start;
        toToolFree_ = done;
        toTool_.push_back({QByteArray(reinterpret_cast<const char*>(frame.data()), size), done});
    }

    const qsizetype before = received_.size();
    while (!toTool_.empty() && toTool_.front().done <= now) {
        received_ += toTool_.front().bytes;
        toTool_.pop_front();
    }
    const bool arrived = received_.size() > before;

    arm();
    // Last, as the link writes and reads from inside these.
    if (written > 0) Q_EMIT bytesWritten(written);
    if (arrived && open_) Q_EMIT readyRead();
}

void SimLinkPort::arm() {
    Nanos next = -1;
    auto earliest = [&next](Nanos t) { next = next < 0 ? t : std::min(next, t); };
    if (!accepted_.empty()) earliest(accepted_.front().at);
    if (!toUnit_.empty()) earliest(toUnit_.front().done);
    if (!toTool_.empty()) earliest(toTool_.front().done);
    if (const auto due = device_->nextTick()) earliest(due->time_since_epoch() / std::chrono::nanoseconds(1));
    if (next < 0) {
        timer_.stop();
        return;
    }
    // Timers count whole milliseconds: round up, so nothing arrives early.
    const Nanos wait = std::max<Nanos>(next - Now(), 0);
    timer_.start(static_cast<int>((wait + kMilli - 1) / kMilli));
}

} // namespace vm::sim
