#include "session/answer_layouts.h"

#include "config/block_layouts.h"
#include "protocol/link_packet.h"
#include "protocol/message_catalogue.h"

namespace vm {

namespace {

// Configuration blocks come back in the layout they are written in.
struct BlockAnswer {
    std::uint8_t answer;
    std::uint8_t write;
};
constexpr BlockAnswer kBlockAnswers[] = {
    {msg::OUTPUT_CFG, msg::OUTPUT_CFG_WRITE},       {msg::INPUT_CFG, msg::INPUT_CFG_WRITE},
    {msg::PWM_CFG, msg::PWM_CFG_WRITE},             {msg::LOW_BATT_CFG, msg::LOW_BATT_CFG_WRITE},
    {msg::START_BUTTON_CFG, msg::START_BUTTON_CFG_WRITE}, {msg::CAN_RULE, msg::CAN_RULE_WRITE},
    {msg::VIRTUAL_INPUT, msg::VIRTUAL_INPUT_WRITE}, {msg::CAN_EXPORT1, msg::CAN_EXPORT1_WRITE},
    {msg::FLASH, msg::FLASH_WRITE},                 {msg::CAN_EXPORT, msg::CAN_EXPORT_WRITE},
    {msg::BOX_NAME, msg::BOX_NAME_WRITE},           {msg::CAN_SETTINGS, msg::CAN_SETTINGS_WRITE},
};

struct Fixed {
    std::uint8_t code;
    int length;
};
constexpr Fixed kFixed[] = {
    {msg::STATUS, 24},          // version text 4..23
    {msg::LIVE_VALUES, 10},     // errors, current, battery, temperature 4..9
    {msg::INPUT_STATE, 10},     // inputs 4..5, CAN inputs 6..9
    {msg::CHANNEL_STATE, 10},   // channel, state, fault, current, highlight 4..9
    {msg::UNIT_STATS, 8},       // current 4..5, temperature 6, watchdog 7
    // The diagnostics tables take the rows a short answer carries: at least one.
    {msg::DIAG_HIGH_POWER, 41}, // counts 4.., trip levels 22.., low currents 40..
    {msg::DIAG_LOW_POWER, 5},   // counts 4..19
    {msg::CAN_MONITOR_FRAME, 7}, // identifier 4..5, count 6; the line shows only data that arrived
    // Acknowledgements that name the record they answer.
    {msg::CAN_RULE_WRITE_DONE, 5},
    {msg::VIRTUAL_INPUT_WRITE_DONE, 5},
    {msg::FLASH_WRITE_DONE, 5},
    {msg::CAN_EXPORT_WRITE_DONE, 5},
};

} // namespace

int MinAnswerLength(std::uint8_t code) {
    for (const BlockAnswer& b : kBlockAnswers)
        if (b.answer == code) return ConfigWriteLength(b.write);
    for (const Fixed& f : kFixed)
        if (f.code == code) return f.length;
    return kMinPacketLength;
}

} // namespace vm
