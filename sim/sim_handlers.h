#pragma once
// The simulated unit's answers: one handler per request message, found by
// (group, command). New messages are added by writing a handler and adding it
// in one of the Add...Handlers functions.
#include "protocol/link_packet.h"
#include "protocol/message_catalogue.h"
#include "sim/sim_config.h"
#include "sim/sim_state.h"

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace vm::sim {

// Layouts of the answers: lengths and packet positions. Codes come from the
// message catalogue.
namespace layout {
constexpr int kStatusLength = 24;
constexpr int kVersionTextPos = 4;
constexpr int kVersionTextMax = 20;
constexpr int kUptimePos = 17; // 24-bit seconds, high byte first

constexpr int kLiveValuesLength = 10;   // 4, 5 error counts; 6, 7 total current; 8 battery; 9 °C
constexpr int kInputStateLength = 10;   // 4, 5 inputs; 6..9 CAN inputs
constexpr int kChannelStateLength = 10; // 4 channel; 5 switch; 6 fault; 7, 8 current; 9 highlight
constexpr int kTestModeDoneLength = 5;
constexpr int kUnitStatsLength = 8; // 4, 5 max current (low first); 6 max °C; 7 watchdog

// Acknowledgement of a configuration write: blocks chosen by position 4
// (inputs, outputs, CAN rules, virtual inputs, flash, exports 2..4) are
// acknowledged with that index at position 4 (length 5), the others with the
// bare code (length 4). Factory reset and reboot answers are 4 bytes long.
constexpr int kConfigAckIndexedLength = 5;
constexpr int kConfigAckLength = 4;

constexpr std::uint8_t kAllChannels = 255; // also "all inputs" for the input read
constexpr std::uint8_t kSwitchOn = 0xF0;
constexpr std::uint8_t kSwitchOff = 0x0F;
} // namespace layout

using SimReplies = std::vector<LinkPacket>;
// A handler gets a request whose checksum is good and appends its answers.
using SimHandler = std::function<void(SimState&, const LinkPacket& request, SimReplies& out)>;

class SimHandlerTable {
public:
    void add(std::uint8_t group, std::uint8_t command, SimHandler handler);
    const SimHandler* find(std::uint8_t group, std::uint8_t command) const;
    std::size_t size() const { return handlers_.size(); }

private:
    std::map<std::pair<std::uint8_t, std::uint8_t>, SimHandler> handlers_;
};

void AddServiceHandlers(SimHandlerTable& table);     // group 0
void AddStatusHandlers(SimHandlerTable& table);      // group 1: status and version
void AddLiveHandlers(SimHandlerTable& table);        // group 1: live status, test mode, statistics
void AddConfigHandlers(SimHandlerTable& table);      // group 1: configuration, factory reset, reboot
void AddFirmwareHandlers(SimHandlerTable& table);    // group 1: program memory read
void AddDiagnosticHandlers(SimHandlerTable& table);  // group 1: fault counters, CAN monitor
void AddServiceToolHandlers(SimHandlerTable& table); // ping, error log, EEPROM, setup, calibration
void AddAllHandlers(SimHandlerTable& table);

// A CAN_MONITOR_FRAME packet for a frame the unit saw.
LinkPacket MakeCanMonitorFramePacket(const SimCanFrame& frame);

// Packet builders shared by handlers and tests.
LinkPacket MakeStatusPacket(const std::string& version, std::uint32_t seconds);
LinkPacket MakeResendRequest();
LinkPacket MakeLiveValuesPacket(const LiveReading& live);
LinkPacket MakeInputStatePacket(std::uint16_t inputs, std::uint32_t canInputs);
LinkPacket MakeChannelStatePacket(int channel, const ChannelReading& reading);
LinkPacket MakeConfigAnswer(const ConfigBlockKind& kind, const ConfigBytes& payload);
LinkPacket MakeUnitStatsPacket(std::uint16_t maxCurrentTenths, std::uint8_t maxTemperature,
                               std::uint8_t watchdogCount);

} // namespace vm::sim
