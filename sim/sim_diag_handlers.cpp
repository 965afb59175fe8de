// Fault counters (DIAG_READ, DIAG_NEXT, DIAG_CLEAR) and the CAN monitor switch.
#include "sim/sim_handlers.h"

namespace vm::sim {

namespace {

LinkPacket Make(std::uint8_t command, const std::vector<std::uint8_t>& payload) {
    return LinkPacket::make(kGroupApp, command, payload.data(), static_cast<int>(payload.size()));
}

void DiagRead(SimState& state, const LinkPacket&, SimReplies& out) {
    out.push_back(Make(msg::DIAG_HIGH_POWER, state.diagnostics.highPowerPayload()));
}

void DiagNext(SimState& state, const LinkPacket&, SimReplies& out) {
    out.push_back(Make(msg::DIAG_LOW_POWER, state.diagnostics.lowPowerPayload()));
}

void DiagClear(SimState& state, const LinkPacket&, SimReplies& out) {
    state.diagnostics.clear();
    out.push_back(Make(msg::DIAG_CLEARED, {}));
}

// [chk][4][1][92][flag]: the flag rides past the length byte.
void CanMonitorSet(SimState& state, const LinkPacket& request, SimReplies&) {
    if (request.size < kMinPacketLength + 1) return; // no flag, nothing to do
    state.canMonitor.setOn(request.bytes[4] == 1, state.clock());
}

} // namespace

void AddDiagnosticHandlers(SimHandlerTable& table) {
    table.add(kGroupApp, msg::DIAG_READ, DiagRead);
    table.add(kGroupApp, msg::DIAG_NEXT, DiagNext);
    table.add(kGroupApp, msg::DIAG_CLEAR, DiagClear);
    table.add(kGroupApp, msg::CAN_MONITOR_SET, CanMonitorSet);
}

LinkPacket MakeCanMonitorFramePacket(const SimCanFrame& frame) {
    std::vector<std::uint8_t> payload = {static_cast<std::uint8_t>(frame.id),
                                         static_cast<std::uint8_t>(frame.id >> 8),
                                         static_cast<std::uint8_t>(frame.data.size())};
    payload.insert(payload.end(), frame.data.begin(), frame.data.end());
    return Make(msg::CAN_MONITOR_FRAME, payload);
}

} // namespace vm::sim
