#include "config/config_file.h"

#include "config/block_accessors.h"
#include "config/encodings.h"
#include "config/ini_file.h"
#include "config/records.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>

namespace vm {

namespace {

// Entries of the boxes whose index the file stores.
constexpr int kModeEntries = 2;                      // Latching, Momentary
constexpr int kCanInputPins = kInputCount;           // inputs 1..11
constexpr int kExport1Entries = kHighPowerCount + 1; // "DISABLED", outputs 1..18
constexpr int kExportBitEntries = kOutputCount + 1;  // "DISABLED", outputs 1..34
constexpr int kCheckListMax = kOutputCount;          // the lists show the 34 outputs

const QString kDefaultText = QStringLiteral("---");

QString Key(const char* stem, int n) { return QLatin1String(stem) + QString::number(n); }

// What a box shows after being given an index: beyond its entries, nothing.
int Selection(int index, int entries) { return index >= 0 && index < entries ? index : kNoSelection; }

// Below half a unit beyond FLT_MAX a value still rounds to FLT_MAX.
bool ToFloat(double value, float* out) {
    constexpr double kLimit = static_cast<double>(FLT_MAX) + 0x1p103;
    if (std::fabs(value) >= kLimit) return false;
    if (std::fabs(value) > FLT_MAX)
        *out = value < 0 ? -FLT_MAX : FLT_MAX;
    else
        *out = static_cast<float>(value);
    return true;
}

// Reads one section with the table defaults.
class Reader {
public:
    Reader(const IniFile& ini, const QString& section) : ini_(ini), section_(section) {}

    int Int(const QString& key, int def = 0) const { return ini_.ReadInteger(section_, key, def); }
    // Any integer but 0 is true; no integer gives the default.
    bool Bool(const QString& key, bool def = false) const { return Int(key, def ? 1 : 0) != 0; }
    std::uint8_t Flag(const QString& key) const { return Bool(key) ? 1 : 0; }
    // Record bytes keep the low byte of the value.
    std::uint8_t Byte(const QString& key, int def = 0) const {
        return static_cast<std::uint8_t>(Int(key, def));
    }
    QString Text(const QString& key, const QString& def) const { return ini_.ReadString(section_, key, def); }
    QString Name(const QString& key, const QString& def) const { return Text(key, def).left(kNameChars); }

    float Float(const QString& key, float def) const {
        const std::optional<double> value = ParseCfgFloat(Text(key, {}));
        float f = def;
        return value && ToFloat(*value, &f) ? f : def;
    }

    // A float cut toward zero, of which the low byte is kept.
    std::int8_t OffsetByte(const QString& key) const {
        const std::optional<double> value = ParseCfgFloat(Text(key, {}));
        if (!value) return 0;
        double low = std::fmod(std::trunc(*value), 256.0); // exact for any finite double
        if (low < 0) low += 256.0;
        return static_cast<std::int8_t>(static_cast<std::uint8_t>(low));
    }

    // Check states of a list of outputs, as far as the file's count says.
    void Checks(std::vector<CheckListEntry>& list) const {
        const int count = std::min(
            {Int(QStringLiteral("OUTPUT_LIST_COUNT")), kCheckListMax, static_cast<int>(list.size())});
        for (int i = 0; i < count; ++i)
            list[static_cast<std::size_t>(i)].checked = Bool(Key("LIST_SELECTED", i));
    }

private:
    const IniFile& ini_;
    QString section_;
};

class Writer {
public:
    Writer(IniFile& ini, const QString& section) : ini_(ini), section_(section) {}

    void Text(const QString& key, const QString& value) { ini_.WriteString(section_, key, value); }
    void Int(const QString& key, long long value) { Text(key, QString::number(value)); }
    void Bool(const QString& key, bool value) { ini_.WriteBool(section_, key, value); }
    void Float(const QString& key, float value) { Text(key, CfgFloatText(value)); }

    void Checks(const std::vector<CheckListEntry>& list) {
        const int count = std::min(static_cast<int>(list.size()), kCheckListMax);
        Int(QStringLiteral("OUTPUT_LIST_COUNT"), count);
        for (int i = 0; i < count; ++i)
            Bool(Key("LIST_SELECTED", i), list[static_cast<std::size_t>(i)].checked);
    }

private:
    IniFile& ini_;
    QString section_;
};

QString ExportSection(int e) { return QStringLiteral("CAN_EXPORT_%1").arg(e); }
int ExportBoxCount(int e) { return e == 1 ? kExport1Boxes : kExportBitBoxes[e - 2]; }
// Export 1 numbers its data bytes from 1, the bit boxes count from 0.
int ExportFirstKey(int e) { return e == 1 ? 1 : 0; }
int ExportEntries(int e) { return e == 1 ? kExport1Entries : kExportBitEntries; }
QString ExportIdKey(int e) { return e == 1 ? QStringLiteral("CAN_ID_1") : QStringLiteral("CAN_ID"); }
QString ExportRefreshKey(int e) {
    return e == 1 ? QStringLiteral("REFRESS_TIME_1") : QStringLiteral("REFRESS_TIME");
}
QString FlashSlotKey(int n, int slot) {
    return Key("CHANNEL_LIST", n) + QStringLiteral("index ") + QString::number(slot);
}

// ---- loading, in file order ----

void LoadInputs(ConfigStore& s, const IniFile& ini) {
    const Reader r(ini, QStringLiteral("INPUT"));
    for (int n = 1; n <= kInputCount; ++n) {
        SetInputName(s, n, r.Name(Key("NAME", n), kDefaultText));
        SetInputMode(s, n, Selection(r.Int(Key("MODE", n)), kModeEntries));
    }
    PwmControls pwm = s.pwm();
    pwm.inputPwm = r.Bool(QStringLiteral("PWM_ENABLE"));
    s.setPwm(pwm);
}

void LoadOutputs(ConfigStore& s, const IniFile& ini) {
    const Reader r(ini, QStringLiteral("OUTPUT"));
    // The low battery and start button lists are rebuilt from the new names.
    std::vector<CheckListEntry> list;
    for (int ch = 1; ch <= kOutputCount; ++ch) {
        const QString name = r.Name(Key("NAME", ch), kDefaultText);
        list.push_back({name, false});
        SetOutputName(s, ch, name);
    }
    LowBatteryControls low = s.lowBattery();
    low.list = list;
    s.setLowBattery(low);
    StartButtonControls start = s.startButton();
    start.list = list;
    s.setStartButton(start);

    for (int ch = 1; ch <= kOutputCount; ++ch) {
        // A number that is no byte is no code either: it decodes as "DISABLED".
        const int code = r.Int(Key("TRIGGER", ch));
        SetOutputTrigger(s, ch, code >= 0 && code <= 255 ? static_cast<std::uint8_t>(code) : 0);
    }
    for (int ch = 1; ch <= kOutputCount; ++ch)
        SetOutputTriggerLevel(s, ch, r.Int(Key("TRIGLEVEL", ch)) == 16 ? 16 : 1);
    for (int ch = 1; ch <= kOutputCount; ++ch)
        SetOutputDelay(s, ch, r.Int(Key("DELAY", ch)));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        SetOutputMaxCurrent(s, ch, r.Int(Key("MAX_CURRENT", ch), 100));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        SetOutputPeakTime(s, ch, r.Int(Key("PEAK_TIME", ch), 100));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        SetOutputLowCurrent(s, ch, r.Int(Key("LOW_CURRENT", ch)));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        SetOutputLowCurrentTime(s, ch, r.Int(Key("LOW_CURRENT_TIME", ch)));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        SetOutputOnTime(s, ch, r.Int(Key("ON_TIME", ch)));

    PwmControls pwm = s.pwm();
    pwm.pwm1 = r.Bool(QStringLiteral("PWM_1"));
    pwm.pwm2 = r.Bool(QStringLiteral("PWM_2"));
    s.setPwm(pwm);
}

void LoadLowBatteryAndStartButton(ConfigStore& s, const IniFile& ini) {
    const Reader low(ini, QStringLiteral("LOW_BATTERY"));
    LowBatteryControls lb = s.lowBattery();
    lb.lowThreshold = low.Text(QStringLiteral("LOW_TRIG"), kDefaultText);
    lb.upperThreshold = low.Text(QStringLiteral("UPPER_TRIG"), kDefaultText);
    low.Checks(lb.list);
    s.setLowBattery(lb);

    const Reader start(ini, QStringLiteral("START BUTTON"));
    StartButtonControls sb = s.startButton();
    sb.trigger = Selection(start.Int(QStringLiteral("INPUT_TRIGGER_INDEX")), kTriggerSourceCount);
    start.Checks(sb.list);
    s.setStartButton(sb);
}

void LoadCanRules(ConfigStore& s, const IniFile& ini) {
    const Reader r(ini, QStringLiteral("CAN_INPUT"));
    for (int n = 1; n <= kCanRuleCount; ++n) {
        CanInputRule rule;
        rule.enabled = r.Flag(Key("ENABLED", n));
        rule.onId = r.Int(Key("CAN_ID_ON", n));
        rule.offId = r.Int(Key("CAN_ID_OFF", n));
        rule.onOperator = r.Int(Key("CAN_OPERATOR_ON", n));
        rule.offOperator = r.Int(Key("CAN_OPERATOR_OFF", n));
        rule.onValue = r.Int(Key("CAN_VALUE_ON", n));
        rule.offValue = r.Int(Key("CAN_VALUE_OFF", n));
        rule.onHighPos = r.Byte(Key("CAN_HIGH_BYTE_ON_POS", n), 255);
        rule.onLowPos = r.Byte(Key("CAN_LOW_BYTE_ON_POS", n), 255);
        rule.offHighPos = r.Byte(Key("CAN_HIGH_BYTE_OFF_POS", n), 255);
        rule.offLowPos = r.Byte(Key("CAN_LOW_BYTE_OFF_POS", n), 255);
        rule.name = r.Name(Key("CAN_NAME", n), QStringLiteral("CAN %1").arg(n));
        rule.rowEnable = r.Flag(Key("ROW_ENABLED", n));
        rule.rowByte = r.Byte(Key("ROW_INDEX", n));
        rule.rowValue = r.Byte(Key("ROW_VALUE", n));
        rule.dataType = r.Byte(Key("DATA_TYPE_", n));
        rule.dimension = r.Text(Key("DIMENSION_NAME", n), {}).left(kDimensionChars);
        rule.multiplicator = r.Float(Key("MULTIPLICATOR_", n), 1.0f);
        rule.offset = r.OffsetByte(Key("CAL_OFFSET_", n));
        SetCanRuleRecord(s, n - 1, rule);
        SetCanInputName(s, n, rule.name);
    }

    const Reader e(ini, QStringLiteral("CAN_INPUT_ENABLE"));
    CanSettingsControls settings = s.canSettings();
    settings.enable = e.Bool(QStringLiteral("ENABLE"));
    settings.inputIndex = Selection(e.Int(QStringLiteral("INPUT_PIN")), kCanInputPins);
    s.setCanSettings(settings);
}

void LoadVirtualInputsAndFlash(ConfigStore& s, const IniFile& ini) {
    const Reader v(ini, QStringLiteral("VIRTUAL_INPUT"));
    for (int n = 1; n <= kVirtualInputCount; ++n) {
        VirtualInputDef def;
        for (int i = 0; i < 3; ++i)
            def.delay[i] = v.Byte(QStringLiteral("IN_DELAY_%1_%2").arg(i + 1).arg(n));
        for (int i = 0; i < 3; ++i)
            def.term[i] = v.Byte(QStringLiteral("CHANNEL_%1_Index%2").arg(i + 1).arg(n));
        for (int i = 0; i < 2; ++i)
            def.op[i] = v.Byte(QStringLiteral("OPERATOR_%1_Index%2").arg(i + 1).arg(n));
        def.invertMask = v.Byte(Key("MASK_NOT", n));
        def.name = v.Name(Key("VIRTUAL_NAME", n), QStringLiteral("VIRTUAL %1").arg(n));
        SetVirtualInputRecord(s, n - 1, def);
        SetVirtualInputName(s, n, def.name);
    }

    const Reader f(ini, QStringLiteral("FLASH"));
    for (int n = 1; n <= kFlashCount; ++n) {
        FlashDef def;
        def.enabled = f.Flag(Key("ENABLED", n));
        def.continuous = f.Flag(Key("CONTINUES", n));
        def.trigger = f.Byte(Key("INPUT_TRIGGER", n));
        for (int slot = 0; slot < kFlashOutputSlots; ++slot)
            def.outputs[slot] = f.Byte(FlashSlotKey(n, slot), 255);
        def.flashTime = f.Byte(Key("FLASH_TIME", n));
        def.duration = f.Byte(Key("DURATION", n));
        SetFlashRecord(s, n - 1, def);
        SetFlashName(s, n, f.Name(Key("FLASH_NAME", n), QStringLiteral("FLASH %1").arg(n)));
    }
}

void LoadExports(ConfigStore& s, const IniFile& ini) {
    for (int e = 1; e <= 4; ++e) {
        const Reader r(ini, ExportSection(e));
        CanExportControls c = s.canExport(e);
        c.enable = r.Bool(QStringLiteral("ENABLED"));
        c.id = HexIdText(static_cast<unsigned>(r.Int(ExportIdKey(e))));
        if (e == 1) c.rowCount = QString::number(r.Int(QStringLiteral("ROW_COUNT"), 12));
        c.refresh = QString::number(r.Int(ExportRefreshKey(e), 100));
        c.boxes.assign(static_cast<std::size_t>(ExportBoxCount(e)), kNoSelection);
        for (int i = 0; i < ExportBoxCount(e); ++i)
            c.boxes[static_cast<std::size_t>(i)] =
                Selection(r.Int(Key("CHANNEL_INDEX_", ExportFirstKey(e) + i)), ExportEntries(e));
        s.setCanExport(e, c);
    }
}

// ---- saving, in file order ----

void SaveInputs(const ConfigStore& s, IniFile& ini) {
    Writer w(ini, QStringLiteral("INPUT"));
    for (int n = 1; n <= kInputCount; ++n) {
        w.Text(Key("NAME", n), InputName(s, n).left(kNameChars));
        // One byte as on the wire: no selection is 255.
        w.Int(Key("MODE", n), static_cast<std::uint8_t>(InputMode(s, n)));
    }
    w.Bool(QStringLiteral("PWM_ENABLE"), s.pwm().inputPwm);
}

void SaveOutputs(const ConfigStore& s, IniFile& ini) {
    Writer w(ini, QStringLiteral("OUTPUT"));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Text(Key("NAME", ch), OutputName(s, ch).left(kNameChars));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Int(Key("TRIGGER", ch), OutputTrigger(s, ch));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Int(Key("TRIGLEVEL", ch), OutputTriggerLevel(s, ch));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Int(Key("DELAY", ch), OutputDelay(s, ch));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        w.Int(Key("MAX_CURRENT", ch), OutputMaxCurrent(s, ch));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        w.Int(Key("PEAK_TIME", ch), OutputPeakTime(s, ch));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        w.Int(Key("LOW_CURRENT", ch), OutputLowCurrent(s, ch));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        w.Int(Key("LOW_CURRENT_TIME", ch), CapByte(OutputLowCurrentTime(s, ch)));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Int(Key("ON_TIME", ch), OutputOnTime(s, ch));
    w.Bool(QStringLiteral("PWM_1"), s.pwm().pwm1);
    w.Bool(QStringLiteral("PWM_2"), s.pwm().pwm2);
}

void SaveLowBatteryAndStartButton(const ConfigStore& s, IniFile& ini) {
    Writer low(ini, QStringLiteral("LOW_BATTERY"));
    low.Text(QStringLiteral("LOW_TRIG"), s.lowBattery().lowThreshold);
    low.Text(QStringLiteral("UPPER_TRIG"), s.lowBattery().upperThreshold);
    low.Checks(s.lowBattery().list);

    Writer start(ini, QStringLiteral("START BUTTON"));
    start.Int(QStringLiteral("INPUT_TRIGGER_INDEX"), s.startButton().trigger);
    start.Checks(s.startButton().list);
}

void SaveCanRules(const ConfigStore& s, IniFile& ini) {
    Writer w(ini, QStringLiteral("CAN_INPUT"));
    for (int n = 1; n <= kCanRuleCount; ++n) {
        const CanInputRule rule = CanRuleRecord(s, n - 1);
        w.Bool(Key("ENABLED", n), rule.enabled != 0);
        w.Int(Key("CAN_ID_ON", n), rule.onId);
        w.Int(Key("CAN_ID_OFF", n), rule.offId);
        w.Int(Key("CAN_OPERATOR_ON", n), rule.onOperator);
        w.Int(Key("CAN_OPERATOR_OFF", n), rule.offOperator);
        w.Int(Key("CAN_VALUE_ON", n), rule.onValue);
        w.Int(Key("CAN_VALUE_OFF", n), rule.offValue);
        w.Int(Key("CAN_HIGH_BYTE_ON_POS", n), rule.onHighPos);
        w.Int(Key("CAN_LOW_BYTE_ON_POS", n), rule.onLowPos);
        w.Int(Key("CAN_HIGH_BYTE_OFF_POS", n), rule.offHighPos);
        w.Int(Key("CAN_LOW_BYTE_OFF_POS", n), rule.offLowPos);
        w.Text(Key("CAN_NAME", n), rule.name);
        w.Bool(Key("ROW_ENABLED", n), rule.rowEnable != 0);
        w.Int(Key("ROW_INDEX", n), rule.rowByte);
        w.Int(Key("ROW_VALUE", n), rule.rowValue);
        w.Int(Key("DATA_TYPE_", n), rule.dataType);
        w.Text(Key("DIMENSION_NAME", n), rule.dimension);
        w.Float(Key("MULTIPLICATOR_", n), rule.multiplicator);
        w.Float(Key("CAL_OFFSET_", n), rule.offset);
    }

    Writer e(ini, QStringLiteral("CAN_INPUT_ENABLE"));
    e.Bool(QStringLiteral("ENABLE"), s.canSettings().enable);
    e.Int(QStringLiteral("INPUT_PIN"), s.canSettings().inputIndex);
}

void SaveVirtualInputsAndFlash(const ConfigStore& s, IniFile& ini) {
    Writer v(ini, QStringLiteral("VIRTUAL_INPUT"));
    for (int n = 1; n <= kVirtualInputCount; ++n) {
        const VirtualInputDef def = VirtualInputRecord(s, n - 1);
        for (int i = 0; i < 3; ++i)
            v.Int(QStringLiteral("IN_DELAY_%1_%2").arg(i + 1).arg(n), def.delay[i]);
        for (int i = 0; i < 3; ++i)
            v.Int(QStringLiteral("CHANNEL_%1_Index%2").arg(i + 1).arg(n), def.term[i]);
        for (int i = 0; i < 2; ++i)
            v.Int(QStringLiteral("OPERATOR_%1_Index%2").arg(i + 1).arg(n), def.op[i]);
        v.Int(Key("MASK_NOT", n), def.invertMask);
        v.Text(Key("VIRTUAL_NAME", n), def.name);
    }

    Writer f(ini, QStringLiteral("FLASH"));
    for (int n = 1; n <= kFlashCount; ++n) {
        const FlashDef def = FlashRecord(s, n - 1);
        f.Bool(Key("ENABLED", n), def.enabled != 0);
        f.Bool(Key("CONTINUES", n), def.continuous != 0);
        f.Int(Key("INPUT_TRIGGER", n), def.trigger);
        for (int slot = 0; slot < kFlashOutputSlots; ++slot)
            f.Int(FlashSlotKey(n, slot), def.outputs[slot]);
        f.Int(Key("FLASH_TIME", n), def.flashTime);
        f.Int(Key("DURATION", n), def.duration);
        f.Text(Key("FLASH_NAME", n), def.name);
    }
}

// Stops at the first export text that is not a number, with its message.
bool SaveExports(const ConfigStore& s, IniFile& ini, QString* error) {
    const auto fail = [error](const QString& text) {
        if (error) *error = NotAnIntegerMessage(text);
        return false;
    };
    for (int e = 1; e <= 4; ++e) {
        const CanExportControls c = s.canExport(e);
        Writer w(ini, ExportSection(e));
        w.Bool(QStringLiteral("ENABLED"), c.enable);
        const std::optional<long long> id = ParseHexId(c.id);
        if (!id) return fail(QStringLiteral("0x") + c.id);
        // Read as a 32-bit integer, as the upload does: eight F digits are -1.
        w.Int(ExportIdKey(e), static_cast<std::int32_t>(static_cast<std::uint32_t>(*id)));
        if (e == 1) {
            const std::optional<long long> rows = ParseDecimal(c.rowCount);
            if (!rows) return fail(c.rowCount);
            w.Int(QStringLiteral("ROW_COUNT"), *rows);
        }
        const std::optional<long long> refresh = ParseDecimal(c.refresh);
        if (!refresh) return fail(c.refresh);
        w.Int(ExportRefreshKey(e), *refresh);
        for (int i = 0; i < ExportBoxCount(e); ++i) {
            const std::size_t at = static_cast<std::size_t>(i);
            w.Int(Key("CHANNEL_INDEX_", ExportFirstKey(e) + i),
                  at < c.boxes.size() ? c.boxes[at] : kNoSelection);
        }
    }
    return true;
}

} // namespace

QString ForceCfgExtension(const QString& path) {
    const qsizetype folder =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot > folder ? path.left(dot) : path) + QStringLiteral(".cfg");
}

std::optional<double> ParseCfgFloat(const QString& text) {
    QByteArray s = text.trimmed().toLatin1();
    s.replace(',', '.'); // files written under a decimal-comma locale
    const char* begin = s.constData();
    const char* end = begin + s.size();
    if (begin != end && *begin == '+') ++begin;
    if (begin == end || *begin == '+') return std::nullopt;
    double value = 0.0;
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString CfgFloatText(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    // QString::number drops the sign of a negative zero.
    if (value == 0.0f) return std::signbit(value) ? QStringLiteral("-0") : QStringLiteral("0");
    // Fewer digits are not always fewer characters (1e+02, 1.234568e+07):
    // take the shortest text of all precisions that read back the same.
    QString best = QString::number(static_cast<double>(value), 'g', 9);
    for (int precision = 1; precision <= 9; ++precision) {
        const QString text = QString::number(static_cast<double>(value), 'g', precision);
        if (text.size() >= best.size()) continue;
        const std::optional<double> back = ParseCfgFloat(text);
        float f = 0.0f;
        if (back && ToFloat(*back, &f) && std::bit_cast<std::uint32_t>(f) == bits) best = text;
    }
    return best;
}

void LoadConfigFile(ConfigStore& store, const QString& path) {
    IniFile ini;
    // A file that cannot be read loads as an empty one: defaults throughout.
    ini.Load(ForceCfgExtension(path));
    LoadInputs(store, ini);
    LoadOutputs(store, ini);
    LoadLowBatteryAndStartButton(store, ini);
    LoadCanRules(store, ini);
    LoadVirtualInputsAndFlash(store, ini);
    LoadExports(store, ini);
}

bool SaveConfigFile(const ConfigStore& store, const QString& path, QString* error) {
    IniFile ini;
    SaveInputs(store, ini);
    SaveOutputs(store, ini);
    SaveLowBatteryAndStartButton(store, ini);
    SaveCanRules(store, ini);
    SaveVirtualInputsAndFlash(store, ini);
    if (!SaveExports(store, ini, error)) return false;
    const QString target = ForceCfgExtension(path);
    if (!ini.Save(target)) {
        if (error) *error = QStringLiteral("Unable to create file: '%1'").arg(target);
        return false;
    }
    return true;
}

} // namespace vm
