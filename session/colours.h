#pragma once
// Display colours as Windows colour values (0x00BBGGRR), the way the unit's
// tools have always named them. Widgets turn them into QColor.
#include <cstdint>

namespace vm::colour {
constexpr std::uint32_t Red = 0x0000FF;
constexpr std::uint32_t Green = 0x00FF00;
constexpr std::uint32_t Yellow = 0x00FFFF;
constexpr std::uint32_t Blue = 0xFF0000;
constexpr std::uint32_t White = 0xFFFFFF;
// Not a colour but "the system's button face": the widget's own palette.
constexpr std::uint32_t ButtonFace = 0xFF00000F;
} // namespace vm::colour
