#pragma once
// A link end that records what the code under test sends, decoded back into packets.
#include "protocol/frame_codec.h"

#include <vector>

struct RecordingLink : vm::PacketLink {
    std::vector<vm::LinkPacket> sent;
    int resends = 0;
    vm::FrameAssembler decoder{[this](const vm::LinkPacket& p) { sent.push_back(p); }};
    void Enqueue(const std::uint8_t* frame, int n) override { decoder.PutBytes(frame, n); }
    void ResendLast() override { ++resends; }
    int hold = -1; // the last hand-off hold asked for
    void SetHandOffHold(int ms) override { hold = ms; }
    std::vector<int> commands() const {
        std::vector<int> out;
        for (const auto& p : sent)
            out.push_back(p.command());
        return out;
    }
};
