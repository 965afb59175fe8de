#pragma once
// What the "General" page shows of the unit's live state, decoded from the
// three live messages. The page draws this model; it holds no widgets.
#include "session/colours.h"
#include "protocol/link_packet.h"

#include <QObject>
#include <QString>
#include <array>

namespace vm {

struct ChannelView {
    QString buttonText = QStringLiteral("---");
    std::uint32_t buttonColour = colour::ButtonFace;
    // The state label beside the button; high-power channels (1..18) only.
    QString stateText = QStringLiteral("--");
    std::uint32_t stateColour = colour::White;
};

class LiveStatus : public QObject {
    Q_OBJECT
public:
    static constexpr int kChannels = 34;
    static constexpr int kHighPowerChannels = 18;
    static constexpr int kInputs = 11;
    static constexpr int kCanInputs = 32;

    using QObject::QObject;

    QString currentSum() const { return currentSum_; }
    QString batteryVoltage() const { return vbat_; }
    QString temperature() const { return temp_; }
    QString errors() const { return errors_; }
    int temperatureValue() const { return tempValue_; } // last degrees received
    // The last values as numbers, for plots and logs.
    int currentSumTenths() const { return currentSumTenths_; }
    int batteryTenths() const { return batteryTenths_; }
    int channelCurrentTenths(int number) const; // 1..34, 0 outside or while off
    const ChannelView& channel(int number) const;       // 1..34
    bool input(int number) const;                        // 1..11
    bool canInput(int number) const;                     // 1..32

    // Decoders for LIVE_VALUES, INPUT_STATE and CHANNEL_STATE.
    void ShowLiveValues(const LinkPacket& packet);
    void ShowInputStates(const LinkPacket& packet);
    // False when the channel number is out of range (nothing changes).
    bool ShowChannelState(const LinkPacket& packet);
    // The no-data look.
    void BlankLiveDisplay();

    // "On"/"Off" for a lamp.
    static QString LampText(bool on) { return on ? QStringLiteral("On") : QStringLiteral("Off"); }
    static std::uint32_t LampColour(bool on) { return on ? colour::Green : colour::ButtonFace; }

Q_SIGNALS:
    void valuesChanged();
    void inputsChanged();
    void channelChanged(int number);
    void blanked();

private:
    QString currentSum_ = QStringLiteral(" -- ");
    QString vbat_ = QStringLiteral(" -- ");
    QString temp_ = QStringLiteral(" -- ");
    QString errors_ = QStringLiteral(" -- ");
    int tempValue_ = 0;
    int currentSumTenths_ = 0;
    int batteryTenths_ = 0;
    std::array<int, kChannels> channelCurrents_{};
    std::array<ChannelView, kChannels> channels_{};
    std::array<bool, kInputs> inputs_{};
    std::array<bool, kCanInputs> canInputs_{};
};

// "%d.%d" of a value in tenths, with a unit: 300 -> "30.0 A".
QString TenthsText(int tenths, const char* unit);

} // namespace vm
