#pragma once
// Calibration without its window: calibration mode on open, the round-robin
// poll of channels 1..18 100 ms after each reply, the ratio rule, the store
// chain, the A/D offset store and the use-values flags.
#include "session/service_windows.h"
#include "tools/service_answer.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <optional>

namespace vm {

class UnitSession;

inline constexpr int kCalibrationChannels = 18;
inline constexpr int kMinRatio = 5000;
inline constexpr int kMaxRatio = 15000;
inline constexpr const char* kStoredRatioText = "Stored ration: OK ";
inline constexpr const char* kCalibrationModeText = "Voltmast in Calibration mode";

// What the unit last told about a channel.
struct ChannelCalibration {
    std::uint8_t offset = 0;
    std::uint16_t ratio = 0;
    std::uint16_t currentTenths = 0;
    std::uint16_t ad = 0;
};

// The four labels of a channel, "--" while unknown.
struct ChannelTexts {
    QString amps, ratio, ad, offset;
};
ChannelTexts TextsOf(const std::optional<ChannelCalibration>& channel);

// current × 1 000 000 ÷ ((ad − offset) × 10.39), truncated, clamped to
// 5000..15000; or the message that says why it cannot be computed.
struct RatioResult {
    std::optional<int> ratio;
    QString error;
};
RatioResult ComputeRatio(const QString& currentText, const std::optional<ChannelCalibration>& channel);

// Flags of CALIBRATION_MODE: 2 use the offsets, 4 use the ratios.
std::uint8_t UseValuesFlags(bool offsets, bool ratios);

class CalibrationLogic : public QObject, public PacketReceiver {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 100;
    static constexpr int kDataLength = 12;

    explicit CalibrationLogic(UnitSession& unit, QObject* parent = nullptr);

    // FormCreate: clears the new ratios, polls from channel 1, asks for mode 2.
    void Open();
    // Leaving: the unit goes back to the mode the main window had.
    void Close();
    void TimerRefresTimer();
    QTimer& refreshTimer() { return TimerRefres; }

    // Btn_NewRation_NClick: the new ratio of channel 1..18, or why not.
    RatioResult NewRatio(int channel, const QString& currentText);
    // Btn_NewRation with a value already known (the command line).
    void SetNewRatio(int channel, int ratio);
    // BtnStoreRationClick: stores every channel with a new ratio, one after another.
    void StoreRatios();
    void StoreOffsets();                       // BtnUpload_AD_OffsetClick
    void UseValues(bool offsets, bool ratios); // CheckBoxOffsetClick, CheckBoxRationClick
    void ReceivePacket(const LinkPacket& packet) override;

    int pollChannel() const { return poll_; }
    int newRatio(int channel) const { return newRatios_[static_cast<std::size_t>(channel)]; }
    const std::optional<ChannelCalibration>& channel(int channel) const {
        return channels_[static_cast<std::size_t>(channel)];
    }
    int storing() const { return storing_; } // channel of the outstanding store, 0 when none
    bool inCalibrationMode() const { return modeConfirmed_; }
    LossGuard& lossGuard() { return guard_; }

Q_SIGNALS:
    void message(const QString& text); // "Voltmast in Calibration mode", "Stored ration: OK "
    void channelChanged(int channel);
    void newRatioChanged(int channel, int ratio);
    void ratioStored(int channel);
    void storeChainEnded();
    void offsetsStored();
    void storeFailed(const QString& why);
    void shortAnswer(int command);

private:
    void requestChannel(int channel);
    void continueChain(int after);

    UnitSession& unit_;
    LossGuard guard_;
    QTimer TimerRefres;
    std::array<std::optional<ChannelCalibration>, kCalibrationChannels + 1> channels_{};
    std::array<int, kCalibrationChannels + 1> newRatios_{}; // [1..18]; 0: nothing to store
    std::array<int, kCalibrationChannels + 1> storeList_{}; // taken at the store
    int poll_ = 1;
    int storing_ = 0;
    bool modeAsked_ = false;
    bool modeConfirmed_ = false;
    bool offsetAsked_ = false;
};

} // namespace vm
