#include "config/block_accessors.h"

#include "config/encodings.h"
#include "config/records.h"

namespace vm {

namespace {

using Block = ConfigStore::Block;

bool IsInput(int n) { return n >= 1 && n <= kInputCount; }
bool IsChannel(int ch) { return ch >= 1 && ch <= kOutputCount; }
bool IsHighPower(int ch) { return ch >= 1 && ch <= kHighPowerCount; }

// Every name edit takes at most this many characters.
QString EditText(const QString& name) { return name.left(kNameChars); }

// Rewrites one field of an output channel's controls.
template <typename Set> void ChangeOutput(ConfigStore& store, int ch, Set set) {
    OutputControls o = store.output(ch);
    set(o);
    store.setOutput(ch, o);
}

} // namespace

QString InputName(const ConfigStore& store, int n) { return IsInput(n) ? store.input(n).name : QString(); }

void SetInputName(ConfigStore& store, int n, const QString& name) {
    if (!IsInput(n)) return;
    InputControls in = store.input(n);
    in.name = EditText(name);
    store.setInput(n, in);
}

int InputMode(const ConfigStore& store, int n) { return IsInput(n) ? store.input(n).mode : 0; }

void SetInputMode(ConfigStore& store, int n, int mode) {
    if (!IsInput(n)) return;
    InputControls in = store.input(n);
    in.mode = mode;
    store.setInput(n, in);
}

QString OutputName(const ConfigStore& store, int ch) {
    return IsChannel(ch) ? store.output(ch).name : QString();
}

void SetOutputName(ConfigStore& store, int ch, const QString& name) {
    if (!IsChannel(ch)) return;
    const QString text = EditText(name);
    ChangeOutput(store, ch, [&](OutputControls& o) { o.name = text; });
}

std::uint8_t OutputTrigger(const ConfigStore& store, int ch) {
    // An empty box (and a channel that does not exist) encodes as no selection.
    return TriggerCodeFromIndex(IsChannel(ch) ? store.output(ch).trigger : 0);
}

void SetOutputTrigger(ConfigStore& store, int ch, std::uint8_t code) {
    if (!IsChannel(ch)) return;
    ChangeOutput(store, ch, [&](OutputControls& o) { o.trigger = TriggerIndexFromCode(code); });
}

std::uint8_t OutputTriggerLevel(const ConfigStore& store, int ch) {
    return LevelCodeFromIndex(IsChannel(ch) ? store.output(ch).level : 0);
}

void SetOutputTriggerLevel(ConfigStore& store, int ch, std::uint8_t code) {
    if (!IsChannel(ch)) return;
    ChangeOutput(store, ch, [&](OutputControls& o) { o.level = LevelIndexFromCode(code); });
}

int OutputDelay(const ConfigStore& store, int ch) {
    return IsChannel(ch) ? TextToTenths(store.output(ch).delay) : 0;
}

void SetOutputDelay(ConfigStore& store, int ch, int tenths) {
    if (!IsChannel(ch)) return;
    ChangeOutput(store, ch, [&](OutputControls& o) { o.delay = TenthsText(tenths); });
}

int OutputOnTime(const ConfigStore& store, int ch) {
    return IsChannel(ch) ? TextToTenths(store.output(ch).onTime) : 0;
}

void SetOutputOnTime(ConfigStore& store, int ch, int tenths) {
    if (!IsChannel(ch)) return;
    ChangeOutput(store, ch, [&](OutputControls& o) {
        o.onTime = tenths == 0 ? QStringLiteral("CONT.") : TenthsText(tenths);
    });
}

int OutputMaxCurrent(const ConfigStore& store, int ch) {
    return IsHighPower(ch) ? TextToTenths(store.output(ch).maxCurrent) : 0;
}

void SetOutputMaxCurrent(ConfigStore& store, int ch, int tenths) {
    if (!IsHighPower(ch)) return;
    ChangeOutput(store, ch, [&](OutputControls& o) { o.maxCurrent = TenthsText(tenths); });
}

int OutputPeakTime(const ConfigStore& store, int ch) {
    return IsHighPower(ch) ? TextToTenths(store.output(ch).peakTime) : 0;
}

void SetOutputPeakTime(ConfigStore& store, int ch, int tenths) {
    if (!IsHighPower(ch)) return;
    ChangeOutput(store, ch, [&](OutputControls& o) { o.peakTime = TenthsText(tenths); });
}

int OutputLowCurrent(const ConfigStore& store, int ch) {
    return IsHighPower(ch) ? TextToTenths(store.output(ch).lowCurrent) : 0;
}

void SetOutputLowCurrent(ConfigStore& store, int ch, int tenths) {
    if (!IsHighPower(ch)) return;
    ChangeOutput(store, ch, [&](OutputControls& o) { o.lowCurrent = TenthsText(tenths); });
}

int OutputLowCurrentTime(const ConfigStore& store, int ch) {
    return IsHighPower(ch) ? TextToTenths(store.output(ch).lowCurrentTime) : 0;
}

void SetOutputLowCurrentTime(ConfigStore& store, int ch, int tenths) {
    if (!IsHighPower(ch)) return;
    ChangeOutput(store, ch, [&](OutputControls& o) { o.lowCurrentTime = TenthsText(CapByte(tenths)); });
}

QString CanInputName(const ConfigStore& store, int n) { return store.canInputName(n); }

void SetCanInputName(ConfigStore& store, int n, const QString& name) {
    if (n < 1 || n > kCanRuleCount) return;
    const QString text = EditText(name);
    CanInputRule rule = CanRuleRecord(store, n - 1);
    rule.name = text;
    SetCanRuleRecord(store, n - 1, rule);
    store.setCanInputNameText(n, text);
}

QString VirtualInputName(const ConfigStore& store, int n) { return store.virtualInputName(n); }

void SetVirtualInputName(ConfigStore& store, int n, const QString& name) {
    if (n < 1 || n > kVirtualInputCount) return;
    const QString text = EditText(name);
    VirtualInputDef def = VirtualInputRecord(store, n - 1);
    def.name = text;
    SetVirtualInputRecord(store, n - 1, def);
    store.setVirtualInputNameText(n, text);
}

QString FlashName(const ConfigStore& store, int n) {
    return (n >= 1 && n <= kFlashCount) ? FlashRecord(store, n - 1).name : QString();
}

void SetFlashName(ConfigStore& store, int n, const QString& name) {
    if (n < 1 || n > kFlashCount) return;
    FlashDef def = FlashRecord(store, n - 1);
    def.name = name; // the record keeps 14 characters and its zero
    SetFlashRecord(store, n - 1, def);
}

} // namespace vm
