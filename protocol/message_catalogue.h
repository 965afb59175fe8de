#pragma once
// Every message of the link, once, as data: code, name, length and direction.
// Code constants carry the catalogue names so senders and handlers read alike.
#include <cstdint>
#include <span>

namespace vm {

enum class Direction : std::uint8_t { ToUnit, FromUnit };

struct MessageInfo {
    std::uint8_t group;
    std::uint8_t code;
    const char* name;
    int length; // value of the length byte; 0 when it varies
    Direction direction;
};

std::span<const MessageInfo> MessageCatalogue();
// The entry for a code in a direction, or null.
const MessageInfo* FindMessage(std::uint8_t group, std::uint8_t code, Direction direction);

constexpr std::uint8_t kGroupService = 0;
constexpr std::uint8_t kGroupApp = 1;

namespace msg {
// group 1, tool to unit
constexpr std::uint8_t OUTPUT_CFG_WRITE = 1;
constexpr std::uint8_t OUTPUT_CFG_READ = 2;
constexpr std::uint8_t INPUT_CFG_WRITE = 3;
constexpr std::uint8_t INPUT_CFG_READ = 4;
constexpr std::uint8_t FACTORY_RESET_REQ = 5;
constexpr std::uint8_t STATUS_REQ = 6;
constexpr std::uint8_t REBOOT_REQ = 7;
constexpr std::uint8_t PWM_CFG_WRITE = 8;
constexpr std::uint8_t PWM_CFG_READ = 9;
constexpr std::uint8_t LIVE_VALUES_REQ = 32;
constexpr std::uint8_t INPUT_STATE_REQ = 33;
constexpr std::uint8_t CHANNEL_STATE_REQ = 34;
constexpr std::uint8_t TEST_MODE_SET = 35;
constexpr std::uint8_t CHANNEL_SWITCH = 36;
constexpr std::uint8_t LOW_BATT_CFG_WRITE = 39;
constexpr std::uint8_t LOW_BATT_CFG_READ = 40;
constexpr std::uint8_t START_BUTTON_CFG_WRITE = 41;
constexpr std::uint8_t START_BUTTON_CFG_READ = 42;
constexpr std::uint8_t SYSTEM_SETUP_WRITE = 64;
constexpr std::uint8_t SYSTEM_SETUP_READ = 65;
constexpr std::uint8_t CALIBRATION_SET = 66;
constexpr std::uint8_t CALIBRATION_READ = 67;
constexpr std::uint8_t CALIBRATION_MODE = 68;
constexpr std::uint8_t CALIBRATION_AD_OFFSET = 69;
constexpr std::uint8_t DIAG_READ = 80;
constexpr std::uint8_t DIAG_CLEAR = 81;
constexpr std::uint8_t CAN_RULE_WRITE = 82;
constexpr std::uint8_t CAN_RULE_READ = 83;
constexpr std::uint8_t VIRTUAL_INPUT_WRITE = 84;
constexpr std::uint8_t VIRTUAL_INPUT_READ = 85;
constexpr std::uint8_t CAN_EXPORT1_WRITE = 86;
constexpr std::uint8_t CAN_EXPORT1_READ = 87;
constexpr std::uint8_t FLASH_WRITE = 88;
constexpr std::uint8_t FLASH_READ = 89;
constexpr std::uint8_t CAN_EXPORT_WRITE = 90;
constexpr std::uint8_t CAN_EXPORT_READ = 91;
constexpr std::uint8_t CAN_MONITOR_SET = 92;
constexpr std::uint8_t FIA_READ = 94;
constexpr std::uint8_t DIAG_NEXT = 95;
constexpr std::uint8_t STATS_REQ = 96;
constexpr std::uint8_t SYSTEM_LOG_RESET = 97;
constexpr std::uint8_t BOX_NAME_WRITE = 98;
constexpr std::uint8_t BOX_NAME_READ = 99;
constexpr std::uint8_t CAN_SETTINGS_WRITE = 100;
constexpr std::uint8_t CAN_SETTINGS_READ = 101;

// group 1, unit to tool
constexpr std::uint8_t CAN_MONITOR_FRAME = 93;
constexpr std::uint8_t OUTPUT_CFG_WRITE_DONE = 129;
constexpr std::uint8_t OUTPUT_CFG = 130;
constexpr std::uint8_t INPUT_CFG_WRITE_DONE = 131;
constexpr std::uint8_t INPUT_CFG = 132;
constexpr std::uint8_t FACTORY_RESET_DONE = 134;
constexpr std::uint8_t STATUS = 135;
constexpr std::uint8_t REBOOT_DONE = 136;
constexpr std::uint8_t PWM_CFG_WRITE_DONE = 137;
constexpr std::uint8_t PWM_CFG = 138;
constexpr std::uint8_t LIVE_VALUES = 160;
constexpr std::uint8_t INPUT_STATE = 161;
constexpr std::uint8_t CHANNEL_STATE = 162;
constexpr std::uint8_t TEST_MODE_SET_DONE = 163;
constexpr std::uint8_t LOW_BATT_CFG_WRITE_DONE = 167;
constexpr std::uint8_t LOW_BATT_CFG = 168;
constexpr std::uint8_t START_BUTTON_CFG_WRITE_DONE = 169;
constexpr std::uint8_t START_BUTTON_CFG = 170;
constexpr std::uint8_t SYSTEM_SETUP_WRITE_DONE = 192;
constexpr std::uint8_t SYSTEM_SETUP = 193;
constexpr std::uint8_t CALIBRATION_SET_DONE = 194;
constexpr std::uint8_t CALIBRATION_DATA = 195;
constexpr std::uint8_t CALIBRATION_AD_OFFSET_DONE = 197;
constexpr std::uint8_t DIAG_HIGH_POWER = 208;
constexpr std::uint8_t DIAG_CLEARED = 209;
constexpr std::uint8_t CAN_RULE_WRITE_DONE = 210;
constexpr std::uint8_t CAN_RULE = 211;
constexpr std::uint8_t VIRTUAL_INPUT_WRITE_DONE = 212;
constexpr std::uint8_t VIRTUAL_INPUT = 213;
constexpr std::uint8_t CAN_EXPORT1_WRITE_DONE = 214;
constexpr std::uint8_t CAN_EXPORT1 = 215;
constexpr std::uint8_t FLASH_WRITE_DONE = 216;
constexpr std::uint8_t FLASH = 217;
constexpr std::uint8_t CAN_EXPORT_WRITE_DONE = 218;
constexpr std::uint8_t CAN_EXPORT = 219;
constexpr std::uint8_t FIA_DATA = 221;
constexpr std::uint8_t DIAG_LOW_POWER = 222;
constexpr std::uint8_t UNIT_STATS = 223;
constexpr std::uint8_t SYSTEM_LOG_RESET_DONE = 224;
constexpr std::uint8_t BOX_NAME_WRITE_DONE = 225;
constexpr std::uint8_t BOX_NAME = 226;
constexpr std::uint8_t CAN_SETTINGS_WRITE_DONE = 227;
constexpr std::uint8_t CAN_SETTINGS = 228;

// group 0
constexpr std::uint8_t RESEND_REQ = 1;
constexpr std::uint8_t PING_REQ = 48;
constexpr std::uint8_t PING_CFM = 128;
constexpr std::uint8_t ERROR_LOG_COUNT_REQ = 80;
constexpr std::uint8_t ERROR_LOG_COUNT = 160;
constexpr std::uint8_t ERROR_LOG_ENTRY_REQ = 81;
constexpr std::uint8_t ERROR_LOG_ENTRY = 161;
constexpr std::uint8_t ERROR_LOG_RESET = 82;
constexpr std::uint8_t ERROR_LOG_RESET_DONE = 162;
constexpr std::uint8_t EEPROM_READ = 83;
constexpr std::uint8_t EEPROM_DATA = 163;
constexpr std::uint8_t EEPROM_WRITE = 84;
constexpr std::uint8_t EEPROM_WRITE_DONE = 164;
} // namespace msg

} // namespace vm
