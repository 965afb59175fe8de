#pragma once
// The main window's core without its widgets: receive dispatch, the poll and
// keep-alive cycles, the live status model, unit statistics and test mode.
// The GUI binds widgets to it; the CLI runs it headless with the same timers.
#include "protocol/frame_codec.h"
#include "session/live_status.h"
#include "session/service_windows.h"
#include "session/session_state.h"
#include "session/unit_models.h"

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

    // Read by everyone; each flag is written by the one method below that
    // names its owner.
    const SessionState& state() const { return state_; }
    // The link: set by the first successful connect (window or command line).
    void SetConnected(bool connected) { state_.connected = connected ? 1 : 0; }
    // The firmware service while its window is open.
    void SetFirmwareUpdate(bool running) {
        state_.firmwareUpdate = running ? 1 : 0;
        UpdateHandOffHold();
    }
    // The configuration workflow while its wait runs.
    void SetTransferInProgress(bool running) {
        state_.transferInProgress = running ? 1 : 0;
        UpdateHandOffHold();
    }
    // Live polling alone waits for no answer, so the link may hand a burst of
    // answers on as one batch; a transfer or a service window waits for each.
    static constexpr int kIdleHoldMs = 120;
    void UpdateHandOffHold();
    // The transfer at the end of a chain and the workflow after opening a file;
    // the keep-alive tick clears it when it refreshes the name lists.
    void MarkNamesDirty() { state_.namesDirty = 1; }
    // The workflow: where the configuration shown came from.
    void SetConfigFromUnit();
    void SetConfigFromFile(const QString& fileName);

    ServiceWindows& services() { return services_; }
    LiveStatus& live() { return live_; }
    DiagnosticsModel& diagnostics() { return diagnostics_; }
    CanMonitorModel& canMonitor() { return canMonitor_; }
    UnitStats& stats() { return stats_; }
    const UnitStats& stats() const { return stats_; }
    PacketLink& link() { return link_; }

    // Received bytes (route 0) into the frame assembler; packets go to Dispatch.
    void PutBytes(const QByteArray& bytes);
    // The link dropped bytes: the frame in progress is broken.
    void OnReceiveGap();
    void Dispatch(const LinkPacket& packet);
    void Send(const LinkPacket& packet) { SendCommand(link_, packet); }

    // Link events (status-bar texts are the window's business). framesStillQueued:
    // frames the link kept through the outage and sends now.
    void OnDeviceLost();
    void OnDeviceReopened(int framesStillQueued);

    // Polling runs only on the "General" page.
    void setCurrentPage(int index) { currentPage_ = index; }
    int currentPage() const { return currentPage_; }
    // A live plot polls on every page while it is open.
    void SetPollEverywhere(bool on) { pollEverywhere_ = on; }
    bool pollsNow() const { return currentPage_ == kPageGeneral || pollEverywhere_; }
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
    // Answers refused for being shorter than their layout.
    long long shortAnswers() const { return shortAnswers_; }
    // Busy: a firmware update or a configuration transfer is running.
    bool busy() const { return state_.firmwareUpdate || state_.transferInProgress; }

Q_SIGNALS:
    void linkLost();
    void linkReopened(int framesStillQueued);
    void testModeChanged(TestMode mode);
    void activityChanged(int litLamp);
    void titleRebuildRequested();
    void refreshNameLists();
    void statusReceived();
    void statsReceived();
    // Configuration answers (codes 129..228 of the transfer); the configuration
    // store and the transfer take them from here.
    void configAnswer(const LinkPacket& packet);
    void factoryResetDone();

private:
    void dispatchApp(const LinkPacket& packet);
    void sendRequest(std::uint8_t command, std::initializer_list<std::uint8_t> payload = {});

    PacketLink& link_;
    TrafficLog* log_;
    SessionState state_;
    UnitStats stats_;
    ServiceWindows services_;
    LiveStatus live_;
    DiagnosticsModel diagnostics_;
    CanMonitorModel canMonitor_;
    FrameAssembler assembler_;
    QTimer statsTimer_;
    int currentPage_ = kPageGeneral;
    int pollStep_ = 0;
    bool pollEverywhere_ = false;
    int activity_ = 0;
    int silence_ = 0;
    bool versionSeen_ = false; // reply-seen flag of the keep-alive
    bool lost_ = false;
    long long shortAnswers_ = 0;
    TestMode testMode_ = TestMode::Auto;
};

// The traffic log's line for an answer shorter than its layout.
QString ShortAnswerLine(const LinkPacket& packet, int needed);

// "Can id: 1A0 , Data: 01 02" for a CAN_MONITOR_FRAME.
QString CanMonitorLine(const LinkPacket& packet);

} // namespace vm
