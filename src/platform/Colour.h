#pragma once

#include <cstdint>

namespace tapestra {

// A colour as 0x00BBGGRR: red in the low byte. Stored in the configuration as a decimal
// integer (255 is red, 16711680 blue, 16777215 white).
using TColor = std::int32_t;

constexpr std::uint8_t RedOf(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }
constexpr TColor MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<TColor>(red | (green << 8) | (blue << 16));
}

}  // namespace tapestra
