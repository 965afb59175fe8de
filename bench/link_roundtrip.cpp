// Request/answer round trips (STATUS_REQ, 4 bytes -> STATUS, 24 bytes) through
// the link thread against the simulated unit paced at 38400 baud, over a
// pseudo-terminal or, with --in-process, behind the in-process port. Prints the
// median round trip and its ratio to the wire time of the same bytes (10 bits a byte).
// Usage: bench_link_roundtrip [ROUNDS] [--in-process]
#include "link/device_directory.h"
#include "protocol/frame_codec.h"
#include "link/usb_thread.h"
#include "sim/sim_pty.h"
#include "simport/sim_device.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace vm;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rounds = 200;
    bool inProcess = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--in-process") == 0) inProcess = true;
        else rounds = std::max(1, std::atoi(argv[i]));
    }

    auto directory = std::make_unique<SerialPortDirectory>();
    sim::SimPty unit; // paced by default
    if (inProcess) {
        sim::AddSimDevice(*directory, {}, "Bench Unit");
    } else {
        std::string error;
        if (!unit.start(&error)) {
            std::fprintf(stderr, "cannot start the simulated unit: %s\n", error.c_str());
            return 1;
        }
        directory->addDevice("Bench Unit", QString::fromStdString(unit.path()));
    }
    UsbThread link(std::move(directory), nullptr);
    if (!link.Open("Bench Unit")) {
        std::fprintf(stderr, "cannot open the simulated unit: %s\n", qPrintable(link.lastError()));
        return 1;
    }

    QEventLoop loop;
    int answerBytes = 0;
    int answers = 0;
    FrameAssembler assembler([&](const LinkPacket& p) {
        if (p.group() == 1 && p.command() == 135 && p.checksumOk()) {
            ++answers;
            loop.quit();
        }
    });
    QObject::connect(&link, &UsbThread::bytesReceived, [&](const QByteArray& b) {
        answerBytes += static_cast<int>(b.size());
        assembler.PutBytes(reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<int>(b.size()));
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);

    const LinkPacket request = LinkPacket::make(1, 6);
    std::uint8_t frame[kFrameBufferBytes];
    const int requestBytes = SlipEncode(request.bytes.data(), request.size, frame, kFrameBufferBytes);

    std::vector<double> ms;
    int lost = 0;
    for (int i = 0; i < rounds + 5; ++i) {
        answerBytes = 0;
        const int before = answers;
        guard.start(1000);
        const auto t0 = Clock::now();
        SendCommand(link, request);
        loop.exec();
        const auto t1 = Clock::now();
        if (answers == before) {
            ++lost;
            continue;
        }
        if (i >= 5) ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    if (ms.empty()) {
        std::fprintf(stderr, "no answers from the simulated unit\n");
        return 1;
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double wire = (requestBytes + answerBytes) * 10.0 / 38400.0 * 1000.0;
    std::printf("round trips: %zu (lost %d)\n", ms.size(), lost);
    std::printf("bytes on the wire: %d request + %d answer\n", requestBytes, answerBytes);
    std::printf("median round trip: %.3f ms, wire time: %.3f ms, ratio: %.3f\n", median, wire, median / wire);
    std::printf("best %.3f ms, 90th percentile %.3f ms\n", ms.front(), ms[ms.size() * 9 / 10]);
    return 0;
}
