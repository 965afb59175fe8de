#include "protocol/frame_codec.h"
#include "protocol/message_catalogue.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vm {

std::uint8_t FrameChecksum(const std::uint8_t* data, int count) {
    std::uint8_t sum = 0;
    for (int i = 0; i < count; ++i) sum ^= data[i];
    return sum;
}

std::uint8_t LinkPacket::payload(int i) const { return at(kMinPacketLength + i); }

std::uint8_t LinkPacket::at(int pos) const {
    return (pos >= 0 && pos < size) ? bytes[static_cast<std::size_t>(pos)] : 0;
}

bool LinkPacket::checksumOk() const {
    const int len = length();
    if (len < 2 || len > size) return false;
    return FrameChecksum(&bytes[1], len - 1) == bytes[0];
}

void LinkPacket::seal() {
    bytes[1] = static_cast<std::uint8_t>(size);
    bytes[0] = FrameChecksum(&bytes[1], size - 1);
}

LinkPacket LinkPacket::make(std::uint8_t group, std::uint8_t command,
                            std::initializer_list<std::uint8_t> payload) {
    return make(group, command, payload.begin(), static_cast<int>(payload.size()));
}

LinkPacket LinkPacket::make(std::uint8_t group, std::uint8_t command, const std::uint8_t* payload,
                            int payloadCount) {
    LinkPacket p;
    payloadCount = std::clamp(payloadCount, 0, kMaxPacketBytes - kMinPacketLength);
    p.bytes[0] = 0x55;
    p.bytes[2] = group;
    p.bytes[3] = command;
    if (payloadCount > 0) std::memcpy(&p.bytes[4], payload, static_cast<std::size_t>(payloadCount));
    p.size = kMinPacketLength + payloadCount;
    p.seal();
    return p;
}

LinkPacket CanMonitorSetPacket(bool on) {
    LinkPacket p = LinkPacket::make(kGroupApp, msg::CAN_MONITOR_SET);
    p.bytes[4] = on ? 1 : 0;
    p.size = kMinPacketLength + 1;
    return p;
}

int SlipEncode(const std::uint8_t* packet, int frameLength, std::uint8_t* out, int outSize) {
    int n = 0;
    auto put = [&](std::uint8_t b) {
        if (n >= outSize) return false;
        out[n++] = b;
        return true;
    };
    if (!put(SLIP_END)) return 0;
    for (int i = 0; i < frameLength; ++i) {
        const std::uint8_t b = packet[i];
        bool ok = true;
        if (b == SLIP_END) ok = put(SLIP_ESC) && put(SLIP_ESC_END);
        else if (b == SLIP_ESC) ok = put(SLIP_ESC) && put(SLIP_ESC_ESC);
        else ok = put(b);
        if (!ok) return 0;
    }
    if (!put(SLIP_END)) return 0;
    return n;
}

void SendCommand(FrameSink& sink, const std::uint8_t* packet, std::uint8_t frameLength) {
    std::uint8_t frame[kFrameBufferBytes] = {};
    const int n = SlipEncode(packet, frameLength, frame, kFrameBufferBytes);
    if (n > 0) sink.Enqueue(frame, n);
}

void SendCommand(FrameSink& sink, const LinkPacket& packet) {
    SendCommand(sink, packet.bytes.data(), static_cast<std::uint8_t>(packet.size));
}

namespace {

std::atomic<int> gStrictReentry{-1}; // -1: not decided yet

bool StrictReentry() {
    int strict = gStrictReentry.load();
    if (strict < 0) {
        const char* env = std::getenv("VOLTMAST_STRICT_REENTRY");
        strict = env && std::strcmp(env, "1") == 0 ? 1 : 0;
        gStrictReentry.store(strict);
    }
    return strict == 1;
}

// Marks the assembler busy while a callback holds its bytes.
struct HandOut {
    bool& flag;
    explicit HandOut(bool& f) : flag(f) { flag = true; }
    ~HandOut() { flag = false; }
    HandOut(const HandOut&) = delete;
    HandOut& operator=(const HandOut&) = delete;
};

} // namespace

void FrameAssembler::SetStrictReentry(bool strict) { gStrictReentry.store(strict ? 1 : 0); }

FrameAssembler::FrameAssembler(Receiver receiver, RejectHandler onReject)
    : receiver_(std::move(receiver)), onReject_(std::move(onReject)) {}

void FrameAssembler::PutByte(std::uint8_t byte) { PutBytes(&byte, 1); }

void FrameAssembler::PutBytes(const std::uint8_t* data, int count) {
    if (handingOut_) {
        defer(data, count);
        return;
    }
    feed(data, count);
    while (!deferred_.empty()) {
        const std::vector<std::uint8_t> bytes = std::move(deferred_);
        const bool cut = deferredCut_;
        deferred_.clear();
        deferredCut_ = false;
        feed(bytes.data(), static_cast<int>(bytes.size()));
        if (cut) Resync();
    }
}

void FrameAssembler::Resync() {
    count_ = 0;
    discarding_ = true;
}

void FrameAssembler::defer(const std::uint8_t* data, int count) {
    ++reentries_;
    if (StrictReentry()) {
        std::fprintf(stderr, "FrameAssembler: bytes arrived while a packet was being handed out\n");
        std::abort();
    }
    if (count <= 0) return;
    const std::size_t room = kMaxDeferredBytes - std::min(kMaxDeferredBytes, deferred_.size());
    const std::size_t keep = std::min(room, static_cast<std::size_t>(count));
    deferred_.insert(deferred_.end(), data, data + keep);
    if (keep < static_cast<std::size_t>(count)) deferredCut_ = true;
}

void FrameAssembler::feed(const std::uint8_t* data, int count) {
    for (int i = 0; i < count; ++i) take(data[i]);
}

void FrameAssembler::take(std::uint8_t byte) {
    if (byte == SLIP_END) {
        if (discarding_) {
            discarding_ = false; // this END closes the dropped frame
            count_ = 0;
            return;
        }
        if (count_ == 0) return; // leading or back-to-back END
        finishFrame();
        count_ = 0;
        return;
    }
    if (discarding_) return;
    if (count_ < kMaxPacketBytes) {
        buffer_[static_cast<std::size_t>(count_++)] = byte;
        return;
    }
    // Over-long: the rest of it is no frame of its own either.
    reject(RejectReason::TooLong, count_);
    count_ = 0;
    discarding_ = true;
}

void FrameAssembler::reject(RejectReason reason, int count) {
    ++rejected_;
    if (!onReject_) return;
    HandOut handOut(handingOut_);
    onReject_(reason, buffer_.data(), count);
}

void FrameAssembler::finishFrame() {
    int out = 0;
    for (int in = 0; in < count_; ++in) {
        std::uint8_t b = buffer_[static_cast<std::size_t>(in)];
        if (b == SLIP_ESC) {
            const std::uint8_t next = in + 1 < count_ ? buffer_[static_cast<std::size_t>(++in)] : 0;
            if (next == SLIP_ESC_END) b = SLIP_END;
            else if (next == SLIP_ESC_ESC) b = SLIP_ESC;
            else return reject(RejectReason::BadEscape, count_); // undefined or cut-off escape
        }
        packet_.bytes[static_cast<std::size_t>(out++)] = b;
    }
    // Never hand on a packet whose declared length did not arrive.
    if (out < kMinPacketLength || packet_.bytes[1] < kMinPacketLength || packet_.bytes[1] > out)
        return reject(RejectReason::TooShort, count_);
    packet_.size = out;
    if (!receiver_) return;
    HandOut handOut(handingOut_);
    receiver_(packet_);
}

} // namespace vm
