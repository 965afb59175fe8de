#include "session/unit_session.h"

#include "session/answer_layouts.h"

#include <algorithm>

#include "link/traffic_lines.h"
#include "link/traffic_log.h"
#include "protocol/message_catalogue.h"
#include "session/version_check.h"

namespace vm {

namespace {

// Answers of the configuration transfer: acknowledgements and blocks.
bool IsConfigAnswer(std::uint8_t code) {
    switch (code) {
    case msg::OUTPUT_CFG_WRITE_DONE:
    case msg::OUTPUT_CFG:
    case msg::INPUT_CFG_WRITE_DONE:
    case msg::INPUT_CFG:
    case msg::PWM_CFG_WRITE_DONE:
    case msg::PWM_CFG:
    case msg::LOW_BATT_CFG_WRITE_DONE:
    case msg::LOW_BATT_CFG:
    case msg::START_BUTTON_CFG_WRITE_DONE:
    case msg::START_BUTTON_CFG:
    case msg::CAN_RULE_WRITE_DONE:
    case msg::CAN_RULE:
    case msg::VIRTUAL_INPUT_WRITE_DONE:
    case msg::VIRTUAL_INPUT:
    case msg::CAN_EXPORT1_WRITE_DONE:
    case msg::CAN_EXPORT1:
    case msg::FLASH_WRITE_DONE:
    case msg::FLASH:
    case msg::CAN_EXPORT_WRITE_DONE:
    case msg::CAN_EXPORT:
    case msg::BOX_NAME_WRITE_DONE:
    case msg::BOX_NAME:
    case msg::CAN_SETTINGS_WRITE_DONE:
    case msg::CAN_SETTINGS:
        return true;
    default:
        return false;
    }
}

} // namespace

QString CanMonitorLine(const LinkPacket& p) {
    auto hex = [](int value, int digits) {
        return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
    };
    QString line = QStringLiteral("Can id: ") + hex(p.at(4) | (p.at(5) << 8), 3) + QStringLiteral(" , Data:");
    // The count byte may claim more than arrived: print only what is there.
    constexpr int kDataAt = 7, kMaxData = 8;
    const int present = std::min<int>(p.length(), p.size) - kDataAt;
    const int count = std::min({int(p.at(6)), present, kMaxData});
    for (int i = 0; i < count; ++i)
        line += QLatin1Char(' ') + hex(p.at(7 + i), 2);
    return line;
}

UnitSession::UnitSession(PacketLink& link, TrafficLog* log, QObject* parent)
    : QObject(parent), link_(link), log_(log), live_(this),
      assembler_([this](const LinkPacket& p) { Dispatch(p); },
                 [this](RejectReason reason, const std::uint8_t*, int count) {
                     // A bad cable shows here first: as visible as a checksum error.
                     if (log_) log_->LogLine(FrameDroppedLine(reason, count), kColourChecksum);
                 }) {
    statsTimer_.setSingleShot(true);
    statsTimer_.setInterval(kStatsDelayMs);
    services_.changed = [this] { UpdateHandOffHold(); };
    connect(&statsTimer_, &QTimer::timeout, this, &UnitSession::SendStatsRequest);
}

void UnitSession::PutBytes(const QByteArray& bytes) {
    assembler_.PutBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                        static_cast<int>(bytes.size()));
}

void UnitSession::OnReceiveGap() { assembler_.Resync(); }

void UnitSession::sendRequest(std::uint8_t command, std::initializer_list<std::uint8_t> payload) {
    Send(LinkPacket::make(kGroupApp, command, payload));
}

void UnitSession::Dispatch(const LinkPacket& packet) {
    // Service windows check everything themselves, bad checksums included.
    services_.offer(packet);
    if (!packet.checksumOk()) {
        if (log_) log_->LogLine(ChecksumErrorLine(packet), kColourChecksum);
        return;
    }
    if (packet.group() == kGroupService) {
        if (packet.command() == msg::RESEND_REQ) {
            if (log_) log_->LogLine(ResendRequestLine(), kColourResend);
            link_.ResendLast();
        }
        return; // the rest of group 0 belongs to the service windows
    }
    if (packet.group() != kGroupApp) return;
    const int needed = MinAnswerLength(packet.command());
    if (packet.length() < needed) {
        // Read as zeros it would look like a real answer: refuse it, as if unanswered.
        ++shortAnswers_;
        if (log_) log_->LogLine(ShortAnswerLine(packet, needed), kColourChecksum);
        return;
    }
    dispatchApp(packet);
}

QString ShortAnswerLine(const LinkPacket& packet, int needed) {
    const MessageInfo* info = FindMessage(packet.group(), packet.command(), Direction::FromUnit);
    return QStringLiteral("Short answer %1 (%2): length %3, at least %4 expected")
        .arg(packet.command())
        .arg(QString::fromLatin1(info ? info->name : "unknown"))
        .arg(packet.length())
        .arg(needed);
}

void UnitSession::dispatchApp(const LinkPacket& p) {
    const std::uint8_t code = p.command();
    if (IsConfigAnswer(code)) {
        Q_EMIT configAnswer(p);
        if (code == msg::INPUT_CFG && p.at(4) == 11) sendRequest(msg::OUTPUT_CFG_READ, {255});
        if (code == msg::OUTPUT_CFG && p.at(4) == 34) sendRequest(msg::LOW_BATT_CFG_READ);
        return;
    }
    switch (code) {
    case msg::CAN_MONITOR_FRAME:
        Q_EMIT canMonitor_.lineReceived(CanMonitorLine(p));
        break;
    case msg::FACTORY_RESET_DONE:
        Q_EMIT factoryResetDone();
        break;
    case msg::STATUS:
        versionSeen_ = true;
        stats_.version = VersionTextOf(p);
        stats_.secondsSincePowerUp = (std::uint32_t(p.at(17)) << 16) | (p.at(18) << 8) | p.at(19);
        Q_EMIT statusReceived();
        break;
    case msg::LIVE_VALUES:
        live_.ShowLiveValues(p);
        break;
    case msg::INPUT_STATE:
        live_.ShowInputStates(p);
        break;
    case msg::CHANNEL_STATE:
        live_.ShowChannelState(p);
        break;
    case msg::DIAG_HIGH_POWER:
        Q_EMIT diagnostics_.highPowerReceived(p);
        sendRequest(msg::DIAG_NEXT);
        break;
    case msg::DIAG_CLEARED:
        if (!busy()) sendRequest(msg::DIAG_READ);
        Q_EMIT diagnostics_.cleared();
        break;
    case msg::DIAG_LOW_POWER:
        Q_EMIT diagnostics_.lowPowerReceived(p);
        break;
    case msg::UNIT_STATS:
        stats_.maxCurrentTenths = static_cast<std::uint16_t>(p.at(4) | (p.at(5) << 8));
        stats_.maxTemperature = p.at(6);
        stats_.watchdogCount = p.at(7);
        Q_EMIT statsReceived();
        break;
    default:
        break; // 136, 220, the service windows' own answers, unknown codes
    }
}

void UnitSession::SetConfigFromUnit() { state_.configFromUnit = 1; }

void UnitSession::SetConfigFromFile(const QString& fileName) {
    state_.configFileName = fileName;
    state_.configFromFile = 1;
    state_.configFromUnit = 0;
}

void UnitSession::OnDeviceLost() {
    live_.BlankLiveDisplay();
    stats_.version.clear();
    Q_EMIT linkLost();
}

void UnitSession::OnDeviceReopened(int framesStillQueued) { Q_EMIT linkReopened(framesStillQueued); }

void UnitSession::UpdateHandOffHold() {
    const bool awaited = !state_.connected || busy() || services_.anyPublished();
    link_.SetHandOffHold(awaited ? 0 : kIdleHoldMs);
}

void UnitSession::PollTick() {
    UpdateHandOffHold();
    if (busy() || !pollsNow() || !state_.connected) return;
    switch (pollStep_) {
    case 0:
        sendRequest(msg::LIVE_VALUES_REQ);
        break;
    case 1:
        sendRequest(msg::CHANNEL_STATE_REQ, {255});
        break;
    default:
        sendRequest(msg::INPUT_STATE_REQ);
        break;
    }
    pollStep_ = (pollStep_ + 1) % 3;
}

void UnitSession::KeepAliveTick() {
    Q_EMIT activityChanged(activity_);
    if (versionSeen_) {
        activity_ = (activity_ + 1) % 3;
        if (lost_ && state_.connected && !busy()) {
            lost_ = false;
            SetTestMode(testMode_); // the unit may have restarted in its automatic mode
        }
    } else if (!services_.published(ServiceSlot::Calibration) && state_.connected && !busy() &&
               silence_ > kSilenceTicks) {
        lost_ = true;
        live_.BlankLiveDisplay();
    }
    Q_EMIT titleRebuildRequested();
    if (state_.connected && !busy()) {
        sendRequest(msg::STATUS_REQ);
        statsTimer_.start();
    }
    if (!state_.transferInProgress) {
        silence_ = versionSeen_ ? 0 : silence_ + 1;
        versionSeen_ = false;
    }
    if (state_.namesDirty) {
        state_.namesDirty = 0;
        Q_EMIT refreshNameLists();
    }
}

void UnitSession::SendStatsRequest() {
    if (state_.connected && !busy()) sendRequest(msg::STATS_REQ);
}

void UnitSession::SetTestMode(TestMode mode) {
    testMode_ = mode;
    if (state_.connected) sendRequest(msg::TEST_MODE_SET, {static_cast<std::uint8_t>(mode)});
    Q_EMIT testModeChanged(mode);
}

} // namespace vm
