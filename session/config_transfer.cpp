#include "session/config_transfer.h"

#include "session/unit_session.h"
#include "config/block_layouts.h"
#include "config/config_store.h"
#include "protocol/message_catalogue.h"

namespace vm {

ConfigTransfer::ConfigTransfer(UnitSession& unit, ConfigStore& store, QObject* parent)
    : QObject(parent), unit_(unit), store_(store) {
    connect(&unit_, &UnitSession::configAnswer, this, &ConfigTransfer::OnConfigAnswer);
}

std::uint8_t ConfigTransfer::state() const { return unit_.state().transferState; }
std::uint8_t ConfigTransfer::position() const { return unit_.state().transferPos; }

void ConfigTransfer::setStep(std::uint8_t state, std::uint8_t position) {
    unit_.state().transferState = state;
    unit_.state().transferPos = position;
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
    sendRead(msg::INPUT_CFG_READ, 0xFF);
    setStep(ReadingAll, position());
}

void ConfigTransfer::StartUpload() {
    unit_.state().transferPos = 1;
    sendWrite(msg::INPUT_CFG_WRITE, 1);
    unit_.state().transferState = UploadInputs;
}

void ConfigTransfer::StartFactoryReset() { unit_.Send(LinkPacket::make(kGroupApp, msg::FACTORY_RESET_REQ)); }

void ConfigTransfer::CancelTransfer() { unit_.state().transferState = Idle; }

void ConfigTransfer::endChain() {
    setStep(Idle, 0);
    unit_.state().namesDirty = 1;
    Q_EMIT chainEnded();
}

void ConfigTransfer::ContinueTransfer() {
    std::uint8_t& pos = unit_.state().transferPos;
    switch (state()) {
    case UploadInputs:
        if (pos < kInputCount) {
            ++pos;
            sendWrite(msg::INPUT_CFG_WRITE, pos);
        } else {
            pos = 1;
            sendWrite(msg::OUTPUT_CFG_WRITE, 1);
            unit_.state().transferState = UploadOutputs;
        }
        break;
    case UploadOutputs:
        if (pos < kOutputCount) {
            ++pos;
            sendWrite(msg::OUTPUT_CFG_WRITE, pos);
        } else {
            unit_.state().transferState = 5;
            sendWrite(msg::LOW_BATT_CFG_WRITE, 0);
        }
        break;
    case 6: sendWrite(msg::CAN_RULE_WRITE, pos); break;
    case 7: sendRead(msg::CAN_RULE_READ, pos); break;
    case 8: sendWrite(msg::VIRTUAL_INPUT_WRITE, pos); break;
    case 9: sendRead(msg::VIRTUAL_INPUT_READ, pos); break;
    case 10: sendWrite(msg::START_BUTTON_CFG_WRITE, 0); break;
    case 11: sendRead(msg::START_BUTTON_CFG_READ); break;
    case 12: sendWrite(msg::PWM_CFG_WRITE, 0); break;
    case 13: sendRead(msg::PWM_CFG_READ); break;
    case 14: sendWrite(msg::FLASH_WRITE, pos); break;
    case 15: sendRead(msg::FLASH_READ, pos); break;
    case 16: sendRead(msg::CAN_EXPORT1_READ, 0); break;
    case 17: sendWrite(msg::CAN_EXPORT1_WRITE, 0); break;
    case 18: sendRead(msg::CAN_EXPORT_READ, pos <= 1 ? pos : 2); break;
    case 19: sendWrite(msg::CAN_EXPORT_WRITE, pos); break;
    case 20: sendRead(msg::CAN_SETTINGS_READ); break;
    case 21: sendWrite(msg::CAN_SETTINGS_WRITE, 0); break;
    case 22: sendRead(msg::BOX_NAME_READ); break;
    case 23: sendWrite(msg::BOX_NAME_WRITE, 0); break;
    default: break; // 0, 1, 2, 5: nothing to send
    }
}

void ConfigTransfer::OnConfigAnswer(const LinkPacket& p) {
    const int k = p.at(4);
    switch (p.command()) {
    // Read chain.
    case msg::INPUT_CFG:
    case msg::OUTPUT_CFG:
        apply(p); // the dispatcher asks for the next block after the last one
        break;
    case msg::LOW_BATT_CFG: apply(p); setStep(7, 0); break;
    case msg::CAN_RULE:
        apply(p);
        if (k + 1 >= kCanRuleCount) unit_.state().transferState = 20;
        else unit_.state().transferPos = static_cast<std::uint8_t>(k + 1);
        break;
    case msg::CAN_SETTINGS: apply(p); setStep(22, 0); break;
    case msg::BOX_NAME: apply(p); setStep(9, 0); break;
    case msg::VIRTUAL_INPUT:
        if (k > kVirtualInputCount - 1) {
            setStep(11, 0);
        } else {
            apply(p);
            unit_.state().transferPos = static_cast<std::uint8_t>(k + 1);
            if (k == kVirtualInputCount - 1) setStep(11, 0);
        }
        break;
    case msg::START_BUTTON_CFG: apply(p); setStep(15, 0); break;
    case msg::FLASH:
        if (k > kFlashCount - 1) {
            setStep(13, 0);
        } else {
            apply(p);
            unit_.state().transferPos = static_cast<std::uint8_t>(k + 1);
            if (k == kFlashCount - 1) setStep(13, 0);
        }
        break;
    case msg::PWM_CFG: apply(p); setStep(16, 0); break;
    case msg::CAN_EXPORT1: apply(p); setStep(18, 0); break;
    case msg::CAN_EXPORT:
        apply(p);
        if (k <= 1) {
            unit_.state().transferPos = static_cast<std::uint8_t>(k + 1);
            break;
        }
        endChain();
        return;

    // Upload chain: acknowledgements.
    case msg::INPUT_CFG_WRITE_DONE:
    case msg::OUTPUT_CFG_WRITE_DONE:
        break;
    case msg::LOW_BATT_CFG_WRITE_DONE: setStep(10, 0); break;
    case msg::START_BUTTON_CFG_WRITE_DONE: setStep(6, 0); break;
    case msg::CAN_RULE_WRITE_DONE:
        if (k + 1 > kCanRuleCount - 1) setStep(21, 0);
        else unit_.state().transferPos = static_cast<std::uint8_t>(k + 1);
        break;
    case msg::CAN_SETTINGS_WRITE_DONE: unit_.state().transferState = 23; break;
    case msg::BOX_NAME_WRITE_DONE: setStep(8, 0); break;
    case msg::VIRTUAL_INPUT_WRITE_DONE:
        if (k + 1 > kVirtualInputCount - 1) setStep(14, 0);
        else unit_.state().transferPos = static_cast<std::uint8_t>(k + 1);
        break;
    case msg::FLASH_WRITE_DONE:
        if (k < kFlashCount) unit_.state().transferPos = static_cast<std::uint8_t>(k + 1);
        if (unit_.state().transferPos == kFlashCount || k == kFlashCount) setStep(12, 0);
        break;
    case msg::PWM_CFG_WRITE_DONE: setStep(17, 0); break;
    case msg::CAN_EXPORT1_WRITE_DONE: setStep(19, 0); break;
    case msg::CAN_EXPORT_WRITE_DONE:
        if (k <= 1) {
            unit_.state().transferPos = static_cast<std::uint8_t>(k + 1);
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
