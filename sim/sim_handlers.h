#pragma once
// The simulated unit's answers: one handler per request message, found by
// (group, command). New messages are added by writing a handler and adding it
// in one of the Add...Handlers functions.
#include "link/link_packet.h"
#include "sim/sim_state.h"

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace vm::sim {

// Message codes the simulated unit knows.
namespace msg {
constexpr std::uint8_t kGroupService = 0;
constexpr std::uint8_t kGroupApp = 1;

// group 0
constexpr std::uint8_t RESEND_REQ = 1;
constexpr std::uint8_t PING_REQ = 48;
constexpr std::uint8_t PING_CFM = 128;

// group 1
constexpr std::uint8_t STATUS_REQ = 6;
constexpr std::uint8_t STATUS = 135;

constexpr int kStatusLength = 24;
constexpr int kVersionTextPos = 4;
constexpr int kVersionTextMax = 20;
constexpr int kUptimePos = 17; // 24-bit seconds, high byte first
} // namespace msg

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

void AddServiceHandlers(SimHandlerTable& table); // group 0
void AddStatusHandlers(SimHandlerTable& table);  // group 1: status and version
void AddAllHandlers(SimHandlerTable& table);

// Packet builders shared by handlers and tests.
LinkPacket MakeStatusPacket(const std::string& version, std::uint32_t seconds);
LinkPacket MakeResendRequest();

} // namespace vm::sim
