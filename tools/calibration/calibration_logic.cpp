#include "tools/calibration/calibration_logic.h"

#include "protocol/message_catalogue.h"
#include "session/unit_session.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace vm {

ChannelTexts TextsOf(const std::optional<ChannelCalibration>& c) {
    if (!c) return {QStringLiteral("--"), QStringLiteral("--"), QStringLiteral("--"), QStringLiteral("--")};
    return {QString::asprintf("%d.%d A", c->currentTenths / 10, c->currentTenths % 10),
            QString::asprintf("%04d", c->ratio), QString::asprintf("%04d", c->ad),
            QString::asprintf("%02d", c->offset)};
}

RatioResult ComputeRatio(const QString& currentText, const std::optional<ChannelCalibration>& c) {
    RatioResult r;
    if (!c) {
        r.error = QStringLiteral("The unit has not told this channel's A/D value and offset yet");
        return r;
    }
    QString text = currentText.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double current = text.toDouble(&ok);
    if (text.isEmpty() || !ok || !std::isfinite(current) || current < 0 || current > 1000) {
        r.error = QStringLiteral("The measured current \"%1\" is not a number of amperes from 0 to 1000")
                      .arg(currentText);
        return r;
    }
    const int span = int(c->ad) - int(c->offset);
    if (span == 0) {
        r.error = QStringLiteral("The A/D value equals the offset (%1): load the channel first").arg(c->ad);
        return r;
    }
    if (span < 0) {
        // A negative ratio would be clamped to the minimum and stored as if measured.
        r.error =
            QStringLiteral("The A/D value %1 is below the offset %2: zero the offsets with no load first")
                .arg(c->ad)
                .arg(c->offset);
        return r;
    }
    const double ratio = std::trunc(current * 1000000.0 / (span * 10.39));
    r.ratio = static_cast<int>(std::clamp(ratio, double(kMinRatio), double(kMaxRatio)));
    return r;
}

std::uint8_t UseValuesFlags(bool offsets, bool ratios) {
    return static_cast<std::uint8_t>((offsets ? 2 : 0) + (ratios ? 4 : 0));
}

CalibrationLogic::CalibrationLogic(UnitSession& unit, QObject* parent)
    : QObject(parent), unit_(unit), guard_(unit) {
    TimerRefres.setSingleShot(true);
    TimerRefres.setInterval(kRefreshMs);
    connect(&TimerRefres, &QTimer::timeout, this, &CalibrationLogic::TimerRefresTimer);
    guard_.resend = [this] {
        if (storing_) continueChain(storing_ - 1);
    };
    guard_.resumed = [this] { TimerRefres.start(); }; // the poll lost its request with the device
    guard_.gaveUp = [this] {
        QStringList done, left;
        for (int ch = 1; ch <= kCalibrationChannels; ++ch)
            if (storeList_[static_cast<std::size_t>(ch)])
                (ch < storing_ ? done : left) << QString::number(ch);
        storing_ = 0;
        Q_EMIT storeFailed(
            QStringLiteral("USB DISCONNECTED during the ratio store: the unit holds the new ratio of "
                           "channels %1, the old one of channels %2. Store again.")
                .arg(done.isEmpty() ? QStringLiteral("none") : done.join(QStringLiteral(", ")),
                     left.join(QStringLiteral(", "))));
    };
}

void CalibrationLogic::Open() {
    newRatios_.fill(0);
    poll_ = 1;
    modeAsked_ = true;
    modeConfirmed_ = false;
    unit_.Send(
        LinkPacket::make(kGroupApp, msg::TEST_MODE_SET, {static_cast<std::uint8_t>(TestMode::Calibration)}));
}

void CalibrationLogic::Close() {
    TimerRefres.stop();
    modeAsked_ = false;
    guard_.disarm();
    unit_.SetTestMode(unit_.testMode());
}

void CalibrationLogic::requestChannel(int channel) {
    unit_.Send(LinkPacket::make(kGroupApp, msg::CALIBRATION_READ, {static_cast<std::uint8_t>(channel)}));
}

void CalibrationLogic::TimerRefresTimer() {
    TimerRefres.stop();
    requestChannel(poll_);
}

RatioResult CalibrationLogic::NewRatio(int channel, const QString& currentText) {
    if (channel < 1 || channel > kCalibrationChannels)
        return {std::nullopt, QStringLiteral("No such channel")};
    const RatioResult r = ComputeRatio(currentText, channels_[static_cast<std::size_t>(channel)]);
    if (r.ratio) SetNewRatio(channel, *r.ratio);
    return r;
}

void CalibrationLogic::SetNewRatio(int channel, int ratio) {
    if (channel < 1 || channel > kCalibrationChannels) return;
    newRatios_[static_cast<std::size_t>(channel)] = ratio;
    Q_EMIT newRatioChanged(channel, ratio);
}

void CalibrationLogic::StoreRatios() {
    storeList_ = newRatios_;
    storing_ = 0;
    guard_.arm();
    continueChain(0);
}

void CalibrationLogic::continueChain(int after) {
    if (after + 1 > kCalibrationChannels) {
        storing_ = 0;
        guard_.disarm();
        Q_EMIT message(QString::fromLatin1(kStoredRatioText));
        Q_EMIT storeChainEnded();
        return;
    }
    for (int b = after + 1; b <= kCalibrationChannels; ++b) {
        const int ratio = storeList_[static_cast<std::size_t>(b)];
        if (ratio == 0) continue;
        storing_ = b;
        unit_.Send(LinkPacket::make(kGroupApp, msg::CALIBRATION_SET,
                                    {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(ratio >> 8),
                                     static_cast<std::uint8_t>(ratio)}));
        return;
    }
    storing_ = 0;
    guard_.disarm();
    Q_EMIT storeChainEnded(); // silently, as the last channel stored was below 18
}

void CalibrationLogic::StoreOffsets() {
    offsetAsked_ = true;
    unit_.Send(LinkPacket::make(kGroupApp, msg::CALIBRATION_AD_OFFSET));
}

void CalibrationLogic::UseValues(bool offsets, bool ratios) {
    unit_.Send(LinkPacket::make(kGroupApp, msg::CALIBRATION_MODE, {UseValuesFlags(offsets, ratios)}));
}

void CalibrationLogic::ReceivePacket(const LinkPacket& p) {
    if (p.size < kMinPacketLength || !p.checksumOk() || p.group() != kGroupApp) return;
    switch (p.command()) {
    case msg::TEST_MODE_SET_DONE:
        if (!modeAsked_) return; // the main window's own mode changes
        modeAsked_ = false;
        modeConfirmed_ = true;
        Q_EMIT message(QString::fromLatin1(kCalibrationModeText));
        requestChannel(poll_);
        return;
    case msg::CALIBRATION_DATA: {
        if (CheckAnswer(p, kGroupApp, msg::CALIBRATION_DATA, kDataLength) != Answer::Ok) {
            Q_EMIT shortAnswer(p.command());
            return;
        }
        const int ch = p.at(4);
        if (ch >= 1 && ch <= kCalibrationChannels) {
            channels_[static_cast<std::size_t>(ch)] =
                ChannelCalibration{p.at(5), static_cast<std::uint16_t>((p.at(6) << 8) | p.at(7)),
                                   static_cast<std::uint16_t>((p.at(8) << 8) | p.at(9)),
                                   static_cast<std::uint16_t>((p.at(10) << 8) | p.at(11))};
            Q_EMIT channelChanged(ch);
        }
        // Round robin by itself, whichever channel answered.
        poll_ = poll_ >= kCalibrationChannels ? 1 : poll_ + 1;
        TimerRefres.start();
        return;
    }
    case msg::CALIBRATION_SET_DONE:
        if (CheckAnswer(p, kGroupApp, msg::CALIBRATION_SET_DONE, 5) != Answer::Ok) {
            Q_EMIT shortAnswer(p.command());
            return;
        }
        // Only the answer for the channel just stored moves the chain on.
        if (storing_ == 0 || p.at(4) != storing_) return;
        Q_EMIT ratioStored(storing_);
        continueChain(storing_);
        return;
    case msg::CALIBRATION_AD_OFFSET_DONE:
        if (!offsetAsked_) return;
        offsetAsked_ = false;
        Q_EMIT offsetsStored();
        return;
    default:
        return;
    }
}

} // namespace vm
