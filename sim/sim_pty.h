#pragma once
// The simulated unit on a pseudo-terminal, served by a thread of its own.
// path() is a stable symbolic link to the terminal's device node; a simulated
// disconnect hangs the terminal up and, after the given time, points the link
// at a fresh terminal, as a replugged adapter comes back under its old name.
#include "sim/sim_options.h"
#include "sim/sim_state.h"

#include <functional>
#include <memory>
#include <string>

namespace vm::sim {

class SimUnit;

class SimPty {
public:
    // linkPath: where the symbolic link goes; empty picks a unique path in the
    // temporary folder.
    explicit SimPty(SimOptions options = {}, std::string linkPath = {});
    ~SimPty(); // stops the thread, closes the terminal, removes the link

    bool start(std::string* error = nullptr);
    void stop();
    const std::string& path() const;

    // Hang up now and come back after ms milliseconds (the thread does it).
    void disconnectFor(int ms);
    // Stop answering (and come back) without hanging up.
    void setSilent(bool silent);
    // Runs change on the unit's state from the serving thread (at once when not
    // started), so faults and inputs can be set while the tool talks to it.
    void changeState(std::function<void(SimState&)> change);
    // Runs look on the state from the serving thread and waits until it has run,
    // so tests can read the configuration image while the tool talks to the unit.
    // False when the unit stopped before it got to it.
    bool inspectState(std::function<void(const SimState&)> look);

    SimUnit& unit(); // not thread-safe: use before start() or for read-only checks
    // Reply frames sent so far (for tests and the benchmark).
    long long framesSent() const;
    bool running() const; // the thread is serving the terminal

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vm::sim
