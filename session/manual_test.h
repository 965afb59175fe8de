#pragma once
// Switching outputs by hand in manual test: one channel from its button, or
// all 34 one after another from the keypad toggle, paced by a timer so the
// window keeps running while the sweep goes on.
#include "session/unit_session.h"

#include <QObject>
#include <QTimer>

namespace vm {

// CHANNEL_SWITCH commands.
inline constexpr std::uint8_t kChannelOn = 0xF0;
inline constexpr std::uint8_t kChannelOff = 0x0F;

// CHANNEL_SWITCH: [chk][12][1][36][channel][command][6 × 0xFF].
LinkPacket ChannelSwitchPacket(int channel, bool on);

class ManualTest : public QObject {
    Q_OBJECT
public:
    static constexpr int kChannels = 34;
    static constexpr int kSweepStepMs = 25;
    static constexpr int kMaxQueuedSweeps = 8; // a held key must not queue forever

    explicit ManualTest(UnitSession& unit, QObject* parent = nullptr);

    // Sends CHANNEL_SWITCH only in manual test with a unit connected.
    bool SwitchChannel(int channel, bool on);
    // The keypad toggle: a sweep over all channels, all off the first time,
    // all on the next. A press while one runs is queued behind it.
    void ToggleAll();
    // The timer's handler: the next channel of the sweep.
    void SweepStep();

    bool sweeping() const { return sweep_.isActive(); }
    int queuedSweeps() const { return queued_; }
    bool nextSweepOn() const { return allOn_; }
    QTimer& sweepTimer() { return sweep_; }

private:
    void stop();

    UnitSession& unit_;
    QTimer sweep_;
    int next_ = 1; // channel the next step switches
    int queued_ = 0;
    bool allOn_ = false; // the first sweep switches everything off
};

} // namespace vm
