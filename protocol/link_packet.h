#pragma once
// One message on the link, before SLIP framing:
//   [0] checksum  [1] length (whole packet)  [2] group  [3] command  [4..] payload
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace vm {

constexpr std::uint8_t SLIP_END = 0xC0;
constexpr std::uint8_t SLIP_ESC = 0xDB;
constexpr std::uint8_t SLIP_ESC_END = 0xDC;
constexpr std::uint8_t SLIP_ESC_ESC = 0xDD;

constexpr int kMinPacketLength = 4;
constexpr int kMaxPacketBytes = 200;   // receive buffer of the assembler
constexpr int kFrameBufferBytes = 256; // transmit encoding buffer

// Windows colour values (0x00BBGGRR) used by the traffic log.
constexpr std::uint32_t kColourTxTrace = 0x008000;
constexpr std::uint32_t kColourResend = 0x0000FF;
constexpr std::uint32_t kColourChecksum = 0xFF0000;

// XOR of count bytes starting at data.
std::uint8_t FrameChecksum(const std::uint8_t* data, int count);

struct LinkPacket {
    std::array<std::uint8_t, kMaxPacketBytes> bytes{};
    int size = 0; // bytes that arrived (or were built)

    std::uint8_t checksum() const { return bytes[0]; }
    std::uint8_t length() const { return bytes[1]; }
    std::uint8_t group() const { return bytes[2]; }
    std::uint8_t command() const { return bytes[3]; }
    int payloadSize() const { return length() - kMinPacketLength; }
    // Payload byte i (packet position 4 + i); 0 beyond what arrived.
    std::uint8_t payload(int i) const;
    // Packet position pos; 0 beyond what arrived.
    std::uint8_t at(int pos) const;

    // Recomputes the checksum over length-1 bytes from the length byte.
    bool checksumOk() const;
    // Fills the length byte from size and the checksum byte.
    void seal();

    // A sealed packet of group/command/payload.
    static LinkPacket make(std::uint8_t group, std::uint8_t command,
                           std::initializer_list<std::uint8_t> payload = {});
    static LinkPacket make(std::uint8_t group, std::uint8_t command, const std::uint8_t* payload,
                           int payloadCount);
};

// CAN_MONITOR_SET as the unit takes it: [chk][4][1][92][flag]. The length byte
// says 4 and the checksum covers three bytes; the flag rides outside both.
LinkPacket CanMonitorSetPacket(bool on);

} // namespace vm
