// A full configuration read and a full upload against the simulated unit paced
// at 38400 baud over a pseudo-terminal. Prints each with its ratio to the wire
// time of all frames of the exchange (both directions, 10 bits a byte).
#include "cli/cli_link.h"
#include "cli/cli_session.h"
#include "link/usb_thread.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <iostream>

using namespace vm;
using namespace vm::cli;
using Clock = std::chrono::steady_clock;

namespace {

struct Measure {
    double ms = 0;
    quint64 bytes = 0;
    bool complete = false;
};

template <class Start> Measure Run(CliLink& link, CliSession& session, Start start) {
    quint64 received = 0;
    auto counter = QObject::connect(&link.link(), &UsbThread::bytesReceived,
                                    [&](const QByteArray& b) { received += static_cast<quint64>(b.size()); });
    const quint64 sentBefore = link.link().bytesQueued();
    ConfigTransfer& transfer = session.transfer();
    const auto t0 = Clock::now();
    Measure m;
    m.complete = session.Wait(
        [&](std::function<void()> done) {
            QObject::connect(&transfer, &ConfigTransfer::chainEnded, &transfer, done);
            start(transfer);
        },
        std::cerr);
    m.ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    QObject::disconnect(counter);
    QObject::disconnect(&transfer, &ConfigTransfer::chainEnded, &transfer, nullptr);
    m.bytes = link.link().bytesQueued() - sentBefore + received;
    return m;
}

void Print(const char* what, const Measure& m) {
    const double wire = static_cast<double>(m.bytes) * 10.0 / 38400.0 * 1000.0;
    std::printf("%-7s %s: %.1f ms, %llu bytes on the wire = %.1f ms, ratio: %.3f\n", what,
                m.complete ? "complete" : "INCOMPLETE", m.ms, static_cast<unsigned long long>(m.bytes), wire,
                m.ms / wire);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Target target;
    target.sim = true;
    target.simOptions.configSeed = 5; // paced by default
    CliLink link;
    std::string error;
    if (!link.open(target, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    CliSession session(link);
    if (!session.CheckVersion(std::cerr)) return 1;
    const Measure read = Run(link, session, [](ConfigTransfer& t) { t.StartRead(); });
    const Measure upload = Run(link, session, [](ConfigTransfer& t) { t.StartUpload(); });
    Print("read", read);
    Print("upload", upload);
    return read.complete && upload.complete ? 0 : 1;
}
