#include "tests/support/pty_peer.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {
std::atomic<int> counter{0};
}

PtyPeer::PtyPeer() {
    link_ = "/tmp/voltmast-test-pty-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    openPty();
}

PtyPeer::~PtyPeer() { hangUp(); }

void PtyPeer::openPty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    const std::string slaveName = ptsname(master_);
    // Holding the slave open keeps the master from reporting hang-ups of its own.
    slave_ = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
    const std::string tmp = link_ + ".new";
    ::unlink(tmp.c_str());
    if (::symlink(slaveName.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), link_.c_str()) != 0)
        throw std::runtime_error("cannot link the pseudo-terminal");
}

void PtyPeer::hangUp() {
    ::unlink(link_.c_str());
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}

void PtyPeer::comeBack() {
    if (master_ < 0) openPty();
}

void PtyPeer::write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) throw std::runtime_error("pseudo-terminal write failed");
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PtyPeer::read(int ms, std::size_t min) {
    std::vector<std::uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (out.size() < min) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        std::uint8_t buf[512];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) break;
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}
