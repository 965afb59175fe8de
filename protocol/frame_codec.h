#pragma once
// SLIP encoding of outgoing packets and the receive-side frame assembler.
#include "protocol/link_packet.h"

#include <functional>
#include <vector>

namespace vm {

// Anything that accepts an encoded frame for transmission (the link thread's queue).
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void Enqueue(const std::uint8_t* frame, int length) = 0;
};

// A frame sink that can also repeat its last frame when the unit asks for it.
class PacketLink : public FrameSink {
public:
    virtual void ResendLast() = 0;
};

// Encodes frameLength packet bytes into one SLIP frame (END ... END) in out.
// Returns the frame length, or 0 when it would not fit the 256-byte buffer.
int SlipEncode(const std::uint8_t* packet, int frameLength, std::uint8_t* out, int outSize);

// Frames frameLength bytes of packet and queues the frame. frameLength equals the
// length byte for every message except CAN_MONITOR_SET, which carries one byte more.
void SendCommand(FrameSink& sink, const std::uint8_t* packet, std::uint8_t frameLength);
void SendCommand(FrameSink& sink, const LinkPacket& packet);

// Turns received bytes back into packets. A frame longer than 200 encoded bytes
// is dropped; so is a frame with a bad escape or an impossible length byte, so
// receivers only ever see packets whose declared length arrived.
class FrameAssembler {
public:
    using Receiver = std::function<void(const LinkPacket&)>;
    explicit FrameAssembler(Receiver receiver);

    // Bytes that arrive while a packet is being handed out (a nested event loop
    // in the receiver) are kept and taken after it returns, in order. That is a
    // fault of the caller: counted, and fatal under VOLTMAST_STRICT_REENTRY=1
    // (the tests run so) or after SetStrictReentry(true).
    void PutByte(std::uint8_t byte);
    void PutBytes(const std::uint8_t* data, int count);
    int count() const { return count_; }
    // Frames dropped for a bad escape or length since creation.
    int rejected() const { return rejected_; }
    int reentries() const { return reentries_; }
    static void SetStrictReentry(bool strict);

    // Bytes kept from re-entrant calls, at most.
    static constexpr std::size_t kMaxDeferredBytes = 4096;

private:
    void feed(const std::uint8_t* data, int count);
    void take(std::uint8_t byte);
    void defer(const std::uint8_t* data, int count);
    void finishFrame();

    Receiver receiver_;
    bool handingOut_ = false;
    int reentries_ = 0;
    std::vector<std::uint8_t> deferred_;
    std::array<std::uint8_t, kMaxPacketBytes> buffer_{};
    int count_ = 0;
    int rejected_ = 0;
    LinkPacket packet_;
};

} // namespace vm
