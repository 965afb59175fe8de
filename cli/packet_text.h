#pragma once
// How the command line shows packets and reads bytes.
#include "protocol/link_packet.h"

#include <optional>
#include <string>

namespace vm::cli {

// "1 135 38 2E 31 32 00": group and command in decimal, payload in hex.
std::string FormatPacket(const LinkPacket& packet);
// A byte in decimal (0..255) or hex with 0x; nothing for anything else.
std::optional<std::uint8_t> ParseByte(const std::string& text);

} // namespace vm::cli
