#pragma once
// The CAN monitor switch: on only while a unit is connected, and off (with a
// pause for the unit to stop streaming) before anything that moves the
// configuration, and at exit.
#include "session/unit_session.h"

#include <QObject>
#include <QTimer>
#include <functional>

namespace vm {

class CanMonitorControl : public QObject {
    Q_OBJECT
public:
    static constexpr int kPauseMs = 200;

    explicit CanMonitorControl(UnitSession& unit, QObject* parent = nullptr);

    bool enabled() const { return enabled_; }
    // The box was clicked. Ticking it without a connected unit sends nothing
    // and leaves the monitor off. Returns the state the box must show.
    bool SetEnabled(bool on);
    // Runs then, after switching the monitor off and pausing when it was on.
    // False (then dropped) while an earlier command still waits for its pause.
    bool SwitchOffThen(std::function<void()> then);
    bool pausing() const { return pause_.isActive(); }
    QTimer& pauseTimer() { return pause_; } // single shot, for tests
    // The pause timer's handler: the waiting command runs.
    void PauseEnded();
    // Exit: off without a pause.
    void SwitchOffNow();

Q_SIGNALS:
    void enabledChanged(bool on);

private:
    void send(bool on);

    UnitSession& unit_;
    QTimer pause_;
    std::function<void()> then_;
    bool enabled_ = false;
};

} // namespace vm
