#pragma once
// The unit's configuration image. The unit keeps each block as the payload of
// its write message (packet positions 4 onwards), so a read answers with
// exactly what the last write stored and an upload can be compared byte for
// byte. This is the unit's side only; it shares no code with the tool's
// configuration model on purpose.
#include <cstdint>
#include <span>
#include <vector>

namespace vm::sim {

using ConfigBytes = std::vector<std::uint8_t>; // one block's payload, positions 4..

// One kind of configuration block and its four messages.
struct ConfigBlockKind {
    const char* name;
    std::uint8_t write;  // tool -> unit, carries the block
    std::uint8_t ack;    // unit's answer to the write
    std::uint8_t read;   // tool -> unit, asks for the block
    std::uint8_t answer; // unit's answer to the read, laid out as the write
    int length;          // packet length of write and answer
    int count;           // blocks of this kind
    int firstIndex;      // wire index of the first block (position 4)
    bool indexed;        // position 4 selects the block
    int payloadSize() const { return length - 4; }
    bool validIndex(int index) const {
        return indexed ? index >= firstIndex && index < firstIndex + count : index == 0;
    }
};

// All twelve kinds, in upload order of the tool's chain.
std::span<const ConfigBlockKind> ConfigBlockKinds();
const ConfigBlockKind* FindKindByWrite(std::uint8_t writeCommand);
const ConfigBlockKind* FindKindByRead(std::uint8_t readCommand);

// Wire codes the image uses (same table the tool encodes from).
namespace cfgcode {
constexpr std::uint8_t kTriggerDisabled = 0x00;
constexpr std::uint8_t kTriggerPlus30 = 0xFF;
constexpr std::uint8_t kLevelDefault = 1;
constexpr std::uint8_t kLevelOpen = 16;
constexpr std::uint8_t kNoChannel = 0xFF;
constexpr std::uint8_t kVirtualPlus30 = 0xFF; // term source "+30" as stored and sent
// Trigger codes of wired inputs 1..11.
constexpr std::uint8_t kInputTrigger[11] = {0xC0, 0xC1, 0xC2, 0xD1, 0xC4, 0xC5, 0xC6, 0xC7, 0xC3, 0xD2, 0xD3};
} // namespace cfgcode

// Trigger code of entry 0..59 of the trigger source list.
std::uint8_t TriggerCodeOfIndex(int index);
bool IsTriggerCode(std::uint8_t code);

class SimConfig {
public:
    SimConfig(); // factory defaults

    void resetToFactory();
    // A random configuration every field of which the tool's pages could have
    // produced; the same seed gives the same image. Seed 0 gives the defaults.
    void loadRandom(std::uint32_t seed);

    // The stored payload of a block (positions 4..), or empty for an unknown
    // write code or an index outside the kind's range. Unindexed blocks take 0.
    ConfigBytes block(std::uint8_t writeCommand, int index) const;
    // Stores a payload; it is cut or zero-filled to the layout's size, and an
    // indexed block's position 4 is set to its index. False for an unknown
    // code or an index outside the range (nothing is stored).
    bool setBlock(std::uint8_t writeCommand, int index, std::span<const std::uint8_t> payload);

private:
    ConfigBytes* find(std::uint8_t writeCommand, int index);
    const ConfigBytes* find(std::uint8_t writeCommand, int index) const;

    std::vector<std::vector<ConfigBytes>> blocks_; // [kind][index - firstIndex]
};

} // namespace vm::sim
