// An EEPROM read and write of all 4096 bytes against the simulated unit paced
// at 38400 baud over a pseudo-terminal. Prints each with its ratio to the wire
// time of all frames of the exchange (both directions, 10 bits a byte).
#include "tools/eeprom/eeprom_transfer.h"
#include "cli/cli_link.h"
#include "cli/service_run.h"
#include "link/usb_thread.h"
#include "sim/sim_pty.h"
#include "wire_bench.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>

using namespace vm;
using namespace vm::cli;
using bench::Measure;
using bench::Print;

namespace {

Measure Run(CliLink& link, ServiceRun& run, EepromTransfer& transfer, bool write) {
    bool done = false, failed = false;
    auto c1 = QObject::connect(&transfer, &EepromTransfer::finished, [&] { done = true; });
    auto c2 = QObject::connect(&transfer, &EepromTransfer::failed, [&] { failed = true; });
    const bench::WireCount wire(link.link());
    const EepromRange range{0, kEepromBytes};
    write ? transfer.StartWrite(range) : transfer.StartRead(range);
    run.RunUntil([&] { return done || failed; }, 60000);
    const Measure m = wire.measure(done);
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    return m;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    sim::SimPty unit;
    CliLink link;
    if (!bench::OpenSimLink(unit, link)) return 1;
    ServiceRun run(link);
    EepromImage image;
    EepromTransfer transfer(run.unit(), image);
    Publication published(run.unit().services(), ServiceSlot::Eeprom, &transfer);
    run.RunUntil([] { return false; }, 200); // the port settles
    const Measure read = Run(link, run, transfer, false);
    const Measure write = Run(link, run, transfer, true);
    Print("read", read);
    Print("write", write);
    return read.complete && write.complete ? 0 : 1;
}
