#pragma once
// One pseudo-terminal of the simulated unit and the symbolic link that names it.
// POSIX only.
#include <string>

namespace vm::sim {

struct PtyLink {
    int master = -1;
    // Held open by the sim: with no slave open the master reports a hang-up
    // and poll() would return at once, over and over.
    int slave = -1;
    std::string slaveName;

    // Opens a fresh terminal in raw mode at 38400 baud and points linkPath at it
    // (atomically, so an opener never sees a dangling or missing link).
    bool open(const std::string& linkPath, std::string* error);
    // Removes the link, then closes both ends: an opened slave reads end-of-file.
    void close(const std::string& linkPath);

    ~PtyLink();
    PtyLink() = default;
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;
};

} // namespace vm::sim
