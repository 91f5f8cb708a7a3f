// The colours of the past performance and hit list windows (0xRRGGBB).
#pragma once
#include <cstdint>

namespace kv::history::colour {
inline constexpr std::uint32_t Yellow = 0xFFFF00;
inline constexpr std::uint32_t Cyan = 0x00FFFF;
inline constexpr std::uint32_t Red = 0xFF0000;
inline constexpr std::uint32_t Navy = 0x000080;
inline constexpr std::uint32_t White = 0xFFFFFF;
inline constexpr std::uint32_t LightGreen = 0x00FF00;
inline constexpr std::uint32_t Blue = 0x0000FF;
inline constexpr std::uint32_t Magenta = 0xFF00FF;
}  // namespace kv::history::colour
