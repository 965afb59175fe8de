#pragma once
// The firmware gate of the configuration transfer: waits for the unit's
// STATUS answer, reads the version text it carries and accepts major version 8.
#include "session/service_windows.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

namespace vm {

constexpr int kVersionTextMax = 20;
constexpr int kVersionTextPos = 4;

// The digit before the first '.' and the two characters after it, read as a
// decimal number ("8.12" -> 812, "8.5" -> 85). nullopt without a '.', or when
// those characters are not all digits.
std::optional<int> ParseVersionNumber(const QString& text);
// Major version 8: 800..899.
bool IsCompatibleVersion(const QString& text);

// The version text of a STATUS packet: positions 4..23, up to the first zero byte.
QString VersionTextOf(const LinkPacket& packet);

class VersionCheck : public QObject, public PacketReceiver {
    Q_OBJECT
public:
    static constexpr int kAnswerTimeoutMs = 1000;
    static constexpr int kCloseDelayMs = 500;

    enum class Verdict { Compatible, TimedOut, Wrong };

    explicit VersionCheck(QObject* parent = nullptr);

    // Clears both flags and starts waiting for the answer.
    void Start();
    // No answer in time.
    void OnAnswerTimeout();
    // The answer has been shown long enough.
    void OnCloseDelay();
    void ReceivePacket(const LinkPacket& packet) override;

    bool timedOut() const { return timedOut_; }
    bool compatible() const { return compatible_; }
    bool answered() const { return answered_; }
    bool isFinished() const { return finished_; }
    const QString& versionText() const { return versionText_; }
    Verdict verdict() const;

    QTimer& answerTimer() { return answerTimer_; }
    QTimer& closeTimer() { return closeTimer_; }

Q_SIGNALS:
    // The received version text, for the window to show.
    void versionReceived(const QString& text);
    // The check is over; the window closes.
    void finished();

private:
    void finish();

    QTimer answerTimer_;
    QTimer closeTimer_;
    QString versionText_;
    bool timedOut_ = false;
    bool compatible_ = false;
    bool answered_ = false;
    bool finished_ = false;
};

// What the user is told after the check; empty for a compatible unit.
QString VerdictMessage(VersionCheck::Verdict verdict);
QString TimeoutMessage();
QString WrongVersionMessage();

} // namespace vm
