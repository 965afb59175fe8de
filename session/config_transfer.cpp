#include "session/config_transfer.h"

#include "config/block_layouts.h"
#include "config/config_store.h"
#include "protocol/message_catalogue.h"
#include "session/unit_session.h"

#include <iterator>

namespace vm {

namespace {

using Step = TransferStep;

// Which block index a step sends.
enum class IndexFrom : std::uint8_t { None, Position, ExportPosition };

struct StepSend {
    Step step;
    bool write;
    std::uint8_t command;
    IndexFrom index;
};

// What each step sends; the input and output uploads advance their position
// themselves (ContinueTransfer), and the steps not listed send nothing.
constexpr StepSend kStepSends[] = {
    {Step::WriteCanRules, true, msg::CAN_RULE_WRITE, IndexFrom::Position},
    {Step::ReadCanRules, false, msg::CAN_RULE_READ, IndexFrom::Position},
    {Step::WriteVirtualInputs, true, msg::VIRTUAL_INPUT_WRITE, IndexFrom::Position},
    {Step::ReadVirtualInputs, false, msg::VIRTUAL_INPUT_READ, IndexFrom::Position},
    {Step::WriteStartButton, true, msg::START_BUTTON_CFG_WRITE, IndexFrom::None},
    {Step::ReadStartButton, false, msg::START_BUTTON_CFG_READ, IndexFrom::None},
    {Step::WritePwm, true, msg::PWM_CFG_WRITE, IndexFrom::None},
    {Step::ReadPwm, false, msg::PWM_CFG_READ, IndexFrom::None},
    {Step::WriteFlash, true, msg::FLASH_WRITE, IndexFrom::Position},
    {Step::ReadFlash, false, msg::FLASH_READ, IndexFrom::Position},
    {Step::ReadCanExport1, false, msg::CAN_EXPORT1_READ, IndexFrom::None},
    {Step::WriteCanExport1, true, msg::CAN_EXPORT1_WRITE, IndexFrom::None},
    {Step::ReadCanExports, false, msg::CAN_EXPORT_READ, IndexFrom::ExportPosition},
    {Step::WriteCanExports, true, msg::CAN_EXPORT_WRITE, IndexFrom::Position},
    {Step::ReadCanSettings, false, msg::CAN_SETTINGS_READ, IndexFrom::None},
    {Step::WriteCanSettings, true, msg::CAN_SETTINGS_WRITE, IndexFrom::None},
    {Step::ReadBoxName, false, msg::BOX_NAME_READ, IndexFrom::None},
    {Step::WriteBoxName, true, msg::BOX_NAME_WRITE, IndexFrom::None},
};

bool IsUploadStep(Step step) {
    switch (step) {
    case Step::WriteInputs: case Step::WriteOutputs: case Step::AwaitLowBatteryAck: case Step::WriteCanRules:
    case Step::WriteVirtualInputs: case Step::WriteStartButton: case Step::WritePwm: case Step::WriteFlash:
    case Step::WriteCanExport1: case Step::WriteCanExports: case Step::WriteCanSettings: case Step::WriteBoxName:
        return true;
    default:
        return false;
    }
}

bool IsWriteAcknowledgement(std::uint8_t code) {
    switch (code) {
    case msg::INPUT_CFG_WRITE_DONE: case msg::OUTPUT_CFG_WRITE_DONE: case msg::LOW_BATT_CFG_WRITE_DONE:
    case msg::START_BUTTON_CFG_WRITE_DONE: case msg::CAN_RULE_WRITE_DONE: case msg::CAN_SETTINGS_WRITE_DONE:
    case msg::BOX_NAME_WRITE_DONE: case msg::VIRTUAL_INPUT_WRITE_DONE: case msg::FLASH_WRITE_DONE:
    case msg::PWM_CFG_WRITE_DONE: case msg::CAN_EXPORT1_WRITE_DONE: case msg::CAN_EXPORT_WRITE_DONE:
        return true;
    default:
        return false;
    }
}

const StepSend* SendOf(Step step) {
    for (const StepSend& s : kStepSends)
        if (s.step == step) return &s;
    return nullptr;
}

int IndexOf(IndexFrom from, std::uint8_t position) {
    switch (from) {
    case IndexFrom::Position: return position;
    case IndexFrom::ExportPosition: return position <= 1 ? position : 2; // exports 2, 3, 4 are indexes 0, 1, 2
    default: return 0;
    }
}

} // namespace

ConfigTransfer::ConfigTransfer(UnitSession& unit, ConfigStore& store, QObject* parent)
    : QObject(parent), unit_(unit), store_(store) {
    connect(&unit_, &UnitSession::configAnswer, this, &ConfigTransfer::OnConfigAnswer);
}

void ConfigTransfer::SetStep(TransferStep step, std::uint8_t position) {
    step_ = step;
    position_ = position;
}

void ConfigTransfer::sendWrite(std::uint8_t command, int index) {
    const PackedBlock packed = PackConfigBlock(store_, command, index);
    if (!packed.ok()) {
        Q_EMIT packFailed(packed.error);
        return;
    }
    unit_.Send(packed.packet);
}

void ConfigTransfer::sendRead(std::uint8_t command, int index) { unit_.Send(ConfigReadRequest(command, index)); }

bool ConfigTransfer::apply(const LinkPacket& packet) {
    const bool stored = ApplyConfigBlock(store_, packet);
    if (stored) ++applied_;
    return stored;
}

void ConfigTransfer::StartRead() {
    applied_ = 0;
    uploadCancelled_ = false;
    sendRead(msg::INPUT_CFG_READ, 0xFF);
    step_ = Step::ReadInputsOutputs;
}

void ConfigTransfer::StartUpload() {
    uploadCancelled_ = false;
    acknowledged_ = 0;
    position_ = 1;
    sendWrite(msg::INPUT_CFG_WRITE, 1);
    step_ = Step::WriteInputs;
}

void ConfigTransfer::StartFactoryReset() { unit_.Send(LinkPacket::make(kGroupApp, msg::FACTORY_RESET_REQ)); }

void ConfigTransfer::CancelTransfer() {
    if (IsUploadStep(step_)) uploadCancelled_ = true;
    step_ = Step::Idle;
}

void ConfigTransfer::endChain() {
    SetStep(Step::Idle, 0);
    unit_.MarkNamesDirty();
    Q_EMIT chainEnded();
}

void ConfigTransfer::ContinueTransfer() {
    switch (step_) {
    case Step::WriteInputs:
        if (position_ < kInputCount) {
            sendWrite(msg::INPUT_CFG_WRITE, ++position_);
        } else {
            position_ = 1;
            sendWrite(msg::OUTPUT_CFG_WRITE, 1);
            step_ = Step::WriteOutputs;
        }
        return;
    case Step::WriteOutputs:
        if (position_ < kOutputCount) {
            sendWrite(msg::OUTPUT_CFG_WRITE, ++position_);
        } else {
            step_ = Step::AwaitLowBatteryAck;
            sendWrite(msg::LOW_BATT_CFG_WRITE, 0);
        }
        return;
    default:
        break;
    }
    const StepSend* send = SendOf(step_);
    if (!send) return; // idle, reading inputs and outputs, the two silent steps
    const int index = IndexOf(send->index, position_);
    if (send->write) sendWrite(send->command, index);
    else sendRead(send->command, index);
}

bool ConfigTransfer::uploading() const { return IsUploadStep(step_); }

void ConfigTransfer::ResendCurrentBlock() {
    switch (step_) {
    case Step::WriteInputs: sendWrite(msg::INPUT_CFG_WRITE, position_); return;
    case Step::WriteOutputs: sendWrite(msg::OUTPUT_CFG_WRITE, position_); return;
    case Step::AwaitLowBatteryAck: sendWrite(msg::LOW_BATT_CFG_WRITE, 0); return;
    default: ContinueTransfer(); return; // the other steps send their block unadvanced
    }
}

bool ConfigTransfer::advanceRecord(int k, int count, TransferStep next) {
    if (k + 1 >= count) {
        SetStep(next, 0);
        return false;
    }
    position_ = static_cast<std::uint8_t>(k + 1);
    return true;
}

void ConfigTransfer::OnConfigAnswer(const LinkPacket& p) {
    if (IsWriteAcknowledgement(p.command())) {
        if (uploadCancelled_) return;
        ++acknowledged_;
    }
    const int k = p.at(4);
    switch (p.command()) {
    // Read chain.
    case msg::INPUT_CFG:
    case msg::OUTPUT_CFG:
        apply(p); // the dispatcher asks for the next block after the last one
        break;
    case msg::LOW_BATT_CFG: apply(p); SetStep(Step::ReadCanRules, 0); break;
    case msg::CAN_RULE:
        apply(p);
        if (k + 1 >= kCanRuleCount) step_ = Step::ReadCanSettings; // position stays
        else position_ = static_cast<std::uint8_t>(k + 1);
        break;
    case msg::CAN_SETTINGS: apply(p); SetStep(Step::ReadBoxName, 0); break;
    case msg::BOX_NAME: apply(p); SetStep(Step::ReadVirtualInputs, 0); break;
    case msg::VIRTUAL_INPUT:
        if (k > kVirtualInputCount - 1) {
            SetStep(Step::ReadStartButton, 0);
        } else {
            apply(p);
            advanceRecord(k, kVirtualInputCount, Step::ReadStartButton);
        }
        break;
    case msg::START_BUTTON_CFG: apply(p); SetStep(Step::ReadFlash, 0); break;
    case msg::FLASH:
        if (k > kFlashCount - 1) {
            SetStep(Step::ReadPwm, 0);
        } else {
            apply(p);
            advanceRecord(k, kFlashCount, Step::ReadPwm);
        }
        break;
    case msg::PWM_CFG: apply(p); SetStep(Step::ReadCanExport1, 0); break;
    case msg::CAN_EXPORT1: apply(p); SetStep(Step::ReadCanExports, 0); break;
    case msg::CAN_EXPORT:
        apply(p);
        if (k <= 1) {
            position_ = static_cast<std::uint8_t>(k + 1);
            break;
        }
        endChain();
        return;

    // Upload chain: acknowledgements.
    case msg::INPUT_CFG_WRITE_DONE:
    case msg::OUTPUT_CFG_WRITE_DONE:
        break;
    case msg::LOW_BATT_CFG_WRITE_DONE: SetStep(Step::WriteStartButton, 0); break;
    case msg::START_BUTTON_CFG_WRITE_DONE: SetStep(Step::WriteCanRules, 0); break;
    case msg::CAN_RULE_WRITE_DONE: advanceRecord(k, kCanRuleCount, Step::WriteCanSettings); break;
    case msg::CAN_SETTINGS_WRITE_DONE: step_ = Step::WriteBoxName; break; // position stays
    case msg::BOX_NAME_WRITE_DONE: SetStep(Step::WriteVirtualInputs, 0); break;
    case msg::VIRTUAL_INPUT_WRITE_DONE: advanceRecord(k, kVirtualInputCount, Step::WriteFlash); break;
    case msg::FLASH_WRITE_DONE:
        if (k < kFlashCount) position_ = static_cast<std::uint8_t>(k + 1);
        if (position_ == kFlashCount || k == kFlashCount) SetStep(Step::WritePwm, 0);
        break;
    case msg::PWM_CFG_WRITE_DONE: SetStep(Step::WriteCanExport1, 0); break;
    case msg::CAN_EXPORT1_WRITE_DONE: SetStep(Step::WriteCanExports, 0); break;
    case msg::CAN_EXPORT_WRITE_DONE:
        if (k <= 1) {
            position_ = static_cast<std::uint8_t>(k + 1);
            break;
        }
        endChain();
        return;
    default:
        return;
    }
    ContinueTransfer();
}

} // namespace vm
