#pragma once
// Small pieces every service tool shares: whether a packet is the answer a
// tool waits for (checked whole before a byte of it is read), the time stamp
// of the log lines, unit texts made safe to show, and what a tool does when
// the device goes away in the middle of a store.
#include "protocol/link_packet.h"

#include <QObject>
#include <QString>
#include <QTime>
#include <QTimer>
#include <functional>

namespace vm {

class UnitSession;

enum class Answer {
    Other,       // another group or command
    BadChecksum, // its checksum does not match
    Short,       // ours, but shorter than the layout the tool reads
    Ok,
};

// minLength: one past the last packet position the caller reads.
Answer CheckAnswer(const LinkPacket& packet, std::uint8_t group, std::uint8_t command, int minLength);

// "seconds:milliseconds", both without leading zeros, as the logs show time.
QString TimeStampText(const QTime& time);

// Bytes as text, printable ASCII as it is, anything else as \xNN, so a unit
// cannot put control characters or broken encodings into a window.
QString PrintableText(const std::uint8_t* bytes, int count);

// How long a store waits for a lost device to come back before it gives up.
inline constexpr int kDeviceLossGraceMs = 10000;

// Follows the link while a tool has a request the unit must answer: on loss
// the tool's reply timer stops; when the device is back within the grace time
// the unfinished request goes again (unless the link still holds it queued);
// otherwise the tool ends at once and says what the unit now holds.
class LossGuard : public QObject {
    Q_OBJECT
public:
    explicit LossGuard(UnitSession& unit, QObject* parent = nullptr);

    void arm() { armed_ = true; }
    void disarm();
    bool armed() const { return armed_; }
    bool down() const { return down_; }

    std::function<void()> paused;  // the device went away mid-request
    std::function<void()> resend;  // back in time, the request was lost with it
    std::function<void()> resumed; // back in time (after resend, if any)
    std::function<void()> gaveUp;  // not back within the grace time

    // Timer handlers, called by tests directly.
    void OnLost();
    void OnReopened(int framesStillQueued);
    void GraceTimer();
    QTimer& graceTimer() { return grace_; }

private:
    QTimer grace_;
    bool armed_ = false;
    bool down_ = false;
};

} // namespace vm
