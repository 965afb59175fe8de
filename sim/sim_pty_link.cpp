#include "sim/sim_pty_link.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vm::sim {

namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

PtyLink::~PtyLink() {
    if (slave >= 0) ::close(slave);
    if (master >= 0) ::close(master);
}

bool PtyLink::open(const std::string& linkPath, std::string* error) {
    int m = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0) return Fail(error, "Cannot open a pseudo-terminal");
    char name[128] = {};
    if (::grantpt(m) != 0 || ::unlockpt(m) != 0 || ::ptsname_r(m, name, sizeof name) != 0) {
        const int saved = errno;
        ::close(m);
        errno = saved;
        return Fail(error, "Cannot unlock the pseudo-terminal");
    }
    ::fcntl(m, F_SETFD, FD_CLOEXEC);
    ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);

    const int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s < 0) {
        const int saved = errno;
        ::close(m);
        errno = saved;
        return Fail(error, std::string("Cannot open ") + name);
    }
    termios t{};
    if (::tcgetattr(s, &t) == 0) {
        ::cfmakeraw(&t); // no echo, no line editing, no CR/LF translation
        t.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&t, B38400);
        ::cfsetospeed(&t, B38400);
        ::tcsetattr(s, TCSANOW, &t);
    }

    const std::string temp = linkPath + ".new";
    ::unlink(temp.c_str());
    if (::symlink(name, temp.c_str()) != 0 || ::rename(temp.c_str(), linkPath.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        ::close(s);
        ::close(m);
        errno = saved;
        return Fail(error, "Cannot create the link " + linkPath);
    }

    close(std::string()); // an earlier terminal, if any (the link already moved on)
    master = m;
    slave = s;
    slaveName = name;
    return true;
}

void PtyLink::close(const std::string& linkPath) {
    if (!linkPath.empty() && master >= 0) ::unlink(linkPath.c_str());
    if (slave >= 0) ::close(slave);
    if (master >= 0) ::close(master);
    slave = master = -1;
    slaveName.clear();
}

} // namespace vm::sim
