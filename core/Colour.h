#pragma once

#include <cstdint>

namespace quaverly {

// A colour as the form stores it: 0x00BBGGRR, the layout the form resource and
// the list view's text colour (RGB(0, 239, 0) = 61184) are written in.
using TColor = std::uint32_t;

constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr std::uint8_t RedOf(TColor c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t GreenOf(TColor c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColor c) { return std::uint8_t((c >> 16) & 0xFF); }

constexpr TColor clBlack = RGB(0, 0, 0);

}  // namespace quaverly
