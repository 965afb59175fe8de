// A full configuration read and a full upload against the simulated unit paced
// at 38400 baud over a pseudo-terminal. Prints each with its ratio to the wire
// time of all frames of the exchange (both directions, 10 bits a byte).
#include "cli/cli_link.h"
#include "cli/cli_session.h"
#include "link/usb_thread.h"
#include "sim/sim_pty.h"
#include "wire_bench.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <iostream>

using namespace vm;
using namespace vm::cli;
using bench::Measure;
using bench::Print;

namespace {

template <class Chain> Measure Run(CliLink& link, Chain chain) {
    const bench::WireCount wire(link.link());
    const bool complete = chain();
    return wire.measure(complete);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The unit on a pseudo-terminal, paced at 38400 baud: the real serial path.
    sim::SimOptions options;
    options.configSeed = 5;
    sim::SimPty unit(options);
    CliLink link;
    if (!bench::OpenSimLink(unit, link)) return 1;
    CliSession session(link, std::cerr);
    ConfigWorkflow& workflow = session.workflow();
    if (!workflow.CheckVersion()) return 1;
    const Measure read = Run(link, [&] { return workflow.ReadConfiguration(); });
    const Measure upload = Run(link, [&] { return workflow.UploadConfiguration(); });
    Print("read", read);
    Print("upload", upload);
    return read.complete && upload.complete ? 0 : 1;
}
