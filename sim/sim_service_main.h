#pragma once
// voltmast-sim's options and standard-input commands for the service tools'
// state: ping faults, the error log, calibration readings, production data.
#include "sim/sim_pty.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace vm::sim {

struct ServiceToolOptions {
    int pingDropEvery = 0;
    int pingCorruptEvery = 0;
    bool noErrors = false;
};

inline constexpr const char* kServiceCommandHelp =
    "  ping drop|corrupt N drop or change the data of every Nth ping echo (0: never)\n"
    "  errors clear        empty the runtime error log\n"
    "  errors add FILE LINE COUNT [HEX ...]   add an entry to the runtime error log\n"
    "  ad CH VALUE         channel 1..18 reads the raw A/D value VALUE (0..1023)\n"
    "  serial N            production serial number N\n";

inline void AddServiceToolOptions(CLI::App& app, ServiceToolOptions& o) {
    app.add_option("--ping-drop-every", o.pingDropEvery, "Leave every Nth ping unanswered")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--ping-corrupt-every", o.pingCorruptEvery,
                   "Echo every Nth ping with one data byte changed")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--no-errors", o.noErrors, "Start with an empty runtime error log");
}

inline void ApplyServiceToolOptions(SimPty& sim, const ServiceToolOptions& o) {
    sim.changeState([o](SimState& s) {
        s.service.pingDropEvery = o.pingDropEvery;
        s.service.pingCorruptEvery = o.pingCorruptEvery;
        if (o.noErrors) s.service.errorLog.clear();
    });
}

namespace detail {
inline bool Number(const std::string& text, long long lo, long long hi, long long& value, int base = 10) {
    std::size_t used = 0;
    try {
        value = std::stoll(text, &used, base);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size() && value >= lo && value <= hi;
}
} // namespace detail

// One line of standard input; false when it is none of these commands.
inline bool RunServiceToolCommand(const std::string& line, SimPty& sim) {
    std::istringstream in(line);
    std::string word, a, b;
    in >> word >> a;
    long long n = 0, v = 0;
    if (word == "ping") {
        in >> b;
        if ((a != "drop" && a != "corrupt") || !detail::Number(b, 0, 1000000, n)) {
            std::cerr << "ping wants drop or corrupt and a number N (0: never)\n";
            return true;
        }
        const bool drop = a == "drop";
        sim.changeState(
            [=](SimState& s) { (drop ? s.service.pingDropEvery : s.service.pingCorruptEvery) = int(n); });
        std::cerr << "ping " << a << " every " << n << "\n";
    } else if (word == "errors" && a == "clear") {
        sim.changeState([](SimState& s) { s.service.errorLog.clear(); });
        std::cerr << "error log cleared\n";
    } else if (word == "errors" && a == "add") {
        ErrorLogEntry e;
        std::string lineText, countText, byte;
        in >> e.file >> lineText >> countText;
        long long lineNo = 0, count = 0;
        bool ok = !e.file.empty() && e.file.size() <= 12 && detail::Number(lineText, 0, 65535, lineNo) &&
                  detail::Number(countText, 0, 255, count);
        while (ok && in >> byte) {
            long long x = 0;
            ok = detail::Number(byte, 0, 255, x, 16) && e.data.size() < 16;
            e.data.push_back(static_cast<std::uint8_t>(x));
        }
        if (!ok) {
            std::cerr << "errors add wants a file name of up to 12 characters, a line 0..65535, a count "
                         "0..255 and up "
                         "to 16 hex bytes\n";
            return true;
        }
        e.line = static_cast<std::uint16_t>(lineNo);
        e.count = static_cast<std::uint8_t>(count);
        sim.changeState([e](SimState& s) {
            if (s.service.errorLog.size() < 255) s.service.errorLog.push_back(e);
        });
        std::cerr << "error log entry added\n";
    } else if (word == "ad") {
        in >> b;
        if (!detail::Number(a, 1, kCalibratedChannels, n) || !detail::Number(b, 0, 1023, v)) {
            std::cerr << "ad wants a channel 1..18 and a value 0..1023\n";
            return true;
        }
        sim.changeState([=](SimState& s) { s.service.calibration[std::size_t(n)].ad = std::uint16_t(v); });
        std::cerr << "channel " << n << " reads " << v << "\n";
    } else if (word == "serial") {
        if (!detail::Number(a, 0, 0xFFFFFFFFll, n)) {
            std::cerr << "serial wants a number 0..4294967295\n";
            return true;
        }
        sim.changeState([=](SimState& s) { s.service.production.serial = std::uint32_t(n); });
        std::cerr << "serial " << n << "\n";
    } else {
        return false;
    }
    return true;
}

} // namespace vm::sim
