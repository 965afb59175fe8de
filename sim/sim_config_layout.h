#pragma once
// Packet positions of the configuration blocks and a small writer over one
// block's payload, shared by the factory defaults and the random image.
#include "sim/sim_config.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace vm::sim::cfgpos {

constexpr int kNameWidth = 15;

namespace input {
constexpr int kNumber = 4, kName = 5, kMode = 20;
}
namespace output {
constexpr int kChannel = 4, kMaxCurrent = 5 /* big-endian */, kPeak = 7, kTrigger = 8, kLevel = 9, kName = 10,
              kDelay = 25, kOnTime = 26, kLowCurrent = 27 /* little-endian */, kLowCurrentTime = 29;
}
namespace pwm {
constexpr int kInputPwm = 4, kPwm1 = 5, kPwm2 = 6;
}
namespace lowbatt {
constexpr int kLow = 4, kHigh = 5, kSlots = 6, kSlotCount = 12;
}
namespace start {
constexpr int kTrigger = 4, kSlots = 5, kSlotCount = 16;
}
namespace canrule {
constexpr int kIndex = 4, kEnabled = 5, kOnId = 6, kOffId = 8, kOnValue = 10, kOffValue = 12, kOnOp = 14,
              kOffOp = 15, kOnHigh = 16, kOnLow = 17, kOffHigh = 18, kOffLow = 19, kName = 20,
              kRowEnable = 35, kRowByte = 36, kRowValue = 37, kDataType = 38, kDimension = 39,
              kDimensionWidth = 5, kMultiplicator = 44, kOffset = 48;
}
namespace cansettings {
constexpr int kEnable = 4, kInputPin = 5;
}
namespace boxname {
constexpr int kName = 4, kWidth = 16;
}
namespace virt {
constexpr int kIndex = 4, kTerm1 = 6, kOp1 = 9, kOp2 = 10, kName = 11, kDelay1 = 26, kInvert = 29;
}
namespace flash {
constexpr int kIndex = 4, kEnabled = 5, kContinuous = 6, kTrigger = 7, kFlashTime = 8, kDuration = 9,
              kChannels = 10, kChannelCount = 4, kName = 14, kNameWidth = 15;
}
namespace export1 {
constexpr int kEnable = 5, kRefresh = 6, kId = 8, kData = 10, kDataCount = 18, kRowCount = 28;
}
namespace exportn {
constexpr int kIndex = 4, kEnable = 5, kRefresh = 6, kId = 8, kBits = 10;
constexpr int BitCount(int index) { return index == 2 ? 64 : 34; }
} // namespace exportn

// Writes fields into one payload by packet position.
struct BlockWriter {
    ConfigBytes& bytes;
    void put(int pos, std::uint8_t v) { bytes.at(static_cast<std::size_t>(pos - 4)) = v; }
    void le16(int pos, unsigned v) {
        put(pos, static_cast<std::uint8_t>(v));
        put(pos + 1, static_cast<std::uint8_t>(v >> 8));
    }
    void be16(int pos, unsigned v) {
        put(pos, static_cast<std::uint8_t>(v >> 8));
        put(pos + 1, static_cast<std::uint8_t>(v));
    }
    void fill(int pos, int count, std::uint8_t v) {
        for (int i = 0; i < count; ++i)
            put(pos + i, v);
    }
    // Zero-padded; text longer than the field is cut.
    void text(int pos, int width, const std::string& s) {
        fill(pos, width, 0);
        const int n = std::min(width, static_cast<int>(s.size()));
        for (int i = 0; i < n; ++i)
            put(pos + i, static_cast<std::uint8_t>(s[static_cast<std::size_t>(i)]));
    }
    void f32(int pos, float v) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        le16(pos, bits & 0xFFFFu);
        le16(pos + 2, bits >> 16);
    }
};

} // namespace vm::sim::cfgpos
