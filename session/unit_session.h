#pragma once
// The main window's core without its widgets: receive dispatch, the poll and
// keep-alive cycles, the live status model, unit statistics and test mode.
// The GUI binds widgets to it; the CLI runs it headless with the same timers.
#include "session/live_status.h"
#include "session/service_windows.h"
#include "session/session_state.h"
#include "protocol/frame_codec.h"

#include <QObject>
#include <QTimer>

namespace vm {

class TrafficLog;

// Test modes of TEST_MODE_SET.
enum class TestMode : std::uint8_t { Auto = 0, Manual = 1, Calibration = 2 };

class UnitSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 150;
    static constexpr int kKeepAliveMs = 400;
    static constexpr int kStatsDelayMs = 10;
    static constexpr int kSilenceTicks = 5; // blank after more than this many silent ticks

    UnitSession(PacketLink& link, TrafficLog* log, QObject* parent = nullptr);

    SessionState& state() { return state_; }
    const SessionState& state() const { return state_; }
    ServiceWindows& services() { return services_; }
    LiveStatus& live() { return live_; }
    UnitStats& stats() { return stats_; }
    const UnitStats& stats() const { return stats_; }
    PacketLink& link() { return link_; }

    // Received bytes (route 0) into the frame assembler; packets go to Dispatch.
    void PutBytes(const QByteArray& bytes);
    void Dispatch(const LinkPacket& packet);
    void Send(const LinkPacket& packet) { SendCommand(link_, packet); }

    // Link events (status-bar texts are the window's business).
    void OnDeviceLost();

    // Polling runs only on the "General" page.
    void setCurrentPage(int index) { currentPage_ = index; }
    int currentPage() const { return currentPage_; }
    void PollTick();      // every 150 ms
    void KeepAliveTick(); // every 400 ms
    void SendStatsRequest();
    QTimer& statsTimer() { return statsTimer_; } // single shot, 10 ms after each STATUS_REQ

    // The "Auto" / "Manuel test" choice; tells the unit when one is connected.
    void SetTestMode(TestMode mode);
    TestMode testMode() const { return testMode_; }

    // Keep-alive bookkeeping, visible for the window and for tests.
    int activityLamp() const { return activity_; } // 0..2, the lit lamp
    bool lost() const { return lost_; }
    int silence() const { return silence_; }
    bool versionSeen() const { return versionSeen_; }
    int pollStep() const { return pollStep_; }
    // Busy: a firmware update or a configuration transfer is running.
    bool busy() const { return state_.firmwareUpdate || state_.transferInProgress; }

Q_SIGNALS:
    void testModeChanged(TestMode mode);
    void activityChanged(int litLamp);
    void titleRebuildRequested();
    void refreshNameLists();
    void statusReceived();
    void statsReceived();
    void canMonitorLine(const QString& line);
    // Configuration answers (codes 129..228 of the transfer); the configuration
    // store and the transfer take them from here.
    void configAnswer(const LinkPacket& packet);
    void factoryResetDone();
    void diagnosticsHighPower(const LinkPacket& packet);
    void diagnosticsLowPower(const LinkPacket& packet);
    void diagnosticsCleared();

private:
    void dispatchApp(const LinkPacket& packet);
    void sendRequest(std::uint8_t command, std::initializer_list<std::uint8_t> payload = {});

    PacketLink& link_;
    TrafficLog* log_;
    SessionState state_;
    UnitStats stats_;
    ServiceWindows services_;
    LiveStatus live_;
    FrameAssembler assembler_;
    QTimer statsTimer_;
    int currentPage_ = kPageGeneral;
    int pollStep_ = 0;
    int activity_ = 0;
    int silence_ = 0;
    bool versionSeen_ = false; // reply-seen flag of the keep-alive
    bool lost_ = false;
    TestMode testMode_ = TestMode::Auto;
};

// "Can id: 1A0 , Data: 01 02" for a CAN_MONITOR_FRAME.
QString CanMonitorLine(const LinkPacket& packet);

} // namespace vm
