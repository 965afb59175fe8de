#pragma once
// The configuration messages on the wire: packing a write message from the
// store, building the read requests, and storing a read answer.
#include "config/config_store.h"
#include "protocol/link_packet.h"
#include "protocol/message_catalogue.h"

#include <QString>
#include <cstdint>

namespace vm {

// A packed write message, or why it could not be packed (a CAN export text
// that is not a number). The packet is sealed (length and checksum set).
struct PackedBlock {
    LinkPacket packet;
    QString error; // empty when packet is valid

    bool ok() const { return error.isEmpty(); }
};

// writeCommand: one of the twelve *_WRITE codes of message_catalogue.h.
// index: input 1..11, channel 1..34, CAN rule 0..31, virtual input 0..14,
// flash 0..4, CAN export 0..2 (exports 2..4); ignored for single blocks
// (PWM, low battery, start button, CAN settings, box name, CAN export 1).
PackedBlock PackConfigBlock(const ConfigStore& store, std::uint8_t writeCommand, int index);

// Calls f(write command, index) for every block message of an upload.
template <class F> void ForEveryBlockWrite(F f);

// Packs every block an upload sends, sending nothing: the first error, or
// empty when the whole configuration can go.
QString FirstUploadError(const ConfigStore& store);

// The read request for one of the twelve *_READ codes (sealed). Inputs and
// outputs ask for all blocks (0xFF); CAN rule, virtual input, flash and CAN
// export carry the index; CAN export 1 carries 0. An unknown code gives a
// packet of size 0.
LinkPacket ConfigReadRequest(std::uint8_t readCommand, int index = 0);

// Stores one read answer (INPUT_CFG, OUTPUT_CFG, PWM_CFG, LOW_BATT_CFG,
// START_BUTTON_CFG, CAN_RULE, CAN_SETTINGS, BOX_NAME, VIRTUAL_INPUT, FLASH,
// CAN_EXPORT1, CAN_EXPORT). Positions beyond what arrived read as 0. Returns
// false, storing nothing, for another code or an index out of range. The
// checksum is the dispatcher's business and is not checked here.
bool ApplyConfigBlock(ConfigStore& store, const LinkPacket& packet);

// The write message's length byte, or 0 for a code that is not a write.
int ConfigWriteLength(std::uint8_t writeCommand);

template <class F> void ForEveryBlockWrite(F f) {
    const struct {
        std::uint8_t code;
        int first, count;
    } writes[] = {{msg::INPUT_CFG_WRITE, 1, kInputCount},
                  {msg::OUTPUT_CFG_WRITE, 1, kOutputCount},
                  {msg::PWM_CFG_WRITE, 0, 1},
                  {msg::LOW_BATT_CFG_WRITE, 0, 1},
                  {msg::START_BUTTON_CFG_WRITE, 0, 1},
                  {msg::CAN_RULE_WRITE, 0, kCanRuleCount},
                  {msg::CAN_SETTINGS_WRITE, 0, 1},
                  {msg::BOX_NAME_WRITE, 0, 1},
                  {msg::VIRTUAL_INPUT_WRITE, 0, kVirtualInputCount},
                  {msg::FLASH_WRITE, 0, kFlashCount},
                  {msg::CAN_EXPORT1_WRITE, 0, 1},
                  {msg::CAN_EXPORT_WRITE, 0, 3}};
    for (const auto& w : writes)
        for (int i = w.first; i < w.first + w.count; ++i) f(w.code, i);
}

} // namespace vm
