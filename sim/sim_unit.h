#pragma once
// The simulated unit: bytes in, SLIP-framed answers out. It knows nothing of
// terminals or timing; SimPty (or a test) moves the bytes and paces them.
#include "protocol/frame_codec.h"
#include "sim/sim_handlers.h"
#include "sim/sim_options.h"
#include "sim/sim_state.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vm::sim {

using SimFrame = std::vector<std::uint8_t>; // one encoded frame, END ... END

class SimUnit {
public:
    // clock: time source for the power-up counter; empty means the steady clock.
    explicit SimUnit(SimOptions options = {}, SimClock clock = {});

    // Takes received bytes and returns the reply frames they caused, in order.
    std::vector<SimFrame> feed(const std::uint8_t* data, std::size_t count);
    std::vector<SimFrame> feed(const std::vector<std::uint8_t>& bytes) {
        return feed(bytes.data(), bytes.size());
    }

    // What the unit sends of its own accord by the clock's present moment (the
    // bootloader's prompt), and when it next will; none while it has nothing to.
    std::vector<SimFrame> tick();
    std::optional<std::chrono::steady_clock::time_point> nextTick() const;

    // While silent, requests are taken in and nothing is answered.
    void setSilent(bool silent) { silent_ = silent; }
    bool silent() const { return silent_; }

    // Forgets a partly received frame (the line was cut).
    void resetLink();

    SimState& state() { return state_; }
    const SimState& state() const { return state_; }
    const SimOptions& options() const { return options_; }
    SimHandlerTable& handlers() { return handlers_; }

    // Reply frames built so far, including the ones dropped by fault injection.
    long long repliesBuilt() const { return repliesBuilt_; }

private:
    void onPacket(const LinkPacket& packet);
    void sendReply(LinkPacket reply);

    SimOptions options_;
    SimState state_;
    SimHandlerTable handlers_;
    FrameAssembler assembler_;
    std::vector<SimFrame> pending_; // frames of the current feed() call
    long long repliesBuilt_ = 0;
    bool silent_ = false;
};

} // namespace vm::sim
