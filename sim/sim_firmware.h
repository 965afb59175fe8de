#pragma once
// The simulated unit's program memory, its production data and its
// bootloader. The bootloader speaks raw bytes, not packets: after a restart it
// prompts with '>' until the tool answers '<' (or it gives up and starts the
// application), announces 256-byte blocks with 'T' and asks for each block
// with '!'. A block is two address bytes (bits 16..23 and 8..15 of its page),
// 256 data bytes and the 8-bit sum of the data bytes. A bad block is refused
// with '@' and the update ends with nothing written; the address 0xFF 0xFF
// ends the update: the memory is erased, the received pages are written and
// the application starts.
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace vm::sim {

using SimTime = std::chrono::steady_clock::time_point;

namespace boot {
constexpr std::uint8_t kPrompt = '>';
constexpr std::uint8_t kAnswer = '<';
constexpr std::uint8_t kBlockSize = 'T';
constexpr std::uint8_t kNext = '!';
constexpr std::uint8_t kAbort = '@';
constexpr std::uint8_t kEnd = 0xFF; // twice, where the address bytes would be
constexpr int kPageBytes = 256;
constexpr int kBlockBytes = 2 + kPageBytes + 1;
constexpr std::chrono::milliseconds kPromptEvery{50};
constexpr std::chrono::milliseconds kPromptFor{1000};
// Halfway through a block and nothing more: the tool is gone.
constexpr std::chrono::milliseconds kReceiveTimeout{10000};
} // namespace boot

constexpr std::size_t kProgramBytes = 0x20000;

class SimBootloader {
public:
    enum class Phase { Off, Prompting, Receiving };

    // A restart: prompting starts now.
    void enter(SimTime now);
    bool active() const { return phase_ != Phase::Off; }
    Phase phase() const { return phase_; }

    // One byte from the tool; what the bootloader sends back goes to out.
    void take(std::uint8_t byte, SimTime now, std::vector<std::uint8_t>& program,
              std::vector<std::uint8_t>& out);
    // What it sends of its own accord by now (prompts), and giving up.
    void tick(SimTime now, std::vector<std::uint8_t>& out);
    // When tick() has something to do next; none while off.
    std::optional<SimTime> nextDue() const;

    // Updates completed and refused since creation.
    int updatesWritten() const { return written_; }
    int updatesAborted() const { return aborted_; }

private:
    void leave();

    Phase phase_ = Phase::Off;
    SimTime nextPrompt_{};
    SimTime promptUntil_{};
    SimTime lastByte_{};
    std::vector<std::uint8_t> block_;                          // at most kBlockBytes
    std::map<std::uint32_t, std::vector<std::uint8_t>> pages_; // at most kProgramBytes / 256
    int written_ = 0;
    int aborted_ = 0;
};

struct SimFirmware {
    SimFirmware();

    std::vector<std::uint8_t> program; // kProgramBytes
    SimBootloader bootloader;

    // The program the unit leaves the factory with: a pattern over the first 16 KiB.
    static std::uint8_t FactoryByte(std::uint32_t address);
};

} // namespace vm::sim
