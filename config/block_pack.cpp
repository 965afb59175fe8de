// Packing the configuration write messages and building the read requests.
#include "config/block_accessors.h"
#include "config/block_layouts.h"
#include "config/encodings.h"
#include "config/records.h"
#include "protocol/message_catalogue.h"

#include <algorithm>
#include <array>
#include <optional>

namespace vm {

namespace {

constexpr int kLongestWrite = 74;
using Buffer = std::array<std::uint8_t, kLongestWrite>;

void PutLe16(Buffer& b, int pos, std::uint16_t v) {
    b[pos] = static_cast<std::uint8_t>(v & 0xFF);
    b[pos + 1] = static_cast<std::uint8_t>(v >> 8);
}

// Box indexes travel as one byte; no selection (-1) becomes 0xFF.
std::uint8_t BoxByte(int index) { return static_cast<std::uint8_t>(index); }

// Channel numbers of the checked entries among the first 34, at most `slotCount`,
// from `first` on; the remaining slotCount stay empty (0xFF).
void PutCheckedChannels(Buffer& b, int first, int slotCount, const std::vector<CheckListEntry>& list) {
    std::fill_n(b.begin() + first, slotCount, kEmptySlot);
    int used = 0;
    const int entries = std::min<int>(static_cast<int>(list.size()), kOutputCount);
    for (int i = 0; i < entries && used < slotCount; ++i)
        if (list[static_cast<std::size_t>(i)].checked) b[first + used++] = static_cast<std::uint8_t>(i + 1);
}

void PackInput(const ConfigStore& s, int n, Buffer& b) {
    b[4] = static_cast<std::uint8_t>(n);
    EncodeName(InputName(s, n), &b[5], kNameChars);
    b[20] = BoxByte(InputMode(s, n));
}

void PackOutput(const ConfigStore& s, int ch, Buffer& b) {
    b[4] = static_cast<std::uint8_t>(ch);
    if (ch <= kHighPowerCount) {
        const std::uint16_t maxCurrent = CapWord(OutputMaxCurrent(s, ch));
        b[5] = static_cast<std::uint8_t>(maxCurrent >> 8); // this one field is big-endian
        b[6] = static_cast<std::uint8_t>(maxCurrent & 0xFF);
        b[7] = CapByte(OutputPeakTime(s, ch));
        PutLe16(b, 27, CapWord(OutputLowCurrent(s, ch)));
        b[29] = CapByte(OutputLowCurrentTime(s, ch));
    } else {
        // Low-power channels have no current supervision: fixed values.
        b[5] = 0xFF;
        b[6] = 0xFF;
    }
    b[8] = OutputTrigger(s, ch);
    b[9] = OutputTriggerLevel(s, ch);
    EncodeName(OutputName(s, ch), &b[10], kNameChars);
    b[25] = CapByte(OutputDelay(s, ch));
    b[26] = CapByte(OutputOnTime(s, ch));
}

void PackCanRule(const ConfigStore& s, int k, Buffer& b) {
    const auto r = s.canRule(k);
    const CanInputRule rule = DecodeCanRule(r);
    b[4] = static_cast<std::uint8_t>(k);
    b[5] = rule.enabled;
    PutLe16(b, 6, static_cast<std::uint16_t>(rule.onId));
    PutLe16(b, 8, static_cast<std::uint16_t>(rule.offId));
    PutLe16(b, 10, static_cast<std::uint16_t>(rule.onValue));
    PutLe16(b, 12, static_cast<std::uint16_t>(rule.offValue));
    b[14] = static_cast<std::uint8_t>(rule.onOperator);
    b[15] = static_cast<std::uint8_t>(rule.offOperator);
    b[16] = rule.onHighPos;
    b[17] = rule.onLowPos;
    b[18] = rule.offHighPos;
    b[19] = rule.offLowPos;
    EncodeName(CanInputName(s, k + 1), &b[20], kNameChars);
    b[35] = rule.rowEnable;
    b[36] = rule.rowByte;
    b[37] = rule.rowValue;
    b[38] = rule.dataType;
    EncodeName(rule.dimension, &b[39], kDimensionChars);
    std::copy_n(r.begin() + 55, 4, b.begin() + 44); // the float as stored, little-endian
    b[48] = static_cast<std::uint8_t>(rule.offset);
}

void PackVirtualInput(const ConfigStore& s, int k, Buffer& b) {
    const VirtualInputDef def = VirtualInputRecord(s, k);
    b[4] = static_cast<std::uint8_t>(k);
    for (int t = 0; t < 3; ++t) {
        b[6 + t] = def.term[t] == 1 ? 0xFF : def.term[t]; // "+30" travels as 0xFF
        b[26 + t] = def.delay[t];
    }
    b[9] = def.op[0];
    b[10] = def.op[1];
    EncodeName(VirtualInputName(s, k + 1), &b[11], kNameChars);
    b[29] = def.invertMask;
}

constexpr long long kMaxStandardId = 0x7FF;
constexpr long long kMaxRefreshMs = 65535;
constexpr long long kMaxRowCount = 255;

// Refresh, identifier and (export 1) row count of export n; the first text
// that is not a number, or a number the unit cannot hold, gives the error
// (capped it would send another value than the page shows).
QString PackExportHead(int n, const CanExportControls& e, bool withRowCount, Buffer& b) {
    const std::optional<long long> refresh = ParseDecimal(e.refresh);
    if (!refresh) return NotAnIntegerMessage(e.refresh);
    if (*refresh < 0 || *refresh > kMaxRefreshMs)
        return QStringLiteral("CAN export %1: the refresh time %2 ms is not within 0..65535").arg(n).arg(e.refresh);
    const std::optional<long long> id = ParseHexId(e.id);
    if (!id) return NotAnIntegerMessage(QStringLiteral("0x") + e.id);
    if (*id < 0 || *id > kMaxStandardId)
        return QStringLiteral("CAN export %1: the identifier 0x%2 is not within 0x000..0x7FF").arg(n).arg(e.id);
    b[5] = e.enable ? 1 : 0;
    PutLe16(b, 6, static_cast<std::uint16_t>(*refresh));
    PutLe16(b, 8, static_cast<std::uint16_t>(*id));
    if (withRowCount) {
        const std::optional<long long> rows = ParseDecimal(e.rowCount);
        if (!rows) return NotAnIntegerMessage(e.rowCount);
        if (*rows < 0 || *rows > kMaxRowCount)
            return QStringLiteral("CAN export 1: the row count %1 is not within 0..255").arg(e.rowCount);
        b[28] = static_cast<std::uint8_t>(*rows);
    }
    return {};
}

void PutBoxes(Buffer& b, int first, int count, const std::vector<int>& boxes) {
    for (int i = 0; i < count; ++i)
        b[first + i] =
            BoxByte(i < static_cast<int>(boxes.size()) ? boxes[static_cast<std::size_t>(i)] : kNoSelection);
}

bool IndexIn(int index, int first, int count) { return index >= first && index < first + count; }

} // namespace

int ConfigWriteLength(std::uint8_t writeCommand) {
    switch (writeCommand) {
    case msg::INPUT_CFG_WRITE:
        return 21;
    case msg::OUTPUT_CFG_WRITE:
        return 30;
    case msg::PWM_CFG_WRITE:
        return 12;
    case msg::LOW_BATT_CFG_WRITE:
        return 18;
    case msg::START_BUTTON_CFG_WRITE:
        return 21;
    case msg::CAN_RULE_WRITE:
        return 49;
    case msg::CAN_SETTINGS_WRITE:
        return 20;
    case msg::BOX_NAME_WRITE:
        return 20;
    case msg::VIRTUAL_INPUT_WRITE:
        return 31;
    case msg::FLASH_WRITE:
        return 29;
    case msg::CAN_EXPORT1_WRITE:
        return 29;
    case msg::CAN_EXPORT_WRITE:
        return 74;
    default:
        return 0;
    }
}

PackedBlock PackConfigBlock(const ConfigStore& s, std::uint8_t cmd, int index) {
    PackedBlock result;
    const int length = ConfigWriteLength(cmd);
    Buffer b{};
    bool indexOk = true;
    switch (cmd) {
    case msg::INPUT_CFG_WRITE:
        if ((indexOk = IndexIn(index, 1, kInputCount))) PackInput(s, index, b);
        break;
    case msg::OUTPUT_CFG_WRITE:
        if ((indexOk = IndexIn(index, 1, kOutputCount))) PackOutput(s, index, b);
        break;
    case msg::PWM_CFG_WRITE:
        b[4] = s.pwm().inputPwm ? 1 : 0;
        b[5] = s.pwm().pwm1 ? 1 : 0;
        b[6] = s.pwm().pwm2 ? 1 : 0;
        break;
    case msg::LOW_BATT_CFG_WRITE:
        b[4] = CapByte(TextToTenths(s.lowBattery().lowThreshold));
        b[5] = CapByte(TextToTenths(s.lowBattery().upperThreshold));
        PutCheckedChannels(b, 6, kLowBatterySlots, s.lowBattery().list);
        break;
    case msg::START_BUTTON_CFG_WRITE:
        b[4] = TriggerCodeFromIndex(s.startButton().trigger);
        PutCheckedChannels(b, 5, kStartButtonSlots, s.startButton().list);
        break;
    case msg::CAN_RULE_WRITE:
        if ((indexOk = IndexIn(index, 0, kCanRuleCount))) PackCanRule(s, index, b);
        break;
    case msg::CAN_SETTINGS_WRITE:
        b[4] = s.canSettings().enable ? 1 : 0;
        b[5] = InputPinCodeFromIndex(s.canSettings().inputIndex);
        break;
    case msg::BOX_NAME_WRITE:
        // 16 bytes, always zero-terminated.
        EncodeName(s.boxName().left(kNameChars), &b[4], kNameChars + 1);
        break;
    case msg::VIRTUAL_INPUT_WRITE:
        if ((indexOk = IndexIn(index, 0, kVirtualInputCount))) PackVirtualInput(s, index, b);
        break;
    case msg::FLASH_WRITE:
        if ((indexOk = IndexIn(index, 0, kFlashCount))) {
            b[4] = static_cast<std::uint8_t>(index);
            const auto r = s.flash(index);
            std::copy(r.begin(), r.end(), b.begin() + 5);
        }
        break;
    case msg::CAN_EXPORT1_WRITE: {
        const CanExportControls e = s.canExport(1);
        result.error = PackExportHead(1, e, true, b);
        PutBoxes(b, 10, kExport1Boxes, e.boxes);
        break;
    }
    case msg::CAN_EXPORT_WRITE:
        if ((indexOk = IndexIn(index, 0, 3))) {
            const CanExportControls e = s.canExport(index + 2);
            b[4] = static_cast<std::uint8_t>(index);
            result.error = PackExportHead(index + 2, e, false, b);
            PutBoxes(b, 10, kExportBitBoxes[index], e.boxes);
        }
        break;
    default:
        result.error = QStringLiteral("Message %1 is not a configuration block").arg(cmd);
        return result;
    }
    if (!indexOk) {
        result.error = QStringLiteral("No configuration block %1 for message %2").arg(index).arg(cmd);
        return result;
    }
    if (result.ok()) result.packet = LinkPacket::make(kGroupApp, cmd, b.data() + 4, length - 4);
    return result;
}

LinkPacket ConfigReadRequest(std::uint8_t readCommand, int index) {
    switch (readCommand) {
    case msg::INPUT_CFG_READ:
    case msg::OUTPUT_CFG_READ:
        return LinkPacket::make(kGroupApp, readCommand, {0xFF});
    case msg::CAN_RULE_READ:
    case msg::VIRTUAL_INPUT_READ:
    case msg::FLASH_READ:
    case msg::CAN_EXPORT_READ:
        return LinkPacket::make(kGroupApp, readCommand, {static_cast<std::uint8_t>(index)});
    case msg::CAN_EXPORT1_READ:
        return LinkPacket::make(kGroupApp, readCommand, {0});
    case msg::LOW_BATT_CFG_READ:
    case msg::START_BUTTON_CFG_READ:
    case msg::CAN_SETTINGS_READ:
    case msg::BOX_NAME_READ:
    case msg::PWM_CFG_READ:
        return LinkPacket::make(kGroupApp, readCommand);
    default:
        return LinkPacket{};
    }
}

QString FirstUploadError(const ConfigStore& store) {
    QString first;
    ForEveryBlockWrite([&](std::uint8_t code, int index) {
        if (first.isEmpty()) first = PackConfigBlock(store, code, index).error;
    });
    return first;
}

} // namespace vm
