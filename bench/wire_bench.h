// What the wire-time benchmarks share: a paced simulated unit on a
// pseudo-terminal behind the CLI's link, and a line per measured exchange with
// its ratio to the time its bytes need at 38400 baud (10 bits a byte).
#pragma once

#include "cli/cli_link.h"
#include "link/usb_thread.h"
#include "sim/sim_pty.h"

#include <chrono>
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

// From its start: the bytes both ways (what the link queued to send and what
// it handed on, on either route) and the time gone.
class WireCount {
public:
    explicit WireCount(UsbThread& link) : link_(link), sentBefore_(link.bytesQueued()) {
        auto add = [this](const QByteArray& x) { received_ += static_cast<unsigned long long>(x.size()); };
        a_ = QObject::connect(&link, &UsbThread::bytesReceived, add);
        b_ = QObject::connect(&link, &UsbThread::rawBytesReceived, add);
    }
    ~WireCount() {
        QObject::disconnect(a_);
        QObject::disconnect(b_);
    }
    WireCount(const WireCount&) = delete;
    WireCount& operator=(const WireCount&) = delete;
    // A measure of what crossed so far; notSent leaves out bytes still queued.
    Measure measure(bool complete, unsigned long long notSent = 0) const {
        Measure m;
        m.complete = complete;
        m.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0_).count();
        m.bytes = link_.bytesQueued() - sentBefore_ - notSent + received_;
        return m;
    }

private:
    UsbThread& link_;
    unsigned long long sentBefore_;
    unsigned long long received_ = 0;
    QMetaObject::Connection a_, b_;
    std::chrono::steady_clock::time_point t0_ = std::chrono::steady_clock::now();
};

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
