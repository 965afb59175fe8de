#include "sim/sim_unit.h"

namespace vm::sim {

SimUnit::SimUnit(SimOptions options, SimClock clock)
    : options_(std::move(options)), assembler_([this](const LinkPacket& p) { onPacket(p); }) {
    state_.version = options_.version;
    if (clock) state_.clock = std::move(clock);
    state_.poweredUp = state_.clock();
    state_.config.loadRandom(options_.configSeed);
    AddAllHandlers(handlers_);
}

std::vector<SimFrame> SimUnit::feed(const std::uint8_t* data, std::size_t count) {
    pending_.clear();
    for (std::size_t i = 0; i < count; ++i) {
        // The bootloader takes raw bytes; a reboot request may start it halfway through.
        SimBootloader& boot = state_.firmware.bootloader;
        if (!boot.active()) {
            assembler_.PutByte(data[i]);
            continue;
        }
        SimFrame raw;
        boot.take(data[i], state_.clock(), state_.firmware.program, raw);
        if (!raw.empty()) pending_.push_back(std::move(raw));
        if (!boot.active()) resetLink();
    }
    return std::move(pending_);
}

std::vector<SimFrame> SimUnit::tick() {
    SimBootloader& boot = state_.firmware.bootloader;
    if (!boot.active()) {
        // The CAN monitor's frames, unless the unit is silent.
        std::vector<SimFrame> out;
        for (const SimCanFrame& f : state_.canMonitor.due(state_.clock())) {
            if (silent_) continue;
            const LinkPacket p = MakeCanMonitorFramePacket(f);
            std::uint8_t frame[kFrameBufferBytes];
            const int n = SlipEncode(p.bytes.data(), p.size, frame, kFrameBufferBytes);
            if (n > 0) out.emplace_back(frame, frame + n);
        }
        return out;
    }
    SimFrame raw;
    boot.tick(state_.clock(), raw);
    if (!boot.active()) resetLink();
    std::vector<SimFrame> out;
    if (!raw.empty()) out.push_back(std::move(raw));
    return out;
}

std::optional<std::chrono::steady_clock::time_point> SimUnit::nextTick() const {
    if (state_.firmware.bootloader.active()) return state_.firmware.bootloader.nextDue();
    return state_.canMonitor.nextDue();
}

void SimUnit::resetLink() {
    assembler_ = FrameAssembler([this](const LinkPacket& p) { onPacket(p); });
}

namespace {

bool Escaped(std::uint8_t b) { return b == SLIP_END || b == SLIP_ESC; }

// Flips one bit of the last byte that is sent unescaped (never the length byte),
// so the checksum fails while the framing and the encoded length stay as they were.
void Corrupt(LinkPacket& packet) {
    for (int pos = packet.size - 1; pos >= 0; --pos) {
        if (pos == 1) continue;
        std::uint8_t& b = packet.bytes[static_cast<std::size_t>(pos)];
        if (Escaped(b)) continue;
        b ^= Escaped(static_cast<std::uint8_t>(b ^ 0x01)) ? 0x02 : 0x01;
        return;
    }
}

} // namespace

void SimUnit::onPacket(const LinkPacket& packet) {
    if (silent_) return;
    if (!packet.checksumOk()) {
        sendReply(MakeResendRequest());
        return;
    }
    const SimHandler* handler = handlers_.find(packet.group(), packet.command());
    if (!handler) return; // unknown requests go unanswered, as on the unit
    // A request too short for its payload would be read with guessed bytes; drop it.
    // (Group 0 answers whatever length: the ping echoes it.)
    if (packet.group() == kGroupApp) {
        const MessageInfo* info = FindMessage(packet.group(), packet.command(), Direction::ToUnit);
        if (info && packet.length() < info->length) return;
    }
    SimReplies replies;
    (*handler)(state_, packet, replies);
    for (auto& reply : replies)
        sendReply(std::move(reply));
}

void SimUnit::sendReply(LinkPacket reply) {
    const long long n = ++repliesBuilt_;
    if (options_.dropEveryNth > 0 && n % options_.dropEveryNth == 0) return;
    if (options_.corruptEveryNth > 0 && n % options_.corruptEveryNth == 0) Corrupt(reply);
    SimFrame frame(kFrameBufferBytes);
    const int n2 = SlipEncode(reply.bytes.data(), reply.size, frame.data(), kFrameBufferBytes);
    if (n2 <= 0) return;
    frame.resize(static_cast<std::size_t>(n2));
    pending_.push_back(std::move(frame));
}

} // namespace vm::sim
