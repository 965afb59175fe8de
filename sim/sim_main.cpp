// voltmast-sim: the simulated unit on a pseudo-terminal. Prints the link path
// as its first line and serves until SIGINT or SIGTERM. Commands on stdin:
// "disconnect MS", "silent on", "silent off", "quit".
#include "sim/sim_pty.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>

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

// Returns false for "quit".
bool RunCommand(const std::string& line, vm::sim::SimPty& sim) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word)) return true;
    if (word == "quit" || word == "exit") return false;
    if (word == "disconnect") {
        int ms = 1000;
        in >> ms;
        sim.disconnectFor(ms);
        std::cerr << "disconnected for " << ms << " ms\n";
    } else if (word == "silent") {
        std::string arg;
        in >> arg;
        sim.setSilent(arg != "off");
        std::cerr << "silent " << (arg != "off" ? "on" : "off") << "\n";
    } else {
        std::cerr << "commands: disconnect MS | silent on | silent off | quit\n";
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
    app.add_option("--version-text", options.version, "Software version text in STATUS")
        ->capture_default_str();
    app.add_option("--link", linkPath, "Path of the symbolic link to the terminal")
        ->type_name("PATH");
    app.add_flag("--no-pacing", noPacing, "Answer as fast as possible instead of at 38400 baud");
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
    std::string error;
    if (!sim.start(&error)) {
        std::cerr << "voltmast-sim: " << error << "\n";
        return 1;
    }
    std::cout << sim.path() << std::endl;

    const auto started = Clock::now();
    auto nextUnplug = plan.afterMs >= 0 ? started + std::chrono::milliseconds(plan.afterMs)
                                        : Clock::time_point::max();
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
