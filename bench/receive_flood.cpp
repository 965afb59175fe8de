// A peer that floods the link: a thread writes junk and well-formed frames into a
// pseudo-terminal as fast as the terminal takes them, for --seconds (default 30),
// while the link thread and a frame assembler in this process read it. Prints the
// peak resident memory (VmHWM), the CPU time the link spent, what got through and
// what was dropped. Then the flood stops, a simulated unit answers on the same
// terminal, and STATUS round trips over the same link and assembler must work.
// Exits 1 when the peak memory reaches 64 MB or a round trip fails.
// Usage: bench_receive_flood [--seconds N]
#include "link/device_directory.h"
#include "link/traffic_lines.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "protocol/frame_codec.h"
#include "sim/sim_unit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace vm;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr long kRssLimitKiB = 64 * 1024;

long StatusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
    return -1;
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return Seconds(u.ru_utime) + Seconds(u.ru_stime);
}

// The far end of a pseudo-terminal, reached by the link through a symbolic link.
class Terminal {
public:
    Terminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        const std::string slaveName = ptsname(master_);
        // Held open so the master never reads a hang-up between the link's opens.
        slave_ = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        tcgetattr(slave_, &t);
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
        path_ = "/tmp/voltmast-flood-" + std::to_string(getpid());
        ::unlink(path_.c_str());
        if (::symlink(slaveName.c_str(), path_.c_str()) != 0) throw std::runtime_error("cannot link the terminal");
    }
    ~Terminal() {
        ::unlink(path_.c_str());
        ::close(master_);
        ::close(slave_);
    }
    int master() const { return master_; }
    const std::string& path() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, const std::atomic<bool>& stop) {
    std::size_t done = 0;
    while (done < size) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 50) < 0) return false;
        if (stop) return false;
        if (!(p.revents & POLLOUT)) continue;
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    return true;
}

// 64 KiB of random bytes (ENDs and escapes included) with well-formed frames between.
Bytes FloodPattern() {
    std::mt19937 random(7);
    Bytes out;
    std::uint8_t frame[kFrameBufferBytes];
    int n = 0;
    while (out.size() < 65536) {
        const int junk = static_cast<int>(random() % 300);
        for (int i = 0; i < junk; ++i) out.push_back(static_cast<std::uint8_t>(random()));
        std::uint8_t payload[20];
        for (auto& b : payload) b = static_cast<std::uint8_t>(n++);
        const LinkPacket p = LinkPacket::make(1, 20, payload, sizeof payload);
        const int len = SlipEncode(p.bytes.data(), p.size, frame, kFrameBufferBytes);
        out.insert(out.end(), frame, frame + len);
    }
    return out;
}

// Answers on the master side with a simulated unit until stop is set.
void Serve(int fd, const std::atomic<bool>& stop) {
    sim::SimOptions options;
    options.paced = false;
    sim::SimUnit unit(options);
    std::uint8_t buf[512];
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) continue;
        for (const sim::SimFrame& f : unit.feed(buf, static_cast<std::size_t>(n)))
            if (!WriteAll(fd, f.data(), f.size(), stop)) return;
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int seconds = 30;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: %s [--seconds N]\n", argv[0]);
            return 2;
        }
    }

    Terminal terminal;
    ::fcntl(terminal.master(), F_SETFL, ::fcntl(terminal.master(), F_GETFL) | O_NONBLOCK);
    auto directory = std::make_unique<SerialPortDirectory>();
    directory->addDevice("Flood Peer", QString::fromStdString(terminal.path()));
    TrafficLog log;
    long long logLines = 0;
    QObject::connect(&log, &TrafficLog::line, [&](const QString&, quint32) { ++logLines; });
    UsbThread link(std::move(directory), &log);
    if (!link.Open("Flood Peer")) {
        std::fprintf(stderr, "cannot open the terminal: %s\n", qPrintable(link.lastError()));
        return 1;
    }

    // As the session does: packets dispatched, dropped frames logged, gaps resynced.
    long long packets = 0, statusAnswers = 0, rejects = 0, handedOver = 0, batches = 0, overflowReports = 0;
    QEventLoop answered;
    FrameAssembler assembler(
        [&](const LinkPacket& p) {
            ++packets;
            if (p.group() == 1 && p.command() == 135 && p.checksumOk()) {
                ++statusAnswers;
                answered.quit();
            }
        },
        [&](RejectReason reason, const std::uint8_t*, int count) {
            ++rejects;
            log.LogLine(FrameDroppedLine(reason, count), kColourChecksum);
        });
    QObject::connect(&link, &UsbThread::bytesReceived, [&](const QByteArray& b) {
        ++batches;
        handedOver += b.size();
        assembler.PutBytes(reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<int>(b.size()));
    });
    QObject::connect(&link, &UsbThread::receiveGap, [&] { assembler.Resync(); });
    QObject::connect(&link, &UsbThread::receiveOverflow, [&](qint64) { ++overflowReports; });

    const long rssBefore = StatusKiB("VmHWM");
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    std::atomic<bool> stop{false};
    std::atomic<long long> written{0};
    double writerCpu = 0;
    std::thread writer([&] {
        const Bytes pattern = FloodPattern();
        const double cpu0 = CpuSeconds(RUSAGE_THREAD);
        while (!stop) {
            const ssize_t n = ::write(terminal.master(), pattern.data(), pattern.size());
            if (n > 0) written += n;
            else {
                pollfd p{terminal.master(), POLLOUT, 0};
                ::poll(&p, 1, 20);
            }
        }
        writerCpu = CpuSeconds(RUSAGE_THREAD) - cpu0;
    });

    const auto t0 = Clock::now();
    QEventLoop flooding;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &flooding, &QEventLoop::quit);
    flooding.exec();
    stop = true;
    writer.join();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();

    // Let the link take what is left in the terminal, then settle the report.
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();
    link.ReportReceiveOverflow();
    const double linkCpu = CpuSeconds(RUSAGE_SELF) - cpuBefore - writerCpu;
    const long rssPeak = StatusKiB("VmHWM");

    // The same link and assembler against a unit that answers.
    stop = false;
    std::thread server(Serve, terminal.master(), std::cref(stop));
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &answered, &QEventLoop::quit);
    const int rounds = 20;
    int answeredRounds = 0;
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const long long before = statusAnswers;
        guard.start(1000);
        const auto r0 = Clock::now();
        SendCommand(link, LinkPacket::make(1, 6));
        answered.exec();
        if (statusAnswers == before) continue;
        ++answeredRounds;
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - r0).count());
    }
    stop = true;
    server.join();
    std::sort(ms.begin(), ms.end());

    const double mb = 1024.0 * 1024.0;
    std::printf("flood: %.1f s, %.1f MiB written (%.1f MiB/s, %.0f times what 38400 baud carries)\n", wall,
                written / mb, written / mb / wall, written / wall / 3840.0);
    std::printf("handed to the assembler: %.1f MiB in %lld batches; dropped: %.1f MiB (%lld overflow reports)\n",
                handedOver / mb, batches, link.bytesDropped() / mb, overflowReports);
    std::printf("frames: %lld packets, %lld dropped by the assembler; %lld traffic-log lines\n", packets, rejects,
                logLines);
    std::printf("backlog for the owner's thread: peak %lld bytes (bound %lld)\n",
                static_cast<long long>(link.peakPendingRxBytes()), static_cast<long long>(UsbThread::kMaxPendingRx));
    std::printf("CPU: link %.2f s (%.0f %% of one core), flood writer %.2f s\n", linkCpu, 100.0 * linkCpu / wall,
                writerCpu);
    std::printf("peak RSS (VmHWM): %.1f MB before the flood, %.1f MB after (limit %.0f MB)\n", rssBefore / 1024.0,
                rssPeak / 1024.0, kRssLimitKiB / 1024.0);
    std::printf("STATUS round trips after the flood: %d of %d answered", answeredRounds, rounds);
    if (!ms.empty()) std::printf(", median %.3f ms", ms[ms.size() / 2]);
    std::printf("\n");

    const bool ok = rssPeak > 0 && rssPeak < kRssLimitKiB && answeredRounds == rounds;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
