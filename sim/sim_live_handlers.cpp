// Live status answers (values, inputs, channels), test mode and unit statistics.
#include "sim/sim_handlers.h"

#include <array>

namespace vm::sim {

namespace {

template <std::size_t N> LinkPacket Make(std::uint8_t command, const std::array<std::uint8_t, N>& payload) {
    return LinkPacket::make(kGroupApp, command, payload.data(), static_cast<int>(N));
}

std::uint8_t High(unsigned v) { return static_cast<std::uint8_t>(v >> 8); }
std::uint8_t Low(unsigned v) { return static_cast<std::uint8_t>(v); }

} // namespace

LinkPacket MakeLiveValuesPacket(const LiveReading& live) {
    const std::array<std::uint8_t, layout::kLiveValuesLength - kMinPacketLength> payload = {
        live.highPowerErrors,         live.lowPowerErrors, High(live.totalCurrentTenths),
        Low(live.totalCurrentTenths), live.batteryTenths,  live.temperature};
    return Make(msg::LIVE_VALUES, payload);
}

LinkPacket MakeInputStatePacket(std::uint16_t inputs, std::uint32_t canInputs) {
    const std::array<std::uint8_t, layout::kInputStateLength - kMinPacketLength> payload = {
        Low(inputs),          static_cast<std::uint8_t>((inputs >> 8) & 0x07),
        Low(canInputs),       Low(canInputs >> 8),
        Low(canInputs >> 16), Low(canInputs >> 24)};
    return Make(msg::INPUT_STATE, payload);
}

LinkPacket MakeChannelStatePacket(int channel, const ChannelReading& r) {
    const std::array<std::uint8_t, layout::kChannelStateLength - kMinPacketLength> payload = {
        static_cast<std::uint8_t>(channel),
        r.on ? layout::kSwitchOn : layout::kSwitchOff,
        r.fault,
        High(r.currentTenths),
        Low(r.currentTenths),
        static_cast<std::uint8_t>(r.highlight ? 1 : 0)};
    return Make(msg::CHANNEL_STATE, payload);
}

LinkPacket MakeUnitStatsPacket(std::uint16_t maxCurrentTenths, std::uint8_t maxTemperature,
                               std::uint8_t watchdogCount) {
    const std::array<std::uint8_t, layout::kUnitStatsLength - kMinPacketLength> payload = {
        Low(maxCurrentTenths), High(maxCurrentTenths), maxTemperature, watchdogCount};
    return Make(msg::UNIT_STATS, payload);
}

namespace {

void LiveValuesReq(SimState& state, const LinkPacket&, SimReplies& out) {
    const LiveReading live = state.live();
    state.noteLive(live);
    out.push_back(MakeLiveValuesPacket(live));
}

void InputStateReq(SimState& state, const LinkPacket&, SimReplies& out) {
    out.push_back(MakeInputStatePacket(state.inputBits(), state.canInputBits()));
}

void ChannelStateReq(SimState& state, const LinkPacket& request, SimReplies& out) {
    const int which = request.payload(0);
    if (which == layout::kAllChannels) {
        for (int ch = 1; ch <= kChannelCount; ++ch)
            out.push_back(MakeChannelStatePacket(ch, state.channel(ch)));
    } else if (which >= 1 && which <= kChannelCount) {
        out.push_back(MakeChannelStatePacket(which, state.channel(which)));
    }
}

void TestModeSet(SimState& state, const LinkPacket& request, SimReplies& out) {
    const std::uint8_t mode = request.payload(0);
    if (!state.setTestMode(mode)) return; // unknown modes are not confirmed
    out.push_back(Make(msg::TEST_MODE_SET_DONE, std::array<std::uint8_t, 1>{mode}));
}

void ChannelSwitch(SimState& state, const LinkPacket& request, SimReplies&) {
    const std::uint8_t command = request.payload(1);
    if (command != layout::kSwitchOn && command != layout::kSwitchOff) return;
    state.switchChannel(request.payload(0), command == layout::kSwitchOn);
}

void StatsReq(SimState& state, const LinkPacket&, SimReplies& out) {
    // The unit watches its values all the time, not only when the tool polls them.
    state.noteLive(state.live());
    out.push_back(MakeUnitStatsPacket(state.maxCurrentTenths(), state.maxTemperature(), state.watchdogCount));
}

} // namespace

void AddLiveHandlers(SimHandlerTable& table) {
    table.add(kGroupApp, msg::LIVE_VALUES_REQ, LiveValuesReq);
    table.add(kGroupApp, msg::INPUT_STATE_REQ, InputStateReq);
    table.add(kGroupApp, msg::CHANNEL_STATE_REQ, ChannelStateReq);
    table.add(kGroupApp, msg::TEST_MODE_SET, TestModeSet);
    table.add(kGroupApp, msg::CHANNEL_SWITCH, ChannelSwitch);
    table.add(kGroupApp, msg::STATS_REQ, StatsReq);
}

} // namespace vm::sim
