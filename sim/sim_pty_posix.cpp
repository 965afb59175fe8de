// SimPty on POSIX pseudo-terminals (built for Linux and the other Unixes but macOS).
#include "sim/sim_pty.h"

#include "sim/sim_pty_link.h"
#include "sim/sim_unit.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace vm::sim {

namespace {

// A sim that was killed outright could not remove its link; tidy those of dead
// processes away once, so the temporary folder does not fill up with them.
void RemoveStaleLinks(const std::string& dir) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        long pid = 0;
        int n = 0, used = 0;
        if (std::sscanf(name.c_str(), "voltmast-sim-%ld-%d%n", &pid, &n, &used) != 2 || pid <= 0) continue;
        const std::string rest = name.substr(static_cast<std::size_t>(used));
        if (!rest.empty() && rest != ".new") continue;
        if (!entry.is_symlink(ec)) continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) ::unlink(entry.path().c_str());
    }
}

std::string UniqueLinkPath() {
    static std::atomic<int> counter{0};
    std::string dir = "/tmp";
    std::error_code ec;
    const auto tmp = std::filesystem::temp_directory_path(ec);
    if (!ec) dir = tmp.string();
    if (!dir.empty() && dir.back() == '/') dir.pop_back();
    static std::once_flag tidied;
    std::call_once(tidied, [&dir] { RemoveStaleLinks(dir); });
    const long pid = static_cast<long>(::getpid());
    return dir + "/voltmast-sim-" + std::to_string(pid) + "-" + std::to_string(counter++);
}

using Nanos = std::int64_t;
constexpr Nanos kSecond = 1'000'000'000;
constexpr Nanos kByteTime = (10 * kSecond + 19'200) / 38'400; // 10 bits at 38400 baud, rounded
// Longer waits go to ppoll so input is seen at once; the last stretch sleeps to
// the absolute deadline, which ppoll's relative time-out would overshoot.
constexpr Nanos kSleepWindow = 300'000;
constexpr Nanos kPollMargin = 200'000;
constexpr Nanos kReopenRetry = 250'000'000;
// Bytes taken off the terminal ahead of their wire time. Beyond this the sim
// stops reading, so a tool writing faster than the line blocks as on a real one.
constexpr std::size_t kRxBacklog = 256;

Nanos Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return Nanos(ts.tv_sec) * kSecond + ts.tv_nsec;
}

timespec ToTimespec(Nanos t) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(t / kSecond);
    ts.tv_nsec = static_cast<long>(t % kSecond);
    return ts;
}

struct RxByte {
    std::uint8_t byte;
    Nanos arrival; // when its last bit is in on the wire
};

struct TxByte {
    std::uint8_t byte;
    Nanos due; // when its last bit has left on the wire
    bool endsFrame;
};

struct Command {
    enum Kind { Disconnect, Silent, Stop, ChangeState } kind;
    int value = 0;
    std::function<void(SimState&)> change = {};
};

} // namespace

struct SimPty::Impl {
    SimOptions options;
    std::string path;
    SimUnit unit;

    std::thread thread;
    int wakeRead = -1, wakeWrite = -1;
    std::mutex commandMutex;
    std::vector<Command> commands;
    std::atomic<long long> framesSent{0};

    // Owned by the thread while it runs.
    PtyLink link;
    std::deque<RxByte> rx;
    std::deque<TxByte> tx;
    Nanos lastArrival = 0;
    Nanos txFreeAt = 0;
    Nanos reconnectAt = -1;
    bool stopping = false;

    Impl(SimOptions o, std::string p) : options(std::move(o)), path(std::move(p)), unit(options) {}

    void post(Command c) {
        {
            std::lock_guard lock(commandMutex);
            commands.push_back(std::move(c));
        }
        const char b = 1;
        if (wakeWrite >= 0) (void)!::write(wakeWrite, &b, 1); // full pipe is awake anyway
    }

    void applyCommands() {
        char buf[64];
        while (::read(wakeRead, buf, sizeof buf) > 0) {
        }
        std::vector<Command> todo;
        {
            std::lock_guard lock(commandMutex);
            todo.swap(commands);
        }
        for (const Command& c : todo) {
            switch (c.kind) {
            case Command::Disconnect:
                hangUp(Now() + Nanos(std::max(c.value, 0)) * 1'000'000);
                break;
            case Command::Silent:
                unit.setSilent(c.value != 0);
                break;
            case Command::Stop:
                stopping = true;
                break;
            case Command::ChangeState:
                c.change(unit.state());
                break;
            }
        }
    }

    void hangUp(Nanos until) {
        link.close(path);
        rx.clear();
        tx.clear(); // replies still on their way are lost with the cable
        unit.resetLink();
        lastArrival = txFreeAt = 0;
        reconnectAt = until;
    }

    void reconnect(Nanos now) {
        std::string error;
        if (link.open(path, &error))
            reconnectAt = -1;
        else
            reconnectAt = now + kReopenRetry;
    }

    void readInput() {
        std::uint8_t buf[kRxBacklog];
        while (rx.size() < kRxBacklog) {
            const ssize_t n = ::read(link.master, buf, kRxBacklog - rx.size());
            if (n <= 0) return; // EAGAIN: drained
            const Nanos readAt = Now();
            for (ssize_t i = 0; i < n; ++i) {
                // A byte is in once its ten bits have followed the previous byte's.
                const Nanos arrival = options.paced ? std::max(readAt, lastArrival) + kByteTime : readAt;
                lastArrival = arrival;
                rx.push_back({buf[i], arrival});
            }
        }
    }

    // Hands the unit every byte that has arrived, one frame at a time, so that each
    // answer is timed from the arrival of its own request's last byte.
    void deliverArrived(Nanos now) {
        std::vector<std::uint8_t> chunk;
        while (!rx.empty() && rx.front().arrival <= now) {
            chunk.clear();
            Nanos last = 0;
            while (!rx.empty() && rx.front().arrival <= now) {
                const RxByte b = rx.front();
                rx.pop_front();
                chunk.push_back(b.byte);
                last = b.arrival;
                if (b.byte == SLIP_END) break;
            }
            for (const SimFrame& frame : unit.feed(chunk))
                schedule(frame, last);
        }
    }

    void schedule(const SimFrame& frame, Nanos requestDone) {
        const Nanos ready = requestDone + Nanos(std::max(options.replyDelayMs, 0)) * 1'000'000;
        Nanos start = std::max(ready, txFreeAt);
        // A frame leaves in one write when its last byte would have crossed the
        // line, as an adapter hands over what it gathered, unless per-byte is asked for.
        const Nanos whole = options.paced ? start + Nanos(frame.size()) * kByteTime : start;
        for (std::size_t i = 0; i < frame.size(); ++i) {
            const Nanos due = options.paced && options.perByte ? start + Nanos(i + 1) * kByteTime : whole;
            tx.push_back({frame[i], due, i + 1 == frame.size()});
        }
        txFreeAt = options.paced ? start + Nanos(frame.size()) * kByteTime : start;
    }

    // What the unit sends unasked (the bootloader's prompt) leaves when it is due.
    void tickUnit(Nanos now) {
        for (const SimFrame& frame : unit.tick())
            schedule(frame, now);
    }

    // The unit's next unasked output, on this file's clock.
    Nanos unitDue() const {
        const auto due = unit.nextTick();
        if (!due) return -1;
        const auto left =
            std::chrono::duration_cast<std::chrono::nanoseconds>(*due - std::chrono::steady_clock::now());
        return Now() + std::max<Nanos>(left.count(), 0);
    }

    void writeDue(Nanos now) {
        std::uint8_t buf[512];
        std::size_t n = 0;
        int frames = 0;
        while (!tx.empty() && tx.front().due <= now && n < sizeof buf) {
            buf[n++] = tx.front().byte;
            frames += tx.front().endsFrame ? 1 : 0;
            tx.pop_front();
        }
        if (n == 0) return;
        // Non-blocking: with nobody reading the terminal fills up, and then bytes
        // are lost as they would be on an open line.
        (void)!::write(link.master, buf, n);
        framesSent += frames;
    }

    Nanos nextDeadline() const {
        Nanos next = -1;
        auto earliest = [&next](Nanos t) { next = (next < 0 || t < next) ? t : next; };
        for (const RxByte& b : rx) {
            if (b.byte == SLIP_END) {
                earliest(b.arrival);
                break;
            }
        }
        if (rx.size() >= kRxBacklog) earliest(rx.front().arrival); // room to read again
        if (!tx.empty()) earliest(tx.front().due);
        if (reconnectAt >= 0) earliest(reconnectAt);
        if (link.master >= 0 && unitDue() >= 0) {
            earliest(unitDue());
            // The bootloader takes raw bytes, not frames: each one counts when it is in.
            if (!rx.empty()) earliest(rx.front().arrival);
        }
        return next;
    }

    void wait(Nanos deadline) {
        const short input = rx.size() < kRxBacklog ? POLLIN : 0;
        pollfd fds[2] = {{wakeRead, POLLIN, 0}, {link.master, input, 0}};
        if (deadline < 0) {
            ::ppoll(fds, 2, nullptr, nullptr);
            return;
        }
        const Nanos left = deadline - Now();
        if (left <= 0) return;
        if (left > kSleepWindow) {
            const timespec timeout = ToTimespec(left - kPollMargin);
            ::ppoll(fds, 2, &timeout, nullptr);
            return;
        }
        const timespec at = ToTimespec(deadline);
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
    }

    void run() {
#ifdef __linux__
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);      // keep ppoll wake-ups on time
        ::prctl(PR_SET_NAME, "voltmast-sim", 0UL, 0UL, 0UL); // told apart from the tool's threads
#endif
        while (!stopping) {
            applyCommands();
            if (stopping) break;
            Nanos now = Now();
            if (reconnectAt >= 0 && now >= reconnectAt) reconnect(now);
            if (link.master >= 0) {
                readInput();
                now = Now();
                deliverArrived(now);
                tickUnit(now);
                writeDue(now);
            }
            wait(nextDeadline());
        }
    }
};

SimPty::SimPty(SimOptions options, std::string linkPath)
    : d(std::make_unique<Impl>(std::move(options),
                               linkPath.empty() ? UniqueLinkPath() : std::move(linkPath))) {}

SimPty::~SimPty() { stop(); }

bool SimPty::start(std::string* error) {
    if (d->thread.joinable()) return true;
    int fds[2];
    if (::pipe(fds) != 0) {
        if (error) *error = std::string("Cannot create the wake-up pipe: ") + std::strerror(errno);
        return false;
    }
    for (int fd : fds) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    d->wakeRead = fds[0];
    d->wakeWrite = fds[1];
    if (!d->link.open(d->path, error)) {
        ::close(d->wakeRead);
        ::close(d->wakeWrite);
        d->wakeRead = d->wakeWrite = -1;
        return false;
    }
    d->stopping = false;
    d->thread = std::thread([this] { d->run(); });
    return true;
}

void SimPty::stop() {
    if (d->thread.joinable()) {
        d->post({Command::Stop, 0});
        d->thread.join();
    }
    d->link.close(d->path);
    d->rx.clear();
    d->tx.clear();
    d->reconnectAt = -1;
    for (int* fd : {&d->wakeRead, &d->wakeWrite}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    {
        std::lock_guard lock(d->commandMutex);
        d->commands.clear();
    }
}

void SimPty::disconnectFor(int ms) {
    if (d->thread.joinable()) d->post({Command::Disconnect, ms});
}

void SimPty::setSilent(bool silent) {
    if (d->thread.joinable())
        d->post({Command::Silent, silent ? 1 : 0});
    else
        d->unit.setSilent(silent);
}

void SimPty::changeState(std::function<void(SimState&)> change) {
    if (d->thread.joinable())
        d->post({Command::ChangeState, 0, std::move(change)});
    else
        change(d->unit.state());
}

bool SimPty::running() const { return d->thread.joinable(); }

bool SimPty::inspectState(std::function<void(const SimState&)> look) {
    if (!running()) {
        look(d->unit.state());
        return true;
    }
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    changeState([done, look = std::move(look)](SimState& s) {
        look(s);
        done->set_value();
    });
    try {
        finished.get();
        return true;
    } catch (const std::future_error&) {
        return false; // stopped before it got to it: the command was dropped
    }
}

const std::string& SimPty::path() const { return d->path; }
SimUnit& SimPty::unit() { return d->unit; }
long long SimPty::framesSent() const { return d->framesSent.load(); }

} // namespace vm::sim
