#include "cli/packet_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vm::cli {

std::string FormatPacket(const LinkPacket& packet) {
    std::string out = std::to_string(packet.group()) + " " + std::to_string(packet.command());
    const int end = std::min<int>(packet.length(), packet.size);
    for (int i = kMinPacketLength; i < end; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", packet.bytes[static_cast<std::size_t>(i)]);
        out += hex;
    }
    return out;
}

std::optional<std::uint8_t> ParseByte(const std::string& text) {
    int base = 10;
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    if (digits.empty() || digits.size() > 3) return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        const unsigned char u = static_cast<unsigned char>(c);
        unsigned d;
        if (std::isdigit(u)) d = static_cast<unsigned>(c - '0');
        else if (base == 16 && std::isxdigit(u)) d = static_cast<unsigned>(std::tolower(u) - 'a' + 10);
        else return std::nullopt;
        value = value * static_cast<unsigned>(base) + d;
    }
    if (value > 255) return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

} // namespace vm::cli
