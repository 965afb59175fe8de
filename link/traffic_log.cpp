#include "link/traffic_log.h"

#include "protocol/link_packet.h"

#include <QMetaMethod>
#include <QMutexLocker>

namespace vm {

QString TrafficLog::TxTraceLine(const std::uint8_t* frame, int length) {
    QString text = QStringLiteral("-> Tx;add to Tx buffer: ");
    text.reserve(text.size() + length * 4);
    for (int i = 0; i < length; ++i) {
        text += QLatin1Char(' ');
        text += QString::number(frame[i]);
    }
    return text;
}

// Lines are made only for someone to read them: with no log window (or none
// listening), raw frames wait in the ring instead.
bool TrafficLog::showing() const {
    static const QMetaMethod lineSignal = QMetaMethod::fromSignal(&TrafficLog::line);
    return watched_ && isSignalConnected(lineSignal);
}

void TrafficLog::LogLine(const QString& text, quint32 colour) {
    if (offline_) return;
    if (showing())
        Q_EMIT line(text, colour);
    else
        hold({text, {}, colour});
}

void TrafficLog::LogTxFrame(const std::uint8_t* frame, int length) {
    if (offline_ || length <= 0) return;
    if (showing())
        Q_EMIT line(TxTraceLine(frame, length), kColourTxTrace);
    else
        hold({{}, QByteArray(reinterpret_cast<const char*>(frame), length), kColourTxTrace});
}

void TrafficLog::hold(Held entry) {
    QMutexLocker lock(&heldLock_);
    if (held_.size() >= kHeldLines) held_.pop_front();
    held_.push_back(std::move(entry));
}

std::size_t TrafficLog::held() const {
    QMutexLocker lock(&heldLock_);
    return held_.size();
}

void TrafficLog::setWatched(bool watched) {
    watched_ = watched;
    if (!watched) return;
    std::deque<Held> lines;
    {
        QMutexLocker lock(&heldLock_);
        lines.swap(held_);
    }
    for (const Held& h : lines)
        Q_EMIT line(
            h.text.isEmpty() && !h.frame.isEmpty()
                ? TxTraceLine(reinterpret_cast<const std::uint8_t*>(h.frame.constData()), int(h.frame.size()))
                : h.text,
            h.colour);
}

} // namespace vm
