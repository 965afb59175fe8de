// voltmast-sim: the simulated unit on a pseudo-terminal. Prints the link path
// as its first line and serves until SIGINT or SIGTERM. Commands on stdin are
// listed in kCommandHelp.
#include "sim/sim_diag_main.h"
#include "sim/sim_pty.h"
#include "sim/sim_service_main.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
    const int saved = errno;
    const char b = 1;
    (void)!::write(g_signalPipe[1], &b, 1);
    errno = saved;
}

using Clock = std::chrono::steady_clock;

struct DisconnectPlan {
    int afterMs = -1; // first unplug, from start
    int forMs = 1000; // how long the adapter stays away
    int everyMs = 0;  // repeat period; 0: once
};

constexpr const char* kCommandHelp =
    "Commands on standard input:\n"
    "  disconnect MS       unplug for MS milliseconds, then come back\n"
    "  silent on|off       stop or resume answering (the line stays up)\n"
    "  fault CH CODE       channel 1..34 reports CODE: 0 none, 1 -SHORT, 2 +SHORT, 4 OPEN, 8 OVERLOAD\n"
    "  input N on|off      input 1..11\n"
    "  can N on|off        CAN input 1..32\n"
    "  config-seed N       load the random configuration of seed N (0: factory configuration)\n"
    "  power-cycle         restart the unit: its bootloader prompts for a firmware update first\n"
    "  quit";

// Reads a whole decimal number; false for anything else.
bool ParseInt(const std::string& text, int& value) {
    std::size_t used = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size();
}

bool ParseOnOff(const std::string& text, bool& on) {
    if (text != "on" && text != "off") return false;
    on = text == "on";
    return true;
}

bool ParseFault(const std::string& channelText, const std::string& codeText, int& channel, int& code) {
    return ParseInt(channelText, channel) && channel >= 1 && channel <= vm::sim::kChannelCount &&
           ParseInt(codeText, code) && vm::sim::IsFaultCode(code);
}

constexpr const char* kFaultUsage =
    "a fault is a channel 1..34 and a code 0 (none), 1 (-SHORT), 2 (+SHORT), 4 (OPEN) or 8 (OVERLOAD)";

// Returns false for "quit".
bool RunCommand(const std::string& line, vm::sim::SimPty& sim) {
    std::istringstream in(line);
    std::string word, a, b;
    if (!(in >> word)) return true;
    in >> a >> b;
    if (word == "quit" || word == "exit") return false;
    if (word == "disconnect") {
        int ms = 1000;
        if (!a.empty() && (!ParseInt(a, ms) || ms < 0)) {
            std::cerr << "disconnect wants a time in milliseconds\n";
            return true;
        }
        sim.disconnectFor(ms);
        std::cerr << "disconnected for " << ms << " ms\n";
    } else if (word == "silent") {
        bool on = true;
        if (!a.empty() && !ParseOnOff(a, on)) {
            std::cerr << "silent wants on or off\n";
            return true;
        }
        sim.setSilent(on);
        std::cerr << "silent " << (on ? "on" : "off") << "\n";
    } else if (word == "fault") {
        int channel = 0, code = 0;
        if (!ParseFault(a, b, channel, code)) {
            std::cerr << kFaultUsage << "\n";
            return true;
        }
        sim.changeState([=](vm::sim::SimState& s) { s.setFault(channel, static_cast<std::uint8_t>(code)); });
        std::cerr << "channel " << channel << " fault " << code << "\n";
    } else if (word == "config-seed") {
        int seed = 0;
        if (!ParseInt(a, seed) || seed < 0) {
            std::cerr << "config-seed wants a number 0 or above\n";
            return true;
        }
        sim.changeState([=](vm::sim::SimState& s) { s.config.loadRandom(static_cast<std::uint32_t>(seed)); });
        std::cerr << "configuration of seed " << seed << " loaded\n";
    } else if (word == "power-cycle") {
        sim.changeState([](vm::sim::SimState& s) {
            s.reboot();
            s.firmware.bootloader.enter(s.clock());
        });
        std::cerr << "power cycled: the bootloader prompts\n";
    } else if (word == "input" || word == "can") {
        const bool can = word == "can";
        const int count = can ? vm::sim::kCanInputCount : vm::sim::kInputCount;
        int n = 0;
        bool on = false;
        if (!ParseInt(a, n) || n < 1 || n > count || !ParseOnOff(b, on)) {
            std::cerr << word << " wants a number 1.." << count << " and on or off\n";
            return true;
        }
        sim.changeState([=](vm::sim::SimState& s) { can ? s.setCanInput(n, on) : s.setInput(n, on); });
        std::cerr << (can ? "CAN input " : "input ") << n << (on ? " on" : " off") << "\n";
    } else if (vm::sim::RunServiceToolCommand(line, sim) || vm::sim::RunDiagCommand(line, sim)) {
    } else {
        std::cerr << kCommandHelp << "\n" << vm::sim::kServiceCommandHelp << vm::sim::kDiagCommandHelp;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Simulated Voltmast unit on a pseudo-terminal"};
    vm::sim::SimOptions options;
    std::string linkPath;
    bool noPacing = false;
    DisconnectPlan plan;
    bool silent = false;
    std::vector<std::string> faults;
    app.footer(kCommandHelp);
    app.add_option("--version-text", options.version, "Software version text in STATUS")
        ->capture_default_str();
    app.add_option("--link", linkPath, "Path of the symbolic link to the terminal")->type_name("PATH");
    app.add_flag("--no-pacing", noPacing, "Answer as fast as possible instead of at 38400 baud");
    app.add_flag("--per-byte", options.perByte, "Paced replies leave byte by byte instead of whole frames");
    app.add_option("--reply-delay", options.replyDelayMs, "Extra delay before each answer (ms)")
        ->type_name("MS")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--drop-every", options.dropEveryNth, "Drop every Nth answer")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--corrupt-every", options.corruptEveryNth, "Corrupt every Nth answer")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--disconnect-after", plan.afterMs, "Unplug once after MS milliseconds")
        ->type_name("MS")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--disconnect-for", plan.forMs, "How long an unplug lasts (ms)")
        ->type_name("MS")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    app.add_option("--disconnect-every", plan.everyMs, "Repeat the unplug every MS milliseconds")
        ->type_name("MS")
        ->check(CLI::PositiveNumber);
    app.add_option("--config-seed", options.configSeed,
                   "Start with the random valid configuration of seed N (0: factory configuration)")
        ->type_name("N")
        ->capture_default_str();
    app.add_flag("--silent", silent, "Start without answering (\"silent off\" on stdin resumes)");
    app.add_option("--fault", faults,
                   "Channel CH reports fault CODE: 1 -SHORT, 2 +SHORT, 4 OPEN, 8 OVERLOAD (repeatable)")
        ->type_name("CH:CODE");
    vm::sim::ServiceToolOptions serviceOptions;
    vm::sim::AddServiceToolOptions(app, serviceOptions);
    vm::sim::DiagOptions diagOptions;
    vm::sim::AddDiagOptions(app, diagOptions);
    app.footer(std::string(kCommandHelp) + "\n" + vm::sim::kServiceCommandHelp + vm::sim::kDiagCommandHelp);
    CLI11_PARSE(app, argc, argv);
    options.paced = !noPacing;
    if (plan.everyMs > 0 && plan.afterMs < 0) plan.afterMs = plan.everyMs;

    if (::pipe(g_signalPipe) != 0) {
        std::perror("pipe");
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);

    vm::sim::SimPty sim(options, linkPath);
    for (const std::string& f : faults) {
        const auto colon = f.find(':');
        int channel = 0, code = 0;
        if (colon == std::string::npos ||
            !ParseFault(f.substr(0, colon), f.substr(colon + 1), channel, code)) {
            std::cerr << "voltmast-sim: --fault " << f << ": " << kFaultUsage << "\n";
            return 2;
        }
        sim.changeState([=](vm::sim::SimState& s) { s.setFault(channel, static_cast<std::uint8_t>(code)); });
    }
    vm::sim::ApplyServiceToolOptions(sim, serviceOptions);
    if (!vm::sim::ApplyDiagOptions(sim, diagOptions)) return 2;
    sim.setSilent(silent);
    std::string error;
    if (!sim.start(&error)) {
        std::cerr << "voltmast-sim: " << error << "\n";
        return 1;
    }
    std::cout << sim.path() << std::endl;

    const auto started = Clock::now();
    auto nextUnplug =
        plan.afterMs >= 0 ? started + std::chrono::milliseconds(plan.afterMs) : Clock::time_point::max();
    int stdinFd = STDIN_FILENO;
    std::string pending;
    bool running = true;
    while (running) {
        int timeout = -1;
        if (nextUnplug != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(nextUnplug - Clock::now());
            timeout = static_cast<int>(std::max<long long>(0, left.count()));
        }
        pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {stdinFd, POLLIN, 0}};
        const int n = ::poll(fds, 2, timeout);
        if (n < 0 && errno != EINTR) break;
        if (fds[0].revents) break;
        if (fds[1].revents) {
            char buf[256];
            const ssize_t got = ::read(stdinFd, buf, sizeof buf);
            if (got <= 0) {
                stdinFd = -1; // closed stdin: keep serving, stop listening to it
            } else {
                pending.append(buf, static_cast<std::size_t>(got));
                for (std::size_t eol; running && (eol = pending.find('\n')) != std::string::npos;) {
                    running = RunCommand(pending.substr(0, eol), sim);
                    pending.erase(0, eol + 1);
                }
            }
        }
        if (Clock::now() >= nextUnplug) {
            sim.disconnectFor(plan.forMs);
            std::cerr << "disconnected for " << plan.forMs << " ms\n";
            nextUnplug = plan.everyMs > 0 ? nextUnplug + std::chrono::milliseconds(plan.everyMs)
                                          : Clock::time_point::max();
        }
    }
    sim.stop();
    return 0;
}
