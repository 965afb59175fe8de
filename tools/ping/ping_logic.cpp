#include "tools/ping/ping_logic.h"

#include "protocol/message_catalogue.h"
#include "session/unit_session.h"
#include "tools/service_answer.h"

#include <QRandomGenerator>
#include <algorithm>

namespace vm {

namespace {
constexpr int kCountPos = 4;
constexpr int kDataPos = 5;

QString HexBytes(const LinkPacket& p, int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QString::number(p.at(kDataPos + i), 16).toUpper().rightJustified(2, QLatin1Char('0')) +
                QLatin1Char(':');
    return text;
}
} // namespace

PingLogic::PingLogic(UnitSession& unit, std::function<std::uint32_t()> random, std::function<QTime()> now,
                     QObject* parent)
    : QObject(parent), unit_(unit), random_(std::move(random)), now_(std::move(now)) {
    if (!random_) random_ = [] { return QRandomGenerator::global()->generate(); };
    if (!now_) now_ = [] { return QTime::currentTime(); };
    connect(&Timer1, &QTimer::timeout, this, &PingLogic::Timer1Timer);
}

void PingLogic::SendPing() {
    std::array<std::uint8_t, kPingLength - kMinPacketLength> payload{};
    const int n = static_cast<int>(random_() % 16);
    payload[0] = static_cast<std::uint8_t>(n);
    for (int i = 0; i < n; ++i)
        payload[static_cast<std::size_t>(1 + i)] = static_cast<std::uint8_t>(random_() % 255);
    previous_ = ping_;
    ping_ = LinkPacket::make(kGroupService, msg::PING_REQ, payload.data(), static_cast<int>(payload.size()));
    unit_.Send(ping_);
    pending_ = true;
    sentAt_.start();
    addLine(TimeStampText(now_()) + QStringLiteral(": PING_REQ - Data: ") + HexBytes(ping_, n));
}

std::optional<int> PingLogic::ParseInterval(const QString& text) {
    bool ok = false;
    const int ms = text.trimmed().toInt(&ok, 10);
    if (!ok || ms < 1 || ms > kMaxIntervalMs) return std::nullopt;
    return ms;
}

std::optional<QString> PingLogic::StartTimer(const QString& intervalText) {
    const auto ms = ParseInterval(intervalText);
    if (!ms)
        return QStringLiteral("The interval is a whole number of milliseconds from 1 to %1, not \"%2\"")
            .arg(kMaxIntervalMs)
            .arg(intervalText);
    Timer1.setInterval(*ms);
    Timer1.start();
    errors_ = 0;
    Q_EMIT errorCountChanged(errors_);
    return std::nullopt;
}

void PingLogic::StopTimer() { Timer1.stop(); }

void PingLogic::Timer1Timer() {
    if (!pending_) {
        ticks_ = 0;
        SendPing();
        return;
    }
    if (++ticks_ > kTimeoutTicks) {
        ticks_ = 0;
        pending_ = false;
        addLine(QStringLiteral(" Timeout error"));
    }
}

bool PingLogic::EchoMatches(const LinkPacket& ping, const LinkPacket& echo) {
    const int n = ping.at(kCountPos);
    if (n > kMaxData || echo.at(kCountPos) != n) return false;
    if (echo.length() < kDataPos + n) return false;
    for (int i = 0; i < n; ++i)
        if (echo.at(kDataPos + i) != ping.at(kDataPos + i)) return false;
    return true;
}

void PingLogic::ReceivePacket(const LinkPacket& p) {
    switch (CheckAnswer(p, kGroupService, msg::PING_CFM, kDataPos)) {
    case Answer::BadChecksum:
        addLine(QStringLiteral("Chksum Error...."));
        Q_EMIT checksumError();
        return;
    case Answer::Other:
        return;
    case Answer::Short:
    case Answer::Ok:
        break; // a short echo is logged and counted wrong below
    }
    // Show only the bytes that arrived, however many the count claims.
    const int shown = std::clamp(std::min<int>(p.at(kCountPos), p.length() - kDataPos), 0, kMaxData);
    QString line = TimeStampText(now_()) + QStringLiteral(": PING_CFM - Data: ") + HexBytes(p, shown);
    const double ms = static_cast<double>(sentAt_.nsecsElapsed()) / 1e6;
    const bool right = EchoMatches(ping_, p);
    addLine(line);
    if (!right && previous_.size > 0 && EchoMatches(previous_, p)) {
        // The echo of a ping that already timed out says nothing about this one.
        addLine(QStringLiteral(" late echo of the ping before"));
        return;
    }
    if (!right) {
        // The ping stays pending: it ends as a timeout unless a right echo follows.
        addLine(QStringLiteral(" ERROR in data"));
        ++errors_;
        Q_EMIT errorCountChanged(errors_);
    } else {
        pending_ = false;
    }
    Q_EMIT echoReceived(right, ms);
}

} // namespace vm
