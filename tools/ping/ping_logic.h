#pragma once
// The ping test without its window: pings of random length and data, the
// echo compared byte for byte, the log lines, the error count, and the timed
// pinging with its timeout of more than 50 ticks.
#include "protocol/link_packet.h"
#include "session/service_windows.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTime>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

namespace vm {

class UnitSession;

class PingLogic : public QObject, public PacketReceiver {
    Q_OBJECT
public:
    static constexpr int kPingLength = 21;
    static constexpr int kMaxData = 15;
    static constexpr int kTimeoutTicks = 50; // ticks beyond this with no echo: timeout
    static constexpr int kDefaultIntervalMs = 500;
    static constexpr int kMaxIntervalMs = 3600000;

    // random: the generator (a seeded one by default); now: the clock of the time stamps.
    explicit PingLogic(UnitSession& unit, std::function<std::uint32_t()> random = {},
                       std::function<QTime()> now = {}, QObject* parent = nullptr);

    // BtnPingClick: one ping.
    void SendPing();
    // BtnTimerClick while stopped: the interval text must be a whole number of
    // milliseconds from 1; otherwise the message says why and nothing starts.
    std::optional<QString> StartTimer(const QString& intervalText);
    void StopTimer(); // BtnTimerClick while running, and FormClose
    void Timer1Timer();
    bool timerRunning() const { return Timer1.isActive(); }
    QTimer& timer() { return Timer1; }

    void ReceivePacket(const LinkPacket& packet) override;

    bool pending() const { return pending_; }
    int errorCount() const { return errors_; }
    int ticks() const { return ticks_; }
    const LinkPacket& lastPing() const { return ping_; }
    int lastCount() const { return ping_.bytes[4]; }

    // The interval text as milliseconds, or nothing.
    static std::optional<int> ParseInterval(const QString& text);
    // The echo of ping against the answer: right only when the count is the
    // one sent and every data byte matches.
    static bool EchoMatches(const LinkPacket& ping, const LinkPacket& echo);

Q_SIGNALS:
    void lineAdded(const QString& line);
    void errorCountChanged(int count);
    // One per received echo: right or not, and the round trip in milliseconds.
    void echoReceived(bool right, double ms);
    void checksumError();

private:
    void addLine(const QString& line) { Q_EMIT lineAdded(line); }

    UnitSession& unit_;
    std::function<std::uint32_t()> random_;
    std::function<QTime()> now_;
    QTimer Timer1;
    QElapsedTimer sentAt_;
    LinkPacket ping_;
    LinkPacket previous_; // the ping before: its echo may still come, late
    bool pending_ = false;
    int ticks_ = 0;
    int errors_ = 0;
};

} // namespace vm
