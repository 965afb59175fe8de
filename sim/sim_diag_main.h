#pragma once
// voltmast-sim's options and standard-input commands for the fault counters
// and the CAN monitor stream.
#include "sim/sim_pty.h"
#include "sim/sim_service_main.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace vm::sim {

struct DiagOptions {
    std::vector<std::string> counters; // CH:SHORTS[:TRIPS:LEVEL:LOW]
    double monitorIntervalMs = 100;
};

inline constexpr const char* kDiagCommandHelp =
    "  diag CH short N     channel 1..34 counted N short circuits (15 means 15 or more)\n"
    "  diag CH trip N LEVEL   channel 1..18 tripped N times, last at LEVEL x 0.4 A\n"
    "  diag CH low N       channel 1..18 saw too low a current N times\n"
    "  diag clear          clear every counter, as DIAG_CLEAR does\n"
    "  monitor interval MS one CAN monitor frame every MS ms while it is on (0: as fast as the wire)\n"
    "  monitor frame ID [HEX ...]   stream only this frame (hex identifier, up to 8 data bytes)\n";

namespace detail {
// "CH:SHORTS[:TRIPS:LEVEL:LOW]" into the counters; false when malformed.
inline bool ApplyCounterSpec(const std::string& spec, SimDiagnostics& d) {
    std::vector<long long> v;
    std::istringstream in(spec);
    for (std::string part; std::getline(in, part, ':');) {
        long long n = 0;
        if (!Number(part, 0, 255, n)) return false;
        v.push_back(n);
    }
    if (v.size() != 2 && v.size() != 5) return false;
    const int ch = int(v[0]);
    if (!d.setShorts(ch, int(v[1]))) return false;
    return v.size() == 2 || (d.setTrips(ch, int(v[2]), int(v[3])) && d.setLowCurrents(ch, int(v[4])));
}
} // namespace detail

inline void AddDiagOptions(CLI::App& app, DiagOptions& o) {
    app.add_option(
           "--diag", o.counters,
           "Fault counters of a channel: CH:SHORTS, or CH:SHORTS:TRIPS:LEVEL:LOW for 1..18 (repeatable)")
        ->type_name("CH:COUNTS");
    app.add_option("--monitor-interval", o.monitorIntervalMs,
                   "Milliseconds between CAN monitor frames while the monitor is on (0: as fast as the wire)")
        ->type_name("MS")
        ->check(CLI::Range(0.0, 60000.0));
}

// False (with the reason on stderr) when a --diag value is malformed.
inline bool ApplyDiagOptions(SimPty& sim, const DiagOptions& o) {
    SimDiagnostics counters;
    for (const std::string& spec : o.counters) {
        if (!detail::ApplyCounterSpec(spec, counters)) {
            std::cerr << "--diag " << spec
                      << ": want CH:SHORTS (CH 1..34) or CH:SHORTS:TRIPS:LEVEL:LOW (CH 1..18)\n";
            return false;
        }
    }
    sim.changeState([counters, o](SimState& s) {
        s.diagnostics = counters;
        s.canMonitor.setIntervalMs(o.monitorIntervalMs);
    });
    return true;
}

// One line of standard input; false when it is none of these commands.
inline bool RunDiagCommand(const std::string& line, SimPty& sim) {
    std::istringstream in(line);
    std::string word, a, b, c, d;
    in >> word >> a >> b >> c >> d;
    long long ch = 0, n = 0, level = 0;
    if (word == "diag" && a == "clear") {
        sim.changeState([](SimState& s) { s.diagnostics.clear(); });
        std::cerr << "counters cleared\n";
    } else if (word == "diag") {
        const bool ok = detail::Number(a, 1, 34, ch) && detail::Number(c, 0, 255, n) &&
                        (b == "short" || b == "low" || (b == "trip" && detail::Number(d, 0, 255, level)));
        bool applied = false;
        if (ok) {
            // Checked here so the reply can say whether it took.
            SimDiagnostics probe;
            applied = b == "short"  ? probe.setShorts(int(ch), int(n))
                      : b == "trip" ? probe.setTrips(int(ch), int(n), int(level))
                                    : probe.setLowCurrents(int(ch), int(n));
        }
        if (!applied) {
            std::cerr
                << "diag wants CH short N (CH 1..34), CH trip N LEVEL or CH low N (CH 1..18), or clear\n";
            return true;
        }
        sim.changeState([=](SimState& s) {
            if (b == "short")
                s.diagnostics.setShorts(int(ch), int(n));
            else if (b == "trip")
                s.diagnostics.setTrips(int(ch), int(n), int(level));
            else
                s.diagnostics.setLowCurrents(int(ch), int(n));
        });
        std::cerr << "channel " << ch << " " << b << " " << n << "\n";
    } else if (word == "monitor" && a == "interval") {
        double ms = -1;
        try {
            ms = std::stod(b);
        } catch (const std::exception&) {
        }
        if (ms < 0 || ms > 60000) {
            std::cerr << "monitor interval wants milliseconds 0..60000\n";
            return true;
        }
        sim.changeState([ms](SimState& s) { s.canMonitor.setIntervalMs(ms); });
        std::cerr << "monitor interval " << ms << " ms\n";
    } else if (word == "monitor" && a == "frame") {
        std::istringstream rest(line);
        std::string skip, id;
        rest >> skip >> skip >> id;
        long long idValue = 0;
        SimCanFrame f;
        bool ok = detail::Number(id, 0, 0x7FF, idValue, 16);
        for (std::string byte; ok && rest >> byte;) {
            long long x = 0;
            ok = detail::Number(byte, 0, 255, x, 16) && f.data.size() < 8;
            f.data.push_back(static_cast<std::uint8_t>(x));
        }
        if (!ok) {
            std::cerr << "monitor frame wants a hex identifier 0..7FF and up to 8 hex bytes\n";
            return true;
        }
        f.id = static_cast<std::uint16_t>(idValue);
        sim.changeState([f](SimState& s) { s.canMonitor.setFrames({f}); });
        std::cerr << "monitor frame " << id << "\n";
    } else {
        return false;
    }
    return true;
}

} // namespace vm::sim
