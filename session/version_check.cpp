#include "session/version_check.h"

#include "session/answer_layouts.h"

#include "protocol/message_catalogue.h"

namespace vm {

std::optional<int> ParseVersionNumber(const QString& text) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot < 1) return std::nullopt; // no '.', or nothing before it
    const QString digits = text.mid(dot - 1, 1) + text.mid(dot + 1, 2);
    int value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

bool IsCompatibleVersion(const QString& text) {
    const std::optional<int> number = ParseVersionNumber(text);
    return number && *number >= 800 && *number <= 899;
}

QString VersionTextOf(const LinkPacket& packet) {
    QString text;
    for (int i = 0; i < kVersionTextMax; ++i) {
        const std::uint8_t c = packet.at(kVersionTextPos + i);
        if (c == 0) break;
        text += QChar::fromLatin1(static_cast<char>(c));
    }
    return text;
}

VersionCheck::VersionCheck(QObject* parent) : QObject(parent) {
    answerTimer_.setObjectName(QStringLiteral("answerTimer"));
    answerTimer_.setInterval(kAnswerTimeoutMs);
    answerTimer_.setSingleShot(true);
    closeTimer_.setObjectName(QStringLiteral("closeTimer"));
    closeTimer_.setInterval(kCloseDelayMs);
    closeTimer_.setSingleShot(true);
    connect(&answerTimer_, &QTimer::timeout, this, &VersionCheck::OnAnswerTimeout);
    connect(&closeTimer_, &QTimer::timeout, this, &VersionCheck::OnCloseDelay);
}

void VersionCheck::Start() {
    timedOut_ = false;
    compatible_ = false;
    answered_ = false;
    finished_ = false;
    versionText_.clear();
    closeTimer_.stop();
    answerTimer_.start();
}

void VersionCheck::OnAnswerTimeout() {
    answerTimer_.stop();
    if (finished_ || answered_) return;
    timedOut_ = true;
    finish();
}

void VersionCheck::OnCloseDelay() {
    closeTimer_.stop();
    if (finished_) return;
    finish();
}

void VersionCheck::ReceivePacket(const LinkPacket& packet) {
    if (!packet.checksumOk()) return;
    if (packet.group() != kGroupApp || packet.command() != msg::STATUS) return;
    if (packet.length() < MinAnswerLength(msg::STATUS)) return; // its text would be read as zeros
    // The keep-alive asks every 400 ms: the first answer decides, and a later
    // one must not restart the close delay or the window would never close.
    if (answered_ || finished_) return;
    answerTimer_.stop();
    answered_ = true;
    versionText_ = VersionTextOf(packet);
    Q_EMIT versionReceived(versionText_);
    compatible_ = IsCompatibleVersion(versionText_);
    // Also for a text that is no number: the window closes as for any version.
    closeTimer_.start();
}

VersionCheck::Verdict VersionCheck::verdict() const {
    if (compatible_) return Verdict::Compatible;
    if (timedOut_) return Verdict::TimedOut;
    return Verdict::Wrong;
}

void VersionCheck::finish() {
    finished_ = true;
    answerTimer_.stop();
    closeTimer_.stop();
    Q_EMIT finished();
}

QString TimeoutMessage() { return QStringLiteral("Timeout for software version"); }
QString WrongVersionMessage() {
    return QStringLiteral("Wrong software version in target, use other program");
}

QString VerdictMessage(VersionCheck::Verdict verdict) {
    switch (verdict) {
    case VersionCheck::Verdict::Compatible:
        return {};
    case VersionCheck::Verdict::TimedOut:
        return TimeoutMessage();
    case VersionCheck::Verdict::Wrong:
        return WrongVersionMessage();
    }
    return {};
}

} // namespace vm
