// What the wire-time benchmarks share: a paced simulated unit on a
// pseudo-terminal behind the CLI's link, and a line per measured exchange with
// its ratio to the time its bytes need at 38400 baud (10 bits a byte).
#pragma once

#include "cli/cli_link.h"
#include "sim/sim_pty.h"

#include <cstdio>
#include <string>

namespace vm::bench {

struct Measure {
    double ms = 0;
    unsigned long long bytes = 0;
    bool complete = false;
};

inline void Print(const char* what, const Measure& m, const char* failed = "INCOMPLETE") {
    const double wire = static_cast<double>(m.bytes) * 10.0 / 38400.0 * 1000.0;
    std::printf("%-8s %s: %.1f ms, %llu bytes on the wire = %.1f ms, ratio: %.3f\n", what,
                m.complete ? "complete" : failed, m.ms, m.bytes, wire, m.ms / wire);
}

// Starts the unit and opens the link to it; says why on stderr when it cannot.
inline bool OpenSimLink(sim::SimPty& unit, cli::CliLink& link) {
    std::string error;
    if (!unit.start(&error)) {
        std::fprintf(stderr, "cannot start the simulated unit: %s\n", error.c_str());
        return false;
    }
    cli::Target target;
    target.port = unit.path();
    if (!link.open(target, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

} // namespace vm::bench
