// SimPty where there are no pseudo-terminals: start() says so. The unit itself
// still works, and the tool reaches it in-process instead.
#include "sim/sim_pty.h"

#include "sim/sim_unit.h"

#include <atomic>
#include <filesystem>

namespace vm::sim {

struct SimPty::Impl {
    SimOptions options;
    std::string path;
    SimUnit unit;
    Impl(SimOptions o, std::string p) : options(std::move(o)), path(std::move(p)), unit(options) {}
};

namespace {

std::string UniqueLinkPath() {
    static std::atomic<int> counter{0};
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    return (dir / ("voltmast-sim-" + std::to_string(counter++))).string();
}

} // namespace

SimPty::SimPty(SimOptions options, std::string linkPath)
    : d(std::make_unique<Impl>(std::move(options), linkPath.empty() ? UniqueLinkPath() : std::move(linkPath))) {}
SimPty::~SimPty() = default;

bool SimPty::start(std::string* error) {
    if (error) *error = "Pseudo-terminals are not available on this system";
    return false;
}
void SimPty::stop() {}
const std::string& SimPty::path() const { return d->path; }
void SimPty::disconnectFor(int) {}
void SimPty::setSilent(bool silent) { d->unit.setSilent(silent); }
void SimPty::changeState(std::function<void(SimState&)> change) { change(d->unit.state()); }
bool SimPty::inspectState(std::function<void(const SimState&)> look) {
    look(d->unit.state());
    return true;
}
SimUnit& SimPty::unit() { return d->unit; }
long long SimPty::framesSent() const { return 0; }
bool SimPty::running() const { return false; }

} // namespace vm::sim
