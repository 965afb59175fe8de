#pragma once
// Answers of the unit as tests write them: the bytes that matter, padded with
// zeros to the length the answer's layout needs.
#include "protocol/link_packet.h"
#include "protocol/message_catalogue.h"
#include "session/answer_layouts.h"

#include <initializer_list>
#include <vector>

namespace vm::test {

inline LinkPacket Answer(std::uint8_t code, std::initializer_list<std::uint8_t> first = {}) {
    std::vector<std::uint8_t> payload(first);
    const std::size_t needed = static_cast<std::size_t>(MinAnswerLength(code) - kMinPacketLength);
    if (payload.size() < needed) payload.resize(needed, 0);
    return LinkPacket::make(kGroupApp, code, payload.data(), static_cast<int>(payload.size()));
}

} // namespace vm::test
