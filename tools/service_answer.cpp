#include "tools/service_answer.h"

#include "session/unit_session.h"

namespace vm {

Answer CheckAnswer(const LinkPacket& p, std::uint8_t group, std::uint8_t command, int minLength) {
    if (p.size < kMinPacketLength) return Answer::Other;
    if (!p.checksumOk()) return Answer::BadChecksum;
    if (p.group() != group || p.command() != command) return Answer::Other;
    // The assembler hands on only packets whose declared length arrived.
    if (p.length() < minLength || p.size < minLength) return Answer::Short;
    return Answer::Ok;
}

QString TimeStampText(const QTime& time) {
    return QString::number(time.second()) + QLatin1Char(':') + QString::number(time.msec());
}

QString PrintableText(const std::uint8_t* bytes, int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        if (b >= 32 && b <= 126)
            text += QLatin1Char(static_cast<char>(b));
        else
            text +=
                QStringLiteral("\\x") + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return text;
}

LossGuard::LossGuard(UnitSession& unit, QObject* parent) : QObject(parent) {
    grace_.setSingleShot(true);
    grace_.setInterval(kDeviceLossGraceMs);
    connect(&grace_, &QTimer::timeout, this, &LossGuard::GraceTimer);
    connect(&unit, &UnitSession::linkLost, this, &LossGuard::OnLost);
    connect(&unit, &UnitSession::linkReopened, this, &LossGuard::OnReopened);
}

void LossGuard::disarm() {
    armed_ = false;
    down_ = false;
    grace_.stop();
}

void LossGuard::OnLost() {
    if (!armed_ || down_) return;
    down_ = true;
    grace_.start();
    if (paused) paused();
}

void LossGuard::OnReopened(int framesStillQueued) {
    if (!armed_ || !down_) return;
    down_ = false;
    grace_.stop();
    // A request still queued goes out by itself; one lost on the way goes again.
    if (framesStillQueued == 0 && resend) resend();
    if (resumed) resumed();
}

void LossGuard::GraceTimer() {
    if (!armed_ || !down_) return;
    disarm();
    if (gaveUp) gaveUp();
}

} // namespace vm
