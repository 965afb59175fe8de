#include "config/config_store.h"

#include "config/records.h"

#include <algorithm>

namespace vm {

namespace {

constexpr int kCanRuleTable = 0;
constexpr int kVirtualTable = kCanRuleTable + kCanRuleCount * kCanRuleBytes;
constexpr int kFlashTable = kVirtualTable + kVirtualInputCount * kVirtualInputBytes;
static_assert(kFlashTable + kFlashCount * kFlashBytes == kRecordTableBytes);

bool InRange(int n, int first, int count) { return n >= first && n < first + count; }

template <typename T>
void Assign(ConfigStore* store, T& slot, const T& value, ConfigStore::Block block, int index) {
    if (slot == value) return;
    slot = value;
    Q_EMIT store->changed(block, index);
}

std::vector<CheckListEntry> OutputList(const std::array<OutputControls, kOutputCount>& outputs) {
    std::vector<CheckListEntry> list;
    list.reserve(kOutputCount);
    for (const OutputControls& o : outputs)
        list.push_back({o.name, false});
    return list;
}

} // namespace

ConfigStore::ConfigStore(QObject* parent) : QObject(parent) { Reset(); }

void ConfigStore::Reset() {
    outputs_.fill(OutputControls{});
    pwm_ = {};
    lowBattery_ = {};
    lowBattery_.list = OutputList(outputs_);
    startButton_ = {};
    startButton_.list = OutputList(outputs_);
    canSettings_ = {};
    boxName_.clear();
    // Every parse of a file starts from a fresh store: the start values are
    // made once.
    struct Start {
        std::array<QString, kInputCount> inputNames;
        std::array<QString, kCanRuleCount> canNames;
        std::array<QString, kVirtualInputCount> virtualNames;
        std::array<std::uint8_t, kRecordTableBytes> records{};
    };
    static const Start start = [] {
        Start st;
        for (int i = 0; i < kInputCount; ++i)
            st.inputNames[i] = QStringLiteral("CH %1").arg(i + 1);
        for (int i = 0; i < kCanRuleCount; ++i) {
            st.canNames[i] = QStringLiteral("CAN %1").arg(i + 1);
            CanInputRule rule;
            rule.name = st.canNames[i];
            EncodeCanRule(rule,
                          std::span(st.records).subspan(kCanRuleTable + i * kCanRuleBytes, kCanRuleBytes));
        }
        for (int i = 0; i < kVirtualInputCount; ++i) {
            st.virtualNames[i] = QStringLiteral("Virtual %1").arg(i + 1);
            VirtualInputDef def;
            def.name = st.virtualNames[i];
            EncodeVirtualInput(
                def,
                std::span(st.records).subspan(kVirtualTable + i * kVirtualInputBytes, kVirtualInputBytes));
        }
        return st;
    }();
    for (int i = 0; i < kInputCount; ++i)
        inputs_[i] = {start.inputNames[i], 0};
    records_ = start.records;
    canInputNames_ = start.canNames;
    virtualNames_ = start.virtualNames;
    for (int e = 0; e < 4; ++e) {
        exports_[e] = CanExportControls{};
        exports_[e].boxes.assign(e == 0 ? kExport1Boxes : kExportBitBoxes[e - 1], 0);
    }

    AnnounceAll();
}

void ConfigStore::CopyBlocksFrom(const ConfigStore& other) {
    if (&other == this) return;
    inputs_ = other.inputs_;
    outputs_ = other.outputs_;
    pwm_ = other.pwm_;
    lowBattery_ = other.lowBattery_;
    startButton_ = other.startButton_;
    canSettings_ = other.canSettings_;
    canInputNames_ = other.canInputNames_;
    virtualNames_ = other.virtualNames_;
    exports_ = other.exports_;
    records_ = other.records_;
    AnnounceAll();
}

// Everything may have changed: let every view reread.
void ConfigStore::AnnounceAll() {
    for (int n = 1; n <= kInputCount; ++n) {
        Q_EMIT changed(Block::Input, n);
        Q_EMIT nameChanged(Block::Input, n, inputs_[n - 1].name);
    }
    for (int n = 1; n <= kOutputCount; ++n) {
        Q_EMIT changed(Block::Output, n);
        Q_EMIT nameChanged(Block::Output, n, outputs_[n - 1].name);
    }
    for (Block b : {Block::Pwm, Block::LowBattery, Block::StartButton, Block::CanSettings, Block::BoxName})
        Q_EMIT changed(b, 0);
    for (int i = 0; i < kCanRuleCount; ++i) {
        Q_EMIT changed(Block::CanRule, i);
        Q_EMIT nameChanged(Block::CanRule, i + 1, canInputNames_[i]);
    }
    for (int i = 0; i < kVirtualInputCount; ++i) {
        Q_EMIT changed(Block::VirtualInput, i);
        Q_EMIT nameChanged(Block::VirtualInput, i + 1, virtualNames_[i]);
    }
    for (int i = 0; i < kFlashCount; ++i)
        Q_EMIT changed(Block::Flash, i);
    for (int n = 1; n <= 4; ++n)
        Q_EMIT changed(Block::CanExport, n);
}

InputControls ConfigStore::input(int n) const {
    return InRange(n, 1, kInputCount) ? inputs_[n - 1] : InputControls{};
}

void ConfigStore::setInput(int n, const InputControls& value) {
    if (!InRange(n, 1, kInputCount)) return;
    const bool renamed = inputs_[n - 1].name != value.name;
    Assign(this, inputs_[n - 1], value, Block::Input, n);
    if (renamed) Q_EMIT nameChanged(Block::Input, n, value.name);
}

OutputControls ConfigStore::output(int n) const {
    return InRange(n, 1, kOutputCount) ? outputs_[n - 1] : OutputControls{};
}

void ConfigStore::setOutput(int n, const OutputControls& value) {
    if (!InRange(n, 1, kOutputCount)) return;
    const bool renamed = outputs_[n - 1].name != value.name;
    Assign(this, outputs_[n - 1], value, Block::Output, n);
    if (renamed) Q_EMIT nameChanged(Block::Output, n, value.name);
}

void ConfigStore::setPwm(const PwmControls& value) { Assign(this, pwm_, value, Block::Pwm, 0); }

void ConfigStore::setLowBattery(const LowBatteryControls& value) {
    Assign(this, lowBattery_, value, Block::LowBattery, 0);
}

void ConfigStore::setStartButton(const StartButtonControls& value) {
    Assign(this, startButton_, value, Block::StartButton, 0);
}

void ConfigStore::setCanSettings(const CanSettingsControls& value) {
    Assign(this, canSettings_, value, Block::CanSettings, 0);
}

void ConfigStore::setBoxName(const QString& name) { Assign(this, boxName_, name, Block::BoxName, 0); }

QString ConfigStore::canInputName(int n) const {
    return InRange(n, 1, kCanRuleCount) ? canInputNames_[n - 1] : QString();
}

void ConfigStore::setCanInputNameText(int n, const QString& name) {
    // The edit belongs to rule record n - 1, so views of that rule hear of it.
    if (!InRange(n, 1, kCanRuleCount) || canInputNames_[n - 1] == name) return;
    Assign(this, canInputNames_[n - 1], name, Block::CanRule, n - 1);
    Q_EMIT nameChanged(Block::CanRule, n, name);
}

QString ConfigStore::virtualInputName(int n) const {
    return InRange(n, 1, kVirtualInputCount) ? virtualNames_[n - 1] : QString();
}

void ConfigStore::setVirtualInputNameText(int n, const QString& name) {
    if (!InRange(n, 1, kVirtualInputCount) || virtualNames_[n - 1] == name) return;
    Assign(this, virtualNames_[n - 1], name, Block::VirtualInput, n - 1);
    Q_EMIT nameChanged(Block::VirtualInput, n, name);
}

CanExportControls ConfigStore::canExport(int n) const {
    return InRange(n, 1, 4) ? exports_[n - 1] : CanExportControls{};
}

void ConfigStore::setCanExport(int n, const CanExportControls& value) {
    if (InRange(n, 1, 4)) Assign(this, exports_[n - 1], value, Block::CanExport, n);
}

namespace {
template <typename Bytes> auto Record(Bytes& records, int offset, int bytes, int index, int count) {
    using Span = std::span<std::remove_reference_t<decltype(records[0])>>;
    if (!InRange(index, 0, count)) return Span{};
    return Span{records.data() + offset + index * bytes, static_cast<std::size_t>(bytes)};
}
} // namespace

std::span<std::uint8_t> ConfigStore::canRule(int index) {
    return Record(records_, kCanRuleTable, kCanRuleBytes, index, kCanRuleCount);
}
std::span<const std::uint8_t> ConfigStore::canRule(int index) const {
    return Record(records_, kCanRuleTable, kCanRuleBytes, index, kCanRuleCount);
}
std::span<std::uint8_t> ConfigStore::virtualInput(int index) {
    return Record(records_, kVirtualTable, kVirtualInputBytes, index, kVirtualInputCount);
}
std::span<const std::uint8_t> ConfigStore::virtualInput(int index) const {
    return Record(records_, kVirtualTable, kVirtualInputBytes, index, kVirtualInputCount);
}
std::span<std::uint8_t> ConfigStore::flash(int index) {
    return Record(records_, kFlashTable, kFlashBytes, index, kFlashCount);
}
std::span<const std::uint8_t> ConfigStore::flash(int index) const {
    return Record(records_, kFlashTable, kFlashBytes, index, kFlashCount);
}

} // namespace vm
