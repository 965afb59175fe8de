#include "session/live_status.h"

namespace vm {

QString TenthsText(int tenths, const char* unit) {
    return QStringLiteral("%1.%2 %3").arg(tenths / 10).arg(tenths % 10).arg(QLatin1String(unit));
}

const ChannelView& LiveStatus::channel(int number) const {
    return channels_.at(static_cast<std::size_t>(number - 1));
}

bool LiveStatus::input(int number) const { return inputs_.at(static_cast<std::size_t>(number - 1)); }

bool LiveStatus::canInput(int number) const { return canInputs_.at(static_cast<std::size_t>(number - 1)); }

void LiveStatus::ShowLiveValues(const LinkPacket& p) {
    currentSumTenths_ = (p.at(6) << 8) | p.at(7);
    batteryTenths_ = p.at(8);
    currentSum_ = TenthsText(currentSumTenths_, "A");
    vbat_ = TenthsText(batteryTenths_, "V");
    tempValue_ = p.at(9);
    temp_ = QStringLiteral("%1 \u00B0C").arg(tempValue_);
    errors_ = QString::number(p.at(4) + p.at(5));
    Q_EMIT valuesChanged();
}

void LiveStatus::ShowInputStates(const LinkPacket& p) {
    for (int i = 0; i < kInputs; ++i) {
        const int byte = i < 8 ? p.at(4) : p.at(5);
        inputs_[static_cast<std::size_t>(i)] = (byte >> (i % 8)) & 1;
    }
    for (int i = 0; i < kCanInputs; ++i)
        canInputs_[static_cast<std::size_t>(i)] = (p.at(6 + i / 8) >> (i % 8)) & 1;
    Q_EMIT inputsChanged();
}

int LiveStatus::channelCurrentTenths(int number) const {
    return number >= 1 && number <= kChannels ? channelCurrents_[static_cast<std::size_t>(number - 1)] : 0;
}

bool LiveStatus::ShowChannelState(const LinkPacket& p) {
    const int number = p.at(4);
    if (number < 1 || number > kChannels) return false;
    const bool on = p.at(5) == 0xF0;
    const int fault = p.at(6);
    const int current = (p.at(7) << 8) | p.at(8);
    const bool highlight = p.at(9) != 0;
    ChannelView& v = channels_[static_cast<std::size_t>(number - 1)];
    channelCurrents_[static_cast<std::size_t>(number - 1)] = on ? current : 0;

    if (number <= kHighPowerChannels) {
        const char* faultText = fault == 1 ? "-SHORT" : fault == 2 ? "+SHORT" : fault == 4 ? "OPEN"
                                : fault == 8 ? "OVERLOAD" : nullptr;
        if (faultText) {
            v.stateText = QLatin1String(faultText);
            v.stateColour = colour::Red;
            v.buttonText = QStringLiteral("fail");
            v.buttonColour = colour::Red;
        } else if (on) {
            v.buttonText = QStringLiteral("On");
            v.buttonColour = v.stateColour = highlight ? colour::Yellow : colour::Green;
            v.stateText = TenthsText(current, "A");
        } else {
            v.stateText = QStringLiteral("--");
            v.stateColour = colour::White;
            v.buttonText = QStringLiteral("Off");
            v.buttonColour = highlight ? colour::Yellow : colour::ButtonFace;
        }
    } else if (on) {
        const bool failed = fault == 1 || fault == 2 || fault == 4;
        v.buttonText = failed ? QStringLiteral("fail") : QStringLiteral("On");
        v.buttonColour = failed ? colour::Red : highlight ? colour::Yellow : colour::Green;
    } else {
        v.buttonText = QStringLiteral("Off");
        v.buttonColour = highlight ? colour::Yellow : colour::ButtonFace;
    }
    Q_EMIT channelChanged(number);
    return true;
}

void LiveStatus::BlankLiveDisplay() {
    currentSum_ = vbat_ = temp_ = errors_ = QStringLiteral("--");
    for (ChannelView& v : channels_) {
        v.stateText = QStringLiteral("--");
        v.stateColour = colour::White;
        v.buttonText = QStringLiteral("Off");
        v.buttonColour = colour::ButtonFace;
    }
    inputs_.fill(false);
    canInputs_.fill(false);
    currentSumTenths_ = batteryTenths_ = tempValue_ = 0;
    channelCurrents_.fill(0);
    Q_EMIT blanked();
}

} // namespace vm
