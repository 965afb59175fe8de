#pragma once
// Intel HEX text of a byte range, 16-byte records with linear base records,
// as the firmware tests need it for images they make themselves.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace vm::test {

inline std::string HexTextOf(const std::vector<std::uint8_t>& bytes, std::uint32_t offset) {
    std::string text;
    char buf[64];
    std::uint32_t base = ~0u;
    for (std::size_t i = 0; i < bytes.size(); i += 16) {
        const std::uint32_t a = offset + static_cast<std::uint32_t>(i);
        if ((a >> 16) != base) {
            base = a >> 16;
            std::snprintf(buf, sizeof buf, ":02000004%04X%02X\n", base, (-(6 + (base >> 8) + (base & 0xFF))) & 0xFF);
            text += buf;
        }
        const std::size_t n = std::min<std::size_t>(16, bytes.size() - i);
        int sum = static_cast<int>(n) + ((a >> 8) & 0xFF) + (a & 0xFF);
        std::snprintf(buf, sizeof buf, ":%02X%04X00", static_cast<int>(n), a & 0xFFFF);
        text += buf;
        for (std::size_t k = 0; k < n; ++k) {
            std::snprintf(buf, sizeof buf, "%02X", bytes[i + k]);
            text += buf;
            sum += bytes[i + k];
        }
        std::snprintf(buf, sizeof buf, "%02X\n", (-sum) & 0xFF);
        text += buf;
    }
    return text + ":00000001FF\n";
}

inline void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

} // namespace vm::test
