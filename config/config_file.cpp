#include "config/config_file.h"

#include "config/block_accessors.h"
#include "config/cfg_keys.h"
#include "config/cfg_text.h"
#include "config/code_page.h"
#include "config/encodings.h"
#include "config/records.h"
#include "config/strict_number.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <span>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vm {

namespace {

using Block = ConfigStore::Block;

// Entries of the boxes whose index the file stores.
constexpr int kModeEntries = 2;                      // Latching, Momentary
constexpr int kModeNone = 255;                       // the mode is saved as one byte
constexpr int kCanInputPins = kInputCount;           // inputs 1..11
constexpr int kExport1Entries = kHighPowerCount + 1; // "DISABLED", outputs 1..18
constexpr int kExportBitEntries = kOutputCount + 1;  // "DISABLED", outputs 1..34
constexpr int kCheckListMax = kOutputCount;          // the lists show the 34 outputs

// What a key's field can hold.
struct Range {
    qint64 min, max;
};
constexpr Range kByte{0, 255};
constexpr Range kWord{0, 65535};
constexpr Range kInt32{INT32_MIN, INT32_MAX}; // record fields; also any boolean
constexpr Range kId16{-32768, 65535};         // 16 bits, written signed or unsigned
constexpr Range kCount{0, INT32_MAX};
// The ON timer edit lets 25.9 s through; the upload sends at most 25.5 s.
constexpr Range kOnTimeTenths{0, 259};
// Threshold edits: volts with one decimal, sent as tenths in a byte.
constexpr double kMaxVolts = 25.5;

const QString kDefaultText = QStringLiteral("---");

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

// A threshold edit's text: a voltage, or what an unset edit shows.
bool IsThresholdText(QStringView text, QString* why = nullptr) {
    return text.isEmpty() || text == kDefaultText ||
           number::ParseDecimal(text, 0.0, kMaxVolts, why).has_value();
}

// ---- reading ----

// Reads keys by stem and number. A getter gives nothing for a key the file
// lacks (the store holds its default already) or whose value is refused; the
// earliest refusal (by line) and the keys the file lacks are kept for the
// report. Made without a text, it gives every key's default instead: that is
// how the defaults are made, once.
class Reader {
public:
    explicit Reader(const CfgText* text)
        : text_(text), missing_(static_cast<std::size_t>(cfg::SlotCount()), false) {
        if (text && text->lineProblemLine() != 0) Refuse(text->lineProblemLine(), text->lineProblem());
    }

    // Whether to read the keys of a stem's section: a section the file lacks
    // leaves its defaults, and all its keys count as missing.
    bool Section(cfg::Stem anyStemOfIt) {
        if (!text_) return true;
        const int section = cfg::SectionOf(anyStemOfIt);
        if (text_->HasSection(section)) return true;
        const auto [first, end] = cfg::SectionSlots(section);
        std::fill(missing_.begin() + first, missing_.begin() + end, true);
        return false;
    }

    bool anyFound() const { return anyFound_; }
    int errorLine() const { return errorLine_; }
    const QString& error() const { return error_; }
    QStringList missingKeys() const { return cfg::DescribeSlots(missing_); }

    std::optional<qint64> Int(cfg::Stem stem, int n, qint64 def, Range range) {
        const CfgValue* v = Value(stem, n);
        if (!v) return Default(def);
        return Parsed(stem, n, *v, range);
    }
    // Any integer but 0 is true.
    std::optional<bool> Bool(cfg::Stem stem, int n = 0) {
        const std::optional<qint64> v = Int(stem, n, 0, kInt32);
        return v ? std::optional<bool>(*v != 0) : std::nullopt;
    }
    std::optional<std::uint8_t> Byte(cfg::Stem stem, int n, int def = 0) {
        const std::optional<qint64> v = Int(stem, n, def, kByte);
        return v ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(*v)) : std::nullopt;
    }

    // A box index: 0..entries-1, or `none` (and -1) for no selection.
    std::optional<int> Index(cfg::Stem stem, int n, int entries, int none = kNoSelection) {
        const CfgValue* v = Value(stem, n);
        if (!v) return Default(Selection(0, entries));
        const std::optional<qint64> index = Parsed(stem, n, *v, kInt32);
        if (!index) return std::nullopt;
        if (*index == kNoSelection || *index == none) return kNoSelection;
        if (*index >= 0 && *index < entries) return static_cast<int>(*index);
        QString why = number::OutOfRangeText(v->text, none == kNoSelection ? -1 : 0, entries - 1);
        if (none != kNoSelection) why += QStringLiteral("; %1 is none").arg(none);
        Refuse(stem, n, *v, why);
        return std::nullopt;
    }

    // Cut to what the field holds; the file cannot keep white space at the
    // end. The default is made only when it is wanted.
    template <typename MakeDefault>
    std::optional<QString> Name(cfg::Stem stem, int n, int maxChars, MakeDefault makeDefault) {
        const CfgValue* v = Value(stem, n);
        if (!v) return text_ ? std::nullopt : std::optional<QString>(makeDefault());
        const QStringView name = v->text.left(maxChars).trimmed();
        QString why;
        if (CanHoldName(name, maxChars, &why)) return name.toString();
        Refuse(stem, n, *v, why);
        return std::nullopt;
    }

    // Volts as the edit shows them, which the file keeps as text.
    std::optional<QString> Threshold(cfg::Stem stem) {
        const CfgValue* v = Value(stem, 0);
        if (!v) return Default(kDefaultText);
        QString why;
        if (IsThresholdText(v->text, &why)) return v->text.toString();
        Refuse(stem, 0, *v, why);
        return std::nullopt;
    }

    std::optional<float> Float(cfg::Stem stem, int n, float def) {
        const CfgValue* v = Value(stem, n);
        if (!v) return Default(def);
        const std::optional<double> value = Decimal(stem, n, *v);
        float f = def;
        if (!value) return std::nullopt;
        if (ToFloat(*value, &f)) return f;
        Refuse(stem, n, *v, number::OutOfRangeText(v->text, -FLT_MAX, FLT_MAX));
        return std::nullopt;
    }

    // A float cut toward zero into a signed byte.
    std::optional<std::int8_t> Offset(cfg::Stem stem, int n) {
        const CfgValue* v = Value(stem, n);
        if (!v) return Default(std::int8_t{0});
        const std::optional<double> value = Decimal(stem, n, *v);
        if (!value) return std::nullopt;
        const double whole = std::trunc(*value);
        if (whole >= -128 && whole <= 127) return static_cast<std::int8_t>(whole);
        Refuse(stem, n, *v, number::OutOfRangeText(v->text, -128, 127));
        return std::nullopt;
    }

    // Check states of a list of outputs, as far as the file's count says.
    void Checks(cfg::Stem countStem, cfg::Stem selectedStem, std::vector<CheckListEntry>& list) {
        const qint64 count = std::min<qint64>(
            {Int(countStem, 0, 0, kCount).value_or(0), kCheckListMax, static_cast<qint64>(list.size())});
        for (int i = 0; i < count; ++i)
            if (const std::optional<bool> checked = Bool(selectedStem, i))
                list[static_cast<std::size_t>(i)].checked = *checked;
    }

private:
    template <typename T> std::optional<T> Default(T def) const {
        return text_ ? std::nullopt : std::optional<T>(def);
    }

    const CfgValue* Value(cfg::Stem stem, int n) {
        if (!text_) return nullptr;
        const std::size_t slot = static_cast<std::size_t>(cfg::Slot(stem, n));
        const CfgValue* v = text_->At(static_cast<int>(slot));
        if (v)
            anyFound_ = true;
        else if (slot < missing_.size())
            missing_[slot] = true;
        return v;
    }

    void Refuse(int line, const QString& problem) {
        if (errorLine_ != 0 && errorLine_ <= line) return;
        errorLine_ = line;
        error_ = problem;
    }
    void Refuse(cfg::Stem stem, int n, const CfgValue& v, const QString& why) {
        if (errorLine_ == 0 || v.line < errorLine_)
            Refuse(v.line, cfg::KeyName(stem, n) + QStringLiteral(": ") + why);
    }

    // Decimal, or hexadecimal after "0x" as older files may have it.
    std::optional<qint64> Parsed(cfg::Stem stem, int n, const CfgValue& v, Range range) {
        const QStringView text = v.text; // trimmed already
        const bool hex =
            text.mid(text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')) ? 1 : 0)
                .startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
        QString why;
        const std::optional<qint64> value =
            number::ParseInteger(text, range.min, range.max, &why, hex ? 16 : 10);
        if (!value) Refuse(stem, n, v, why);
        return value;
    }

    std::optional<double> Decimal(cfg::Stem stem, int n, const CfgValue& v) {
        QString why;
        const std::optional<double> value =
            number::ParseDecimal(v.text, -DBL_MAX, DBL_MAX, &why, {.comma = true, .exponent = true});
        if (!value) Refuse(stem, n, v, why);
        return value;
    }

    const CfgText* text_;
    std::vector<bool> missing_; // by slot
    bool anyFound_ = false;
    int errorLine_ = 0;
    QString error_;
};

int ExportBoxCount(int e) { return e == 1 ? kExport1Boxes : kExportBitBoxes[e - 2]; }
// Export 1 numbers its data bytes from 1, the bit boxes count from 0.
int ExportFirstKey(int e) { return e == 1 ? 1 : 0; }
int ExportEntries(int e) { return e == 1 ? kExport1Entries : kExportBitEntries; }
cfg::Stem ExportStem(int e, cfg::Stem ofExport1, cfg::Stem ofExport2) {
    return e == 1 ? ofExport1 : cfg::ExportStem(e, ofExport2);
}
cfg::Stem FlashSlots(int n) { return static_cast<cfg::Stem>(cfg::kFlashSlots1 + n - 1); }
template <typename Index> cfg::Stem Nth(cfg::Stem first, Index i) {
    return static_cast<cfg::Stem>(first + static_cast<int>(i));
}

// Sets a field only when the reader gave a value.
template <typename T, typename Set> void Put(const std::optional<T>& value, Set set) {
    if (value) set(*value);
}

// ---- loading, in file order; each key the file has goes into the store ----

void LoadInputs(ConfigStore& s, Reader& r) {
    if (!r.Section(cfg::kInputName)) return;
    for (int n = 1; n <= kInputCount; ++n) {
        Put(r.Name(cfg::kInputName, n, kNameChars, [] { return kDefaultText; }),
            [&](const QString& v) { SetInputName(s, n, v); });
        Put(r.Index(cfg::kInputMode, n, kModeEntries, kModeNone), [&](int v) { SetInputMode(s, n, v); });
    }
    PwmControls pwm = s.pwm();
    Put(r.Bool(cfg::kInputPwmEnable), [&](bool v) { pwm.inputPwm = v; });
    s.setPwm(pwm);
}

void LoadOutputs(ConfigStore& s, Reader& r) {
    using namespace cfg;
    if (!r.Section(kOutputName)) return;
    for (int ch = 1; ch <= kOutputCount; ++ch)
        Put(r.Name(kOutputName, ch, kNameChars, [] { return kDefaultText; }),
            [&](const QString& v) { SetOutputName(s, ch, v); });
    // The low battery and start button lists are rebuilt from the new names.
    std::vector<CheckListEntry> list;
    for (int ch = 1; ch <= kOutputCount; ++ch)
        list.push_back({OutputName(s, ch), false});
    LowBatteryControls low = s.lowBattery();
    low.list = list;
    s.setLowBattery(low);
    StartButtonControls start = s.startButton();
    start.list = list;
    s.setStartButton(start);

    for (int ch = 1; ch <= kOutputCount; ++ch) {
        Put(r.Byte(kOutputTrigger, ch), [&](std::uint8_t v) { SetOutputTrigger(s, ch, v); });
        Put(r.Byte(kOutputTrigLevel, ch),
            [&](std::uint8_t v) { SetOutputTriggerLevel(s, ch, v == 16 ? 16 : 1); });
        Put(r.Byte(kOutputDelay, ch), [&](std::uint8_t v) { SetOutputDelay(s, ch, v); });
        Put(r.Int(kOutputOnTime, ch, 0, kOnTimeTenths), [&](qint64 v) { SetOutputOnTime(s, ch, int(v)); });
    }
    for (int ch = 1; ch <= kHighPowerCount; ++ch) {
        Put(r.Int(kOutputMaxCurrent, ch, 100, kWord), [&](qint64 v) { SetOutputMaxCurrent(s, ch, int(v)); });
        Put(r.Byte(kOutputPeakTime, ch, 100), [&](std::uint8_t v) { SetOutputPeakTime(s, ch, v); });
        Put(r.Int(kOutputLowCurrent, ch, 0, kWord), [&](qint64 v) { SetOutputLowCurrent(s, ch, int(v)); });
        Put(r.Byte(kOutputLowCurrentTime, ch), [&](std::uint8_t v) { SetOutputLowCurrentTime(s, ch, v); });
    }

    PwmControls pwm = s.pwm();
    Put(r.Bool(kOutputPwm1), [&](bool v) { pwm.pwm1 = v; });
    Put(r.Bool(kOutputPwm2), [&](bool v) { pwm.pwm2 = v; });
    s.setPwm(pwm);
}

void LoadLowBatteryAndStartButton(ConfigStore& s, Reader& r) {
    if (r.Section(cfg::kLowTrig)) {
        LowBatteryControls lb = s.lowBattery();
        Put(r.Threshold(cfg::kLowTrig), [&](const QString& v) { lb.lowThreshold = v; });
        Put(r.Threshold(cfg::kUpperTrig), [&](const QString& v) { lb.upperThreshold = v; });
        r.Checks(cfg::kLowListCount, cfg::kLowListSelected, lb.list);
        s.setLowBattery(lb);
    }
    if (r.Section(cfg::kStartTriggerIndex)) {
        StartButtonControls sb = s.startButton();
        Put(r.Index(cfg::kStartTriggerIndex, 0, kTriggerSourceCount), [&](int v) { sb.trigger = v; });
        r.Checks(cfg::kStartListCount, cfg::kStartListSelected, sb.list);
        s.setStartButton(sb);
    }
}

void LoadCanRules(ConfigStore& s, Reader& r) {
    using namespace cfg;
    const auto int32 = [&r](Stem stem, int n, std::int32_t& field) {
        Put(r.Int(stem, n, 0, kInt32), [&](qint64 v) { field = static_cast<std::int32_t>(v); });
    };
    const auto byte = [&r](Stem stem, int n, std::uint8_t& field, int def = 0) {
        Put(r.Byte(stem, n, def), [&](std::uint8_t v) { field = v; });
    };
    const bool rules = r.Section(kRuleEnabled);
    for (int n = 1; rules && n <= kCanRuleCount; ++n) {
        CanInputRule rule = CanRuleRecord(s, n - 1);
        Put(r.Bool(kRuleEnabled, n), [&](bool v) { rule.enabled = v ? 1 : 0; });
        int32(kRuleIdOn, n, rule.onId);
        int32(kRuleIdOff, n, rule.offId);
        int32(kRuleOperatorOn, n, rule.onOperator);
        int32(kRuleOperatorOff, n, rule.offOperator);
        int32(kRuleValueOn, n, rule.onValue);
        int32(kRuleValueOff, n, rule.offValue);
        byte(kRuleHighOnPos, n, rule.onHighPos, 255);
        byte(kRuleLowOnPos, n, rule.onLowPos, 255);
        byte(kRuleHighOffPos, n, rule.offHighPos, 255);
        byte(kRuleLowOffPos, n, rule.offLowPos, 255);
        const std::optional<QString> name =
            r.Name(kRuleName, n, kNameChars, [n] { return QStringLiteral("CAN %1").arg(n); });
        Put(name, [&](const QString& v) { rule.name = v; });
        Put(r.Bool(kRuleRowEnabled, n), [&](bool v) { rule.rowEnable = v ? 1 : 0; });
        byte(kRuleRowIndex, n, rule.rowByte);
        byte(kRuleRowValue, n, rule.rowValue);
        byte(kRuleDataType, n, rule.dataType);
        Put(r.Name(kRuleDimension, n, kDimensionChars, [] { return QString(); }),
            [&](const QString& v) { rule.dimension = v; });
        Put(r.Float(kRuleMultiplicator, n, 1.0f), [&](float v) { rule.multiplicator = v; });
        Put(r.Offset(kRuleOffset, n), [&](std::int8_t v) { rule.offset = v; });
        SetCanRuleRecord(s, n - 1, rule);
        Put(name, [&](const QString& v) { s.setCanInputNameText(n, v); }); // the record has it already
    }

    if (!r.Section(kCanEnable)) return;
    CanSettingsControls settings = s.canSettings();
    Put(r.Bool(kCanEnable), [&](bool v) { settings.enable = v; });
    Put(r.Index(kCanInputPin, 0, kCanInputPins), [&](int v) { settings.inputIndex = v; });
    s.setCanSettings(settings);
}

void LoadVirtualInputsAndFlash(ConfigStore& s, Reader& r) {
    using namespace cfg;
    const auto byte = [&r](Stem stem, int n, std::uint8_t& field, int def = 0) {
        Put(r.Byte(stem, n, def), [&](std::uint8_t v) { field = v; });
    };
    const bool virtuals = r.Section(kVirtualName);
    for (int n = 1; virtuals && n <= kVirtualInputCount; ++n) {
        VirtualInputDef def = VirtualInputRecord(s, n - 1);
        for (int i = 0; i < 3; ++i)
            byte(Nth(kVirtualDelay1, i), n, def.delay[i]);
        for (int i = 0; i < 3; ++i)
            byte(Nth(kVirtualTerm1, i), n, def.term[i]);
        for (int i = 0; i < 2; ++i)
            byte(Nth(kVirtualOperator1, i), n, def.op[i]);
        byte(kVirtualMask, n, def.invertMask);
        const std::optional<QString> name =
            r.Name(kVirtualName, n, kNameChars, [n] { return QStringLiteral("VIRTUAL %1").arg(n); });
        Put(name, [&](const QString& v) { def.name = v; });
        SetVirtualInputRecord(s, n - 1, def);
        Put(name, [&](const QString& v) { s.setVirtualInputNameText(n, v); }); // the record has it already
    }

    const bool flashes = r.Section(kFlashName);
    for (int n = 1; flashes && n <= kFlashCount; ++n) {
        FlashDef def = FlashRecord(s, n - 1);
        Put(r.Bool(kFlashEnabled, n), [&](bool v) { def.enabled = v ? 1 : 0; });
        Put(r.Bool(kFlashContinues, n), [&](bool v) { def.continuous = v ? 1 : 0; });
        byte(kFlashTrigger, n, def.trigger);
        for (int slot = 0; slot < kFlashOutputSlots; ++slot)
            byte(FlashSlots(n), slot, def.outputs[slot], 255);
        byte(kFlashTime, n, def.flashTime);
        byte(kFlashDuration, n, def.duration);
        Put(r.Name(kFlashName, n, kFlashNameChars, [n] { return QStringLiteral("FLASH %1").arg(n); }),
            [&](const QString& v) { def.name = v; });
        SetFlashRecord(s, n - 1, def);
    }
}

void LoadExports(ConfigStore& s, Reader& r) {
    using namespace cfg;
    for (int e = 1; e <= 4; ++e) {
        if (!r.Section(ExportStem(e, kExport1Enabled, kExport2Enabled))) continue;
        CanExportControls c = s.canExport(e);
        Put(r.Bool(ExportStem(e, kExport1Enabled, kExport2Enabled)), [&](bool v) { c.enable = v; });
        Put(r.Int(ExportStem(e, kExport1Id, kExport2Id), 0, 0, kId16),
            [&](qint64 v) { c.id = HexIdText(static_cast<unsigned>(v)); });
        if (e == 1)
            Put(r.Int(kExport1RowCount, 0, 12, kByte), [&](qint64 v) { c.rowCount = QString::number(v); });
        Put(r.Int(ExportStem(e, kExport1Refresh, kExport2Refresh), 0, 100, kWord),
            [&](qint64 v) { c.refresh = QString::number(v); });
        c.boxes.resize(static_cast<std::size_t>(ExportBoxCount(e)), kNoSelection);
        for (int i = 0; i < ExportBoxCount(e); ++i)
            Put(r.Index(ExportStem(e, kExport1Box, kExport2Box), ExportFirstKey(e) + i, ExportEntries(e)),
                [&](int v) { c.boxes[static_cast<std::size_t>(i)] = v; });
        s.setCanExport(e, c);
    }
}

void Load(ConfigStore& s, Reader& r) {
    LoadInputs(s, r);
    LoadOutputs(s, r);
    LoadLowBatteryAndStartButton(s, r);
    LoadCanRules(s, r);
    LoadVirtualInputsAndFlash(s, r);
    LoadExports(s, r);
}

ConfigFileReport Refused(const QString& error) {
    ConfigFileReport report;
    report.error = error;
    return report;
}

// Reads the whole file, refusing what is no regular file or too large.
bool ReadWhole(const QString& path, QByteArray* bytes, QString* problem) {
    const QString tooLarge =
        QStringLiteral("too large (a configuration file has at most %1 bytes)").arg(kMaxConfigFileBytes);
#ifdef Q_OS_UNIX
    // Non-blocking, so that a FIFO cannot hang the open; it is refused below.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        *problem = err == ENOENT || err == ENOTDIR ? QStringLiteral("no such file")
                   : err == EACCES || err == EPERM
                       ? QStringLiteral("permission denied")
                       : QString::fromStdString(std::generic_category().message(err));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *problem =
            S_ISDIR(st.st_mode) ? QStringLiteral("is a directory") : QStringLiteral("not a regular file");
        ::close(fd);
        return false;
    }
    if (st.st_size > kMaxConfigFileBytes) {
        *problem = tooLarge;
        ::close(fd);
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *problem = file.errorString();
        return false;
    }
#else
    const QFileInfo info(path);
    if (!info.exists()) {
        *problem = QStringLiteral("no such file");
        return false;
    }
    if (info.isDir() || !info.isFile()) {
        *problem = info.isDir() ? QStringLiteral("is a directory") : QStringLiteral("not a regular file");
        return false;
    }
    if (info.size() > kMaxConfigFileBytes) {
        *problem = tooLarge;
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = info.isReadable() ? file.errorString() : QStringLiteral("permission denied");
        return false;
    }
#endif
    // One more byte than allowed tells a file that grew since.
    *bytes = file.read(kMaxConfigFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *problem = file.errorString();
        return false;
    }
    if (bytes->size() > kMaxConfigFileBytes) {
        *problem = tooLarge;
        return false;
    }
    return true;
}

// ---- saving, in file order ----

// Writes keys by stem and number into the file's text; the first value that
// cannot be written is kept as the error and refuses the save.
class Writer {
public:
    void Section(cfg::Stem anyKeyOfIt) {
        if (!text_.isEmpty()) text_ += QStringLiteral("\n\n");
        text_ += QLatin1Char('[') + cfg::SectionName(anyKeyOfIt) + QStringLiteral("]\n");
    }

    void Text(cfg::Stem stem, int n, const QString& value) {
        QString why;
        if (!CanHoldName(value, INT_MAX, &why)) Fail(stem, n, why);
        cfg::AppendKey(text_, stem, n);
        text_ += value;
        text_ += QLatin1Char('\n');
    }
    void Int(cfg::Stem stem, int n, qint64 value, Range range = kInt32) {
        if (value < range.min || value > range.max)
            Fail(stem, n,
                 number::OutOfRangeText(QString::number(value), static_cast<double>(range.min),
                                        static_cast<double>(range.max)));
        cfg::AppendKey(text_, stem, n);
        AppendNumber(value);
        text_ += QLatin1Char('\n');
    }
    void Bool(cfg::Stem stem, int n, bool value) { Int(stem, n, value ? 1 : 0); }
    void Float(cfg::Stem stem, int n, float value) {
        if (!std::isfinite(value)) Fail(stem, n, QStringLiteral("not a finite number"));
        cfg::AppendKey(text_, stem, n);
        text_ += CfgFloatText(value);
        text_ += QLatin1Char('\n');
    }
    // A box index, or `none` for no selection.
    void Index(cfg::Stem stem, int n, int index, int entries, int none = kNoSelection) {
        if (index != kNoSelection && (index < 0 || index >= entries))
            Fail(stem, n, QStringLiteral("%1 is beyond its list (0 to %2)").arg(index).arg(entries - 1));
        Int(stem, n, index == kNoSelection ? none : index);
    }
    void Checks(cfg::Stem countStem, cfg::Stem selectedStem, const std::vector<CheckListEntry>& list) {
        const int count = std::min(static_cast<int>(list.size()), kCheckListMax);
        Int(countStem, 0, count);
        for (int i = 0; i < count; ++i)
            Bool(selectedStem, i, list[static_cast<std::size_t>(i)].checked);
    }

    void Fail(cfg::Stem stem, int n, const QString& why) {
        if (error_.isEmpty())
            error_ = QStringLiteral("[%1] %2: %3").arg(cfg::SectionName(stem), cfg::KeyName(stem, n), why);
    }
    // A message of its own, for the export texts.
    void Fail(const QString& message) {
        if (error_.isEmpty()) error_ = message;
    }

    const QString& text() const { return text_; }
    const QString& error() const { return error_; }

private:
    void AppendNumber(qint64 value) {
        char digits[24];
        int len = 0;
        quint64 v = value < 0 ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
        do {
            digits[len++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
        if (value < 0) text_ += QLatin1Char('-');
        while (len > 0)
            text_ += QLatin1Char(digits[--len]);
    }

    QString text_;
    QString error_;
};

void SaveInputs(const ConfigStore& s, Writer& w) {
    w.Section(cfg::kInputName);
    for (int n = 1; n <= kInputCount; ++n) {
        w.Text(cfg::kInputName, n, InputName(s, n).left(kNameChars));
        w.Index(cfg::kInputMode, n, InputMode(s, n), kModeEntries, kModeNone);
    }
    w.Bool(cfg::kInputPwmEnable, 0, s.pwm().inputPwm);
}

// Tenths beyond what the field (or the ON timer edit) holds go in capped.
void SaveOutputs(const ConfigStore& s, Writer& w) {
    using namespace cfg;
    w.Section(kOutputName);
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Text(kOutputName, ch, OutputName(s, ch).left(kNameChars));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Int(kOutputTrigger, ch, OutputTrigger(s, ch));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Int(kOutputTrigLevel, ch, OutputTriggerLevel(s, ch));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Int(kOutputDelay, ch, CapByte(OutputDelay(s, ch)));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        w.Int(kOutputMaxCurrent, ch, CapWord(OutputMaxCurrent(s, ch)));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        w.Int(kOutputPeakTime, ch, CapByte(OutputPeakTime(s, ch)));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        w.Int(kOutputLowCurrent, ch, CapWord(OutputLowCurrent(s, ch)));
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        w.Int(kOutputLowCurrentTime, ch, CapByte(OutputLowCurrentTime(s, ch)));
    for (int ch = 1; ch <= kOutputCount; ++ch)
        w.Int(kOutputOnTime, ch, std::clamp<qint64>(OutputOnTime(s, ch), 0, kOnTimeTenths.max));
    w.Bool(kOutputPwm1, 0, s.pwm().pwm1);
    w.Bool(kOutputPwm2, 0, s.pwm().pwm2);
}

void SaveLowBatteryAndStartButton(const ConfigStore& s, Writer& w) {
    using namespace cfg;
    w.Section(kLowTrig);
    for (const auto& [stem, text] : {std::pair{kLowTrig, s.lowBattery().lowThreshold},
                                     std::pair{kUpperTrig, s.lowBattery().upperThreshold}}) {
        QString why;
        if (!IsThresholdText(text, &why)) w.Fail(stem, 0, why);
        w.Text(stem, 0, text);
    }
    w.Checks(kLowListCount, kLowListSelected, s.lowBattery().list);

    w.Section(kStartTriggerIndex);
    w.Index(kStartTriggerIndex, 0, s.startButton().trigger, kTriggerSourceCount);
    w.Checks(kStartListCount, kStartListSelected, s.startButton().list);
}

void SaveCanRules(const ConfigStore& s, Writer& w) {
    using namespace cfg;
    w.Section(kRuleEnabled);
    for (int n = 1; n <= kCanRuleCount; ++n) {
        const CanInputRule rule = CanRuleRecord(s, n - 1);
        w.Bool(kRuleEnabled, n, rule.enabled != 0);
        w.Int(kRuleIdOn, n, rule.onId);
        w.Int(kRuleIdOff, n, rule.offId);
        w.Int(kRuleOperatorOn, n, rule.onOperator);
        w.Int(kRuleOperatorOff, n, rule.offOperator);
        w.Int(kRuleValueOn, n, rule.onValue);
        w.Int(kRuleValueOff, n, rule.offValue);
        w.Int(kRuleHighOnPos, n, rule.onHighPos);
        w.Int(kRuleLowOnPos, n, rule.onLowPos);
        w.Int(kRuleHighOffPos, n, rule.offHighPos);
        w.Int(kRuleLowOffPos, n, rule.offLowPos);
        w.Text(kRuleName, n, rule.name);
        w.Bool(kRuleRowEnabled, n, rule.rowEnable != 0);
        w.Int(kRuleRowIndex, n, rule.rowByte);
        w.Int(kRuleRowValue, n, rule.rowValue);
        w.Int(kRuleDataType, n, rule.dataType);
        w.Text(kRuleDimension, n, rule.dimension);
        w.Float(kRuleMultiplicator, n, rule.multiplicator);
        w.Float(kRuleOffset, n, rule.offset);
    }

    w.Section(kCanEnable);
    w.Bool(kCanEnable, 0, s.canSettings().enable);
    w.Index(kCanInputPin, 0, s.canSettings().inputIndex, kCanInputPins);
}

void SaveVirtualInputsAndFlash(const ConfigStore& s, Writer& w) {
    using namespace cfg;
    w.Section(kVirtualName);
    for (int n = 1; n <= kVirtualInputCount; ++n) {
        const VirtualInputDef def = VirtualInputRecord(s, n - 1);
        for (int i = 0; i < 3; ++i)
            w.Int(Nth(kVirtualDelay1, i), n, def.delay[i]);
        for (int i = 0; i < 3; ++i)
            w.Int(Nth(kVirtualTerm1, i), n, def.term[i]);
        for (int i = 0; i < 2; ++i)
            w.Int(Nth(kVirtualOperator1, i), n, def.op[i]);
        w.Int(kVirtualMask, n, def.invertMask);
        w.Text(kVirtualName, n, def.name);
    }

    w.Section(kFlashName);
    for (int n = 1; n <= kFlashCount; ++n) {
        const FlashDef def = FlashRecord(s, n - 1);
        w.Bool(kFlashEnabled, n, def.enabled != 0);
        w.Bool(kFlashContinues, n, def.continuous != 0);
        w.Int(kFlashTrigger, n, def.trigger);
        for (int slot = 0; slot < kFlashOutputSlots; ++slot)
            w.Int(FlashSlots(n), slot, def.outputs[slot]);
        w.Int(kFlashTime, n, def.flashTime);
        w.Int(kFlashDuration, n, def.duration);
        w.Text(kFlashName, n, def.name);
    }
}

// Stops at the first export text that is not a number, with its message.
void SaveExports(const ConfigStore& s, Writer& w) {
    using namespace cfg;
    for (int e = 1; e <= 4; ++e) {
        const CanExportControls c = s.canExport(e);
        w.Section(ExportStem(e, kExport1Enabled, kExport2Enabled));
        w.Bool(ExportStem(e, kExport1Enabled, kExport2Enabled), 0, c.enable);
        const std::optional<long long> id = ParseHexId(c.id);
        if (!id) return w.Fail(NotAnIntegerMessage(QStringLiteral("0x") + c.id));
        // Read as a 32-bit integer, as the upload does: eight F digits are -1.
        w.Int(ExportStem(e, kExport1Id, kExport2Id), 0,
              static_cast<std::int32_t>(static_cast<std::uint32_t>(*id)), kId16);
        if (e == 1) {
            const std::optional<long long> rows = ParseDecimal(c.rowCount);
            if (!rows) return w.Fail(NotAnIntegerMessage(c.rowCount));
            w.Int(kExport1RowCount, 0, *rows, kByte);
        }
        const std::optional<long long> refresh = ParseDecimal(c.refresh);
        if (!refresh) return w.Fail(NotAnIntegerMessage(c.refresh));
        w.Int(ExportStem(e, kExport1Refresh, kExport2Refresh), 0, *refresh, kWord);
        for (int i = 0; i < ExportBoxCount(e); ++i) {
            const std::size_t at = static_cast<std::size_t>(i);
            w.Index(ExportStem(e, kExport1Box, kExport2Box), ExportFirstKey(e) + i,
                    at < c.boxes.size() ? c.boxes[at] : kNoSelection, ExportEntries(e));
        }
    }
}

} // namespace

QString ForceCfgExtension(const QString& path) {
    const qsizetype folder =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot > folder ? path.left(dot) : path) + QStringLiteral(".cfg");
}

std::optional<double> ParseCfgFloat(const QString& text) {
    return number::ParseDecimal(text, -DBL_MAX, DBL_MAX, nullptr, {.comma = true, .exponent = true});
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

ConfigFileReport ParseConfigText(ConfigStore& into, QByteArrayView bytes, const QString& displayName) {
    if (bytes.size() > kMaxConfigFileBytes)
        return Refused(displayName + QStringLiteral(": too large (a configuration file has at most %1 bytes)")
                                         .arg(kMaxConfigFileBytes));
    const CfgText text(bytes);
    if (!text.fault().isEmpty()) {
        const QString where = text.faultLine() ? QStringLiteral(":%1").arg(text.faultLine()) : QString();
        return Refused(displayName + where + QStringLiteral(": ") + text.fault());
    }

    // What a file lacks keeps the defaults, made once from no file at all.
    static const ConfigStore* const defaults = [] {
        auto* store = new ConfigStore; // lives as long as the program
        Reader none(nullptr);
        Load(*store, none);
        return store;
    }();
    ConfigStore scratch;
    scratch.CopyBlocksFrom(*defaults);
    Reader reader(&text);
    Load(scratch, reader);
    if (!reader.anyFound())
        return Refused(displayName + QStringLiteral(": not a configuration file (no known section and key)"));
    if (reader.errorLine() != 0)
        return Refused(
            QStringLiteral("%1:%2: %3").arg(displayName).arg(reader.errorLine()).arg(reader.error()));

    into.CopyBlocksFrom(scratch);
    ConfigFileReport report;
    report.ok = true;
    report.exitCode = 0;
    report.missingKeys = reader.missingKeys();
    return report;
}

ConfigFileReport ReadConfigFile(ConfigStore& into, const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    QByteArray bytes;
    QString problem;
    if (!ReadWhole(path, &bytes, &problem)) return Refused(shown + QStringLiteral(": ") + problem);
    return ParseConfigText(into, bytes, shown);
}

bool LoadConfigFile(ConfigStore& store, const QString& path) {
    return ReadConfigFile(store, ForceCfgExtension(path)).ok;
}

bool SaveConfigText(const ConfigStore& store, QByteArray* bytes, QString* error) {
    Writer w;
    SaveInputs(store, w);
    SaveOutputs(store, w);
    SaveLowBatteryAndStartButton(store, w);
    SaveCanRules(store, w);
    SaveVirtualInputsAndFlash(store, w);
    SaveExports(store, w);
    if (!w.error().isEmpty()) {
        if (error) *error = w.error();
        return false;
    }
    // Every character was checked above to have its byte.
    const QString& text = w.text();
    QByteArray encoded(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        encoded[i] = static_cast<char>(CodePageByte(text[i]).value_or('?'));
    *bytes = std::move(encoded);
    return true;
}

bool SaveConfigFile(const ConfigStore& store, const QString& path, QString* error) {
    QByteArray bytes;
    if (!SaveConfigText(store, &bytes, error)) return false;
    const QString target = ForceCfgExtension(path);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = QStringLiteral("Unable to create file: '%1'").arg(target);
        return false;
    }
    return true;
}

} // namespace vm
