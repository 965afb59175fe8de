#include "sim/sim_handlers.h"

#include <algorithm>

namespace vm::sim {

void SimHandlerTable::add(std::uint8_t group, std::uint8_t command, SimHandler handler) {
    handlers_[{group, command}] = std::move(handler);
}

const SimHandler* SimHandlerTable::find(std::uint8_t group, std::uint8_t command) const {
    const auto it = handlers_.find({group, command});
    return it == handlers_.end() ? nullptr : &it->second;
}

LinkPacket MakeStatusPacket(const std::string& version, std::uint32_t seconds) {
    std::uint8_t payload[layout::kStatusLength - kMinPacketLength] = {};
    const std::size_t textLen = std::min(version.size(), static_cast<std::size_t>(layout::kVersionTextMax));
    std::copy_n(version.begin(), textLen, payload);
    // The counter shares the text area; short texts end before it.
    const int at = layout::kUptimePos - kMinPacketLength;
    payload[at] = static_cast<std::uint8_t>(seconds >> 16);
    payload[at + 1] = static_cast<std::uint8_t>(seconds >> 8);
    payload[at + 2] = static_cast<std::uint8_t>(seconds);
    return LinkPacket::make(kGroupApp, msg::STATUS, payload, static_cast<int>(sizeof payload));
}

LinkPacket MakeResendRequest() { return LinkPacket::make(kGroupService, msg::RESEND_REQ); }

namespace {

void StatusReq(SimState& state, const LinkPacket&, SimReplies& out) {
    out.push_back(MakeStatusPacket(state.version, state.secondsSincePowerUp()));
}

} // namespace

void AddServiceHandlers(SimHandlerTable& table) { AddServiceToolHandlers(table); }

void AddStatusHandlers(SimHandlerTable& table) { table.add(kGroupApp, msg::STATUS_REQ, StatusReq); }

void AddAllHandlers(SimHandlerTable& table) {
    AddServiceHandlers(table);
    AddStatusHandlers(table);
    AddLiveHandlers(table);
    AddConfigHandlers(table);
    AddFirmwareHandlers(table);
    AddDiagnosticHandlers(table);
}

} // namespace vm::sim
