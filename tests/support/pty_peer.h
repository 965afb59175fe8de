#pragma once
// The far end of a pseudo-terminal, standing in for an adapter that can be
// unplugged and plugged back under the same name.
#include <cstdint>
#include <string>
#include <vector>

class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    const std::string& path() const { return link_; }
    void hangUp();
    void comeBack();
    void write(const std::vector<std::uint8_t>& bytes);
    // Reads what has arrived within ms milliseconds (stops early once min bytes are in).
    std::vector<std::uint8_t> read(int ms, std::size_t min = 1);

private:
    void openPty();
    int master_ = -1;
    int slave_ = -1;
    std::string link_;
};
