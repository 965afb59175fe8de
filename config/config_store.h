#pragma once
// The whole configuration of one unit, held once. Blocks that live on pages are
// kept the way their controls hold them (edit texts, box indexes, check
// states), so a page shows exactly what will be uploaded or saved; the CAN
// rule, virtual input and flash tables are packed records in the unit's layout.
// The device-unit accessors, the wire layouts and the .cfg file all work on
// this store alone; pages bind to it and follow its change signals.
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vm {

constexpr int kInputCount = 11;
constexpr int kOutputCount = 34;
constexpr int kHighPowerCount = 18;
constexpr int kCanRuleCount = 32;
constexpr int kVirtualInputCount = 15;
constexpr int kFlashCount = 5;
constexpr int kCanRuleBytes = 60;
constexpr int kVirtualInputBytes = 25;
constexpr int kFlashBytes = 24;
constexpr int kRecordTableBytes =
    kCanRuleCount * kCanRuleBytes + kVirtualInputCount * kVirtualInputBytes + kFlashCount * kFlashBytes;
constexpr int kNameChars = 15;
constexpr int kExport1Boxes = 18;
constexpr int kLowBatterySlots = 12;
constexpr int kStartButtonSlots = 16;
// Bit boxes of CAN exports 2, 3 and 4.
constexpr int kExportBitBoxes[3] = {34, 34, 64};

// A box with no selection: only a value from outside that no entry has. Boxes
// start at their first entry ("DISABLED", "Latching", input 1), so a box
// nobody touched never packs as 0xFF, the code of "+30".
constexpr int kNoSelection = -1;

struct InputControls {
    QString name;             // EditInputName_chN
    int mode = 0;             // ComboBoxInput_chN: 0 Latching, 1 Momentary
    bool operator==(const InputControls&) const = default;
};

// The edits and boxes of one output channel. Fields that exist only for
// channels 1..18 stay empty for 19..34.
struct OutputControls {
    QString name;           // EditOutputName_chN
    QString maxCurrent;     // EditMaxCurrentCHN (amperes as typed)
    QString peakTime;       // EditCurrentPeakTimeCHN (seconds)
    QString delay;          // EditDelayCHN
    QString onTime;         // EditOnTimeCHN ("CONT." for continuous)
    QString lowCurrent;     // EditLowCurrentCHN
    QString lowCurrentTime; // EditLowCurrentTimeCHN
    int trigger = 0;            // ComboBoxInputTrigCHN, index in the trigger source list
    int level = 0;              // ComboBoxTrigLevelCHN
    bool operator==(const OutputControls&) const = default;
};

struct PwmControls {
    bool inputPwm = false; // CheckBoxInputPWMEnable
    bool pwm1 = false;     // CheckBoxPWM_enable1 (output 6)
    bool pwm2 = false;     // CheckBoxPWM_enable2 (output 14)
    bool operator==(const PwmControls&) const = default;
};

// A check list box: one entry per output, in channel order once filled.
struct CheckListEntry {
    QString text;
    bool checked = false;
    bool operator==(const CheckListEntry&) const = default;
};

struct LowBatteryControls {
    QString lowThreshold;   // volts as typed, e.g. "12.0"
    QString upperThreshold;
    std::vector<CheckListEntry> list;
    bool operator==(const LowBatteryControls&) const = default;
};

struct StartButtonControls {
    int trigger = 0;            // ComboBoxInputTrigStartButton
    std::vector<CheckListEntry> list; // CheckListBoxStartButton
    bool operator==(const StartButtonControls&) const = default;
};

struct CanSettingsControls {
    bool enable = false;             // CheckBoxCanInputEnable
    int inputIndex = 0;              // ComboBoxInputTrigCAN_Input: 0..10 = input 1..11
    bool operator==(const CanSettingsControls&) const = default;
};

struct CanExportControls {
    bool enable = false;                         // CheckBoxCAN_ExportN
    QString id = QStringLiteral("000");          // EditCAN_ID_ExportN, hexadecimal after "0x"
    QString refresh = QStringLiteral("000");     // Edit_REFRESS_ExportN, milliseconds
    QString rowCount = QStringLiteral("12");     // export 1 only: EditCAN_EXPORT_1_RowCounter
    std::vector<int> boxes;                      // export 1: 18 data byte boxes; 2..4: bit boxes
    bool operator==(const CanExportControls&) const = default;
};

class ConfigStore : public QObject {
    Q_OBJECT
public:
    enum class Block {
        Input, Output, Pwm, LowBattery, StartButton, CanRule, CanSettings, BoxName, VirtualInput, Flash, CanExport
    };
    Q_ENUM(Block)

    explicit ConfigStore(QObject* parent = nullptr);

    // Start values: "CH n" inputs, empty output names, "CAN n" and "Virtual n"
    // names, zero records, "000"/"12" in the export edits, every box at its
    // first entry.
    void Reset();

    // Every block but the unit name becomes other's; every view rereads.
    void CopyBlocksFrom(const ConfigStore& other);

    // Page-held blocks. Numbers are 1-based as on the pages (inputs 1..11,
    // outputs 1..34, exports 1..4); a number out of range reads an empty
    // block and writes nothing.
    InputControls input(int n) const;
    void setInput(int n, const InputControls& value);
    OutputControls output(int n) const;
    void setOutput(int n, const OutputControls& value);
    const PwmControls& pwm() const { return pwm_; }
    void setPwm(const PwmControls& value);
    const LowBatteryControls& lowBattery() const { return lowBattery_; }
    void setLowBattery(const LowBatteryControls& value);
    const StartButtonControls& startButton() const { return startButton_; }
    void setStartButton(const StartButtonControls& value);
    const CanSettingsControls& canSettings() const { return canSettings_; }
    void setCanSettings(const CanSettingsControls& value);
    const QString& boxName() const { return boxName_; } // EditBoxName
    void setBoxName(const QString& name);
    QString canInputName(int n) const;   // EditCanInputName_chN, 1..32
    void setCanInputNameText(int n, const QString& name);
    QString virtualInputName(int n) const; // EditInputName_Virtuel_chN, 1..15
    void setVirtualInputNameText(int n, const QString& name);
    CanExportControls canExport(int n) const; // 1..4
    void setCanExport(int n, const CanExportControls& value);

    // The record tables, in the unit's layout: rules 0..31, virtual inputs
    // 0..14, flash functions 0..4. An index out of range gives an empty span.
    std::span<std::uint8_t> canRule(int index);
    std::span<const std::uint8_t> canRule(int index) const;
    std::span<std::uint8_t> virtualInput(int index);
    std::span<const std::uint8_t> virtualInput(int index) const;
    std::span<std::uint8_t> flash(int index);
    std::span<const std::uint8_t> flash(int index) const;
    // Call after writing into a record through the spans above.
    void recordChanged(Block block, int index) { Q_EMIT changed(block, index); }
    std::span<const std::uint8_t> recordTables() const { return records_; }

Q_SIGNALS:
    // Something in a block changed; index as the block numbers it (1-based
    // page blocks, 0-based records, 0 for single blocks).
    void changed(ConfigStore::Block block, int index);
    // The name of input, output, CAN rule or virtual input n (1-based) changed,
    // however it was written; the General page retitles its label from this.
    void nameChanged(ConfigStore::Block block, int n, const QString& name);

private:
    void AnnounceAll();

    std::array<InputControls, kInputCount> inputs_{};
    std::array<OutputControls, kOutputCount> outputs_{};
    PwmControls pwm_;
    LowBatteryControls lowBattery_;
    StartButtonControls startButton_;
    CanSettingsControls canSettings_;
    QString boxName_;
    std::array<QString, kCanRuleCount> canInputNames_{};
    std::array<QString, kVirtualInputCount> virtualNames_{};
    std::array<CanExportControls, 4> exports_{};
    std::array<std::uint8_t, kRecordTableBytes> records_{};
};

} // namespace vm
