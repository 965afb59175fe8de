#pragma once
// The "General" page: the unit's live state as the LiveStatus model holds it
// (channel buttons and state labels, input and CAN input lamps, the status
// values) and the "Mode" choice between automatic and manual test.
#include "session/live_status.h"
#include "session/unit_session.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <bitset>

class QGridLayout;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace vm {

class ChannelButton;

class GeneralPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kChannels = LiveStatus::kChannels;
    static constexpr int kHighPower = LiveStatus::kHighPowerChannels;
    static constexpr int kInputs = LiveStatus::kInputs;
    static constexpr int kCanInputs = LiveStatus::kCanInputs;

    // Binds to session.live() and calls session.SetTestMode for the mode choice.
    explicit GeneralPage(UnitSession& session, QWidget* parent = nullptr);
    // Creates the page filling a notebook sheet; the sheet owns it.
    static GeneralPage* AddTo(QWidget& sheet, UnitSession& session);

    // The name labels, "5: name" (the configuration's name setters retitle them).
    void SetOutputName(int channel, const QString& name); // 1..34
    void SetInputName(int input, const QString& name);    // 1..11
    void SetCanInputName(int rule, const QString& name);  // 1..32

    ChannelButton* channelButton(int channel) const; // 1..34, null outside
    QLabel* stateLabel(int channel) const;           // 1..18, null outside

    // Redraw from the model (also run on each of its signals).
    void ShowValues();
    void ShowInputs();
    void ShowChannel(int channel);
    void ShowAll();
    // The redraw timer's handler: shows what changed since the last one.
    void Flush();
    int redraws() const { return redraws_; }
    static constexpr int kRedrawMs = 100;

    // The "Auto" / "Manuel test" click actions.
    void RadioButtonAutoClick();
    void RadioButtonManuelClick();

Q_SIGNALS:
    // A channel button was clicked (they are enabled in manual test only):
    // on is true unless the button showed "On".
    void switchChannelRequested(int channel, bool on);

private:
    QGroupBox* buildHighPower();
    QGroupBox* buildLowPower();
    QGroupBox* buildStatus();
    QGroupBox* buildMode();
    QGroupBox* buildInputs();
    QGroupBox* buildCanInputs();
    ChannelButton* makeButton(int channel, const QString& objectName);
    void addChannelRow(QGridLayout& grid, int row, int channel, const QString& buttonName, bool withState);
    void ShowTestMode(TestMode mode);
    void markDirty(unsigned parts);
    static constexpr unsigned kValuesDirty = 1, kInputsDirty = 2;
    QTimer redraw_;
    QElapsedTimer sinceRedraw_;
    unsigned dirty_ = 0;
    std::bitset<kChannels> dirtyChannels_;
    int redraws_ = 0;

    UnitSession& session_;
    LiveStatus& live_;
    QLabel* lblCurrentSum = nullptr;
    QLabel* lblVbat = nullptr;
    QLabel* lblTemp = nullptr;
    QLabel* lblErrors = nullptr;
    QRadioButton* RadioButtonAuto = nullptr;
    QRadioButton* RadioButtonManuel = nullptr;
    std::array<ChannelButton*, kChannels> buttons_{};
    std::array<QLabel*, kChannels> channelNames_{};
    std::array<QLabel*, kHighPower> states_{};
    std::array<QLabel*, kInputs> inputLamps_{};
    std::array<QLabel*, kInputs> inputNames_{};
    std::array<QLabel*, kCanInputs> canLamps_{};
    std::array<QLabel*, kCanInputs> canNames_{};
};

} // namespace vm
