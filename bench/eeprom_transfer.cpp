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
using Clock = std::chrono::steady_clock;
using bench::Measure;
using bench::Print;

namespace {

Measure Run(CliLink& link, ServiceRun& run, EepromTransfer& transfer, bool write) {
    quint64 received = 0;
    auto counter = QObject::connect(&link.link(), &UsbThread::bytesReceived,
                                    [&](const QByteArray& b) { received += static_cast<quint64>(b.size()); });
    bool done = false, failed = false;
    auto c1 = QObject::connect(&transfer, &EepromTransfer::finished, [&] { done = true; });
    auto c2 = QObject::connect(&transfer, &EepromTransfer::failed, [&] { failed = true; });
    const quint64 sentBefore = link.link().bytesQueued();
    const auto t0 = Clock::now();
    const EepromRange range{0, kEepromBytes};
    write ? transfer.StartWrite(range) : transfer.StartRead(range);
    run.RunUntil([&] { return done || failed; }, 60000);
    Measure m;
    m.complete = done;
    m.ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    QObject::disconnect(counter);
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    m.bytes = link.link().bytesQueued() - sentBefore + received;
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
