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
    // Received bytes may wait up to ms before they are handed on, so a burst of
    // answers arrives as one batch; 0 hands each on at once (answers awaited).
    virtual void SetHandOffHold(int ms) { (void)ms; }
};

// Encodes frameLength packet bytes into one SLIP frame (END ... END) in out.
// Returns the frame length, or 0 when it would not fit the 256-byte buffer.
int SlipEncode(const std::uint8_t* packet, int frameLength, std::uint8_t* out, int outSize);

// Frames frameLength bytes of packet and queues the frame. frameLength equals the
// length byte for every message except CAN_MONITOR_SET, which carries one byte more.
void SendCommand(FrameSink& sink, const std::uint8_t* packet, std::uint8_t frameLength);
void SendCommand(FrameSink& sink, const LinkPacket& packet);

// Why the assembler dropped a frame.
enum class RejectReason : std::uint8_t {
    BadEscape, // an escape byte followed by anything but ESC_END or ESC_ESC
    TooShort,  // fewer than 4 bytes, or fewer than its length byte declares (or a length byte below 4)
    TooLong,   // more than 200 encoded bytes
};

// Turns received bytes back into packets. A frame longer than 200 encoded bytes
// is dropped whole: nothing is collected until the next END. So is a frame with
// a bad escape or an impossible length byte, so receivers only ever see packets
// whose declared length arrived.
class FrameAssembler {
public:
    using Receiver = std::function<void(const LinkPacket&)>;
    // Told of each dropped frame: the encoded bytes held for it (without END),
    // for a too-long frame the first 200.
    using RejectHandler = std::function<void(RejectReason reason, const std::uint8_t* bytes, int count)>;
    explicit FrameAssembler(Receiver receiver, RejectHandler onReject = {});

    // Bytes that arrive while a packet is being handed out (a nested event loop
    // in the receiver) are kept and taken after it returns, in order. That is a
    // fault of the caller: counted, and fatal under VOLTMAST_STRICT_REENTRY=1
    // (the tests run so) or after SetStrictReentry(true).
    void PutByte(std::uint8_t byte);
    void PutBytes(const std::uint8_t* data, int count);
    // Bytes were lost before the next ones (the link dropped them): the frame
    // in progress is broken. Forget it and collect again after the next END.
    void Resync();
    void SetRejectHandler(RejectHandler onReject) { onReject_ = std::move(onReject); }
    int count() const { return count_; }
    // Waiting for an END before collecting again.
    bool discarding() const { return discarding_; }
    // Frames dropped for a bad escape or length since creation (not those cut by Resync).
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
    void reject(RejectReason reason, int count);

    Receiver receiver_;
    RejectHandler onReject_;
    bool handingOut_ = false;
    int reentries_ = 0;
    std::vector<std::uint8_t> deferred_;
    bool deferredCut_ = false; // deferred_ was full: bytes after it were lost
    std::array<std::uint8_t, kMaxPacketBytes> buffer_{};
    int count_ = 0;
    bool discarding_ = false;
    int rejected_ = 0;
    LinkPacket packet_;
};

} // namespace vm
