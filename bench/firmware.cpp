// Flashing a 16 KiB image and a full FIA compare (4032 round trips) against the
// simulated unit paced at 38400 baud over a pseudo-terminal. Each is printed
// with its ratio to the wire time of the bytes that had to cross (escapes
// included): the unit's request byte and the tool's block follow each other,
// as do each read request and its answer.
#include "cli/cli_link.h"
#include "link/usb_thread.h"
#include "protocol/message_catalogue.h"
#include "sim/sim_pty.h"
#include "tools/fia/fia_compare.h"
#include "tools/firmware/firmware_update.h"
#include "wire_bench.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>

using namespace vm;
using namespace vm::cli;
using bench::Measure;
using bench::Print;

namespace {

std::string WriteImage(const QTemporaryDir& dir, std::size_t size) {
    std::mt19937 random(16);
    const std::string path = dir.filePath(QStringLiteral("fw.hex")).toStdString();
    std::ofstream out(path);
    char buf[64];
    for (std::size_t a = 0; a < size; a += 16) {
        int sum = 16 + static_cast<int>((a >> 8) & 0xFF) + static_cast<int>(a & 0xFF);
        std::snprintf(buf, sizeof buf, ":10%04X00", static_cast<unsigned>(a));
        out << buf;
        for (int i = 0; i < 16; ++i) {
            const int b = static_cast<int>(random() & 0xFF);
            std::snprintf(buf, sizeof buf, "%02X", b);
            out << buf;
            sum += b;
        }
        std::snprintf(buf, sizeof buf, "%02X\n", (-sum) & 0xFF);
        out << buf;
    }
    out << ":00000001FF\n";
    return path;
}

Measure Flash(CliLink& link, const std::string& path) {
    UsbThread& usb = link.link();
    QString error;
    std::unique_ptr<HEXFile> image = LoadFirmwareImage(QString::fromStdString(path), &error);
    if (!image) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return {};
    }
    UsbRawLink raw(usb);
    FirmwareUpdate update(raw);
    QObject::connect(&usb, &UsbThread::rawBytesReceived, &update, &FirmwareUpdate::ReceiveBytes);
    QEventLoop loop;
    bool complete = false;
    QObject::connect(&update, &FirmwareUpdate::finished, [&](bool ok, const QString&) {
        complete = ok;
        loop.quit();
    });
    update.SetPromptTimeoutMs(10000);
    update.Arm(std::move(image));
    const bench::WireCount wire(usb);
    link.send(LinkPacket::make(kGroupApp, msg::REBOOT_REQ));
    loop.exec();
    // The end mark is queued as the update finishes; it is not waited for.
    return wire.measure(complete, 2);
}

Measure Compare(CliLink& link, const std::string& path) {
    UsbThread& usb = link.link();
    FiaCompare fia(usb);
    QEventLoop loop;
    bool complete = false;
    QObject::connect(&fia, &FiaCompare::finished, [&](FiaCompare::Result r, const QString&) {
        complete = r == FiaCompare::Result::Identical;
        loop.quit();
    });
    link.onPacket = [&fia](const LinkPacket& p) { fia.ReceivePacket(p); };
    const bench::WireCount wire(usb);
    QString text;
    if (!fia.Start(QString::fromStdString(path), QString(), &text)) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return {};
    }
    loop.exec();
    const Measure m = wire.measure(complete);
    link.onPacket = nullptr;
    std::printf("compare: %lld read requests\n", fia.requestsSent());
    return m;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    sim::SimPty unit; // paced at 38400 baud both ways
    CliLink link;
    if (!bench::OpenSimLink(unit, link)) return 1;
    QTemporaryDir dir;
    const std::string path = WriteImage(dir, 16384);
    const Measure flash = Flash(link, path);
    Print("flash", flash, "FAILED");
    // The unit writes its pages and starts the application once the end mark is in.
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();
    const Measure compare = Compare(link, path);
    Print("compare", compare, "FAILED");
    return flash.complete && compare.complete ? 0 : 1;
}
