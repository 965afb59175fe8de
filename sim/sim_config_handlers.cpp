// Configuration answers: every block's read and write, factory reset, reboot.
// Reads answer with the stored block in the write message's layout; writes
// store the block and acknowledge (layout::kConfigAck... in sim_handlers.h). The unit has
// no transfer mode: status and live requests keep being answered in between.
#include "sim/sim_handlers.h"

#include <vector>

namespace vm::sim {

LinkPacket MakeConfigAnswer(const ConfigBlockKind& kind, const ConfigBytes& payload) {
    return LinkPacket::make(kGroupApp, kind.answer, payload.data(), static_cast<int>(payload.size()));
}

namespace {

// What the unit has under that index; an index it does not have is answered
// with that index and zero data, so the tool's out-of-range handling is reachable.
ConfigBytes StoredOrEmpty(const SimState& state, const ConfigBlockKind& kind, int index) {
    ConfigBytes bytes = state.configBlock(kind.write, index);
    if (bytes.empty()) {
        bytes.assign(static_cast<std::size_t>(kind.payloadSize()), 0);
        bytes[0] = static_cast<std::uint8_t>(index);
    }
    return bytes;
}

void ReadBlock(const ConfigBlockKind& kind, SimState& state, const LinkPacket& request, SimReplies& out) {
    if (!kind.indexed) {
        out.push_back(MakeConfigAnswer(kind, state.configBlock(kind.write, 0)));
        return;
    }
    const int index = request.payload(0);
    const bool readsAll = index == layout::kAllChannels &&
                          (kind.write == msg::INPUT_CFG_WRITE || kind.write == msg::OUTPUT_CFG_WRITE);
    if (readsAll) {
        for (int i = kind.firstIndex; i < kind.firstIndex + kind.count; ++i)
            out.push_back(MakeConfigAnswer(kind, state.configBlock(kind.write, i)));
        return;
    }
    out.push_back(MakeConfigAnswer(kind, StoredOrEmpty(state, kind, index)));
}

void WriteBlock(const ConfigBlockKind& kind, SimState& state, const LinkPacket& request, SimReplies& out) {
    const std::span<const std::uint8_t> payload(&request.bytes[kMinPacketLength],
                                                static_cast<std::size_t>(kind.payloadSize()));
    if (!kind.indexed) {
        state.setConfigBlock(kind.write, 0, payload);
        out.push_back(LinkPacket::make(kGroupApp, kind.ack));
        return;
    }
    // An index the unit does not have is acknowledged but not stored.
    const std::uint8_t index = request.payload(0);
    state.setConfigBlock(kind.write, index, payload);
    out.push_back(LinkPacket::make(kGroupApp, kind.ack, {index}));
}

void FactoryReset(SimState& state, const LinkPacket&, SimReplies& out) {
    state.config.resetToFactory();
    out.push_back(LinkPacket::make(kGroupApp, msg::FACTORY_RESET_DONE));
}

void Reboot(SimState& state, const LinkPacket&, SimReplies& out) {
    // Answered before the restart, as the unit does.
    out.push_back(LinkPacket::make(kGroupApp, msg::REBOOT_DONE));
    state.reboot();
    state.firmware.bootloader.enter(state.clock()); // which runs first after every restart
}

} // namespace

void AddConfigHandlers(SimHandlerTable& table) {
    for (const ConfigBlockKind& kind : ConfigBlockKinds()) {
        const ConfigBlockKind* k = &kind; // the table is static
        table.add(kGroupApp, kind.read,
                  [k](SimState& s, const LinkPacket& r, SimReplies& out) { ReadBlock(*k, s, r, out); });
        table.add(kGroupApp, kind.write,
                  [k](SimState& s, const LinkPacket& r, SimReplies& out) { WriteBlock(*k, s, r, out); });
    }
    table.add(kGroupApp, msg::FACTORY_RESET_REQ, FactoryReset);
    table.add(kGroupApp, msg::REBOOT_REQ, Reboot);
}

} // namespace vm::sim
