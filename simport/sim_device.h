#pragma once
// The simulated unit as a device attached in this process. Every open of it
// gets a fresh SimLinkPort on the one unit, so the unit's state outlives a
// close and a reopen, as a unit's does when the cable is pulled.
#include "sim/sim_options.h"
#include "sim/sim_state.h"
#include "sim/sim_unit.h"

#include <QString>
#include <functional>
#include <memory>
#include <mutex>

namespace vm {
class SerialPortDirectory;
}

namespace vm::sim {

inline constexpr const char* kSimDescription = "Voltmast Simulator";

// Thread-safe: the port feeds it on the link's worker thread while the tool or
// a test changes its state from another.
class SimDevice {
public:
    explicit SimDevice(SimOptions options = {}) : options_(options), unit_(std::move(options)) {}

    std::vector<SimFrame> feed(const std::uint8_t* data, std::size_t count);
    void resetLink();
    // The unit's unasked output (SimUnit::tick) and when it is next due.
    std::vector<SimFrame> tick();
    std::optional<std::chrono::steady_clock::time_point> nextTick();
    void setSilent(bool silent);
    void changeState(const std::function<void(SimState&)>& change);
    const SimOptions& options() const { return options_; }

private:
    const SimOptions options_;
    std::mutex mutex_;
    SimUnit unit_;
};

// Lists a simulated unit in the directory under description; returns it so its
// state can be changed while the tool talks to it.
std::shared_ptr<SimDevice> AddSimDevice(SerialPortDirectory& directory, SimOptions options = {},
                                        const QString& description = QString::fromLatin1(kSimDescription));

} // namespace vm::sim
