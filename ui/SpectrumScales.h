#pragma once

#include <array>
#include <cstdint>

namespace quaverly {

// Size of the spectrum picture (VisBox) and of its 19 bands.
constexpr int kSpectrumWidth = 171;
constexpr int kSpectrumHeight = 92;
constexpr int kSpectrumBands = 19;
constexpr int kSpectrumBandWidth = 9;   // band i (1 ... 19) starts at x = (i - 1) * 9

// A pixel as 32-bit images store it: 0xAARRGGBB, alpha always 0xFF.
using TPixel = std::uint32_t;

constexpr TPixel SpectrumPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return 0xFF000000u | (TPixel(r) << 16) | (TPixel(g) << 8) | TPixel(b);
}

constexpr TPixel kSpectrumBlack = SpectrumPixel(0, 0, 0);
constexpr TPixel kLedGreen = SpectrumPixel(136, 226, 23);

// The two 9-pixel-wide, 92-row patterns the bars are cut from. Every row of
// each is one colour, so a row is kept as that colour and a block of w pixels
// is copied as w pixels of its row's colour.
struct TSpectrumScales {
    // LED pattern: green segments of two rows with a black row between.
    std::array<TPixel, kSpectrumHeight> Segment{};
    // Colour scale: red at the top through yellow, green and cyan to blue at
    // the bottom; row 92 - v is the colour of a level v.
    std::array<TPixel, kSpectrumHeight> Gradient{};
};

// Computes both patterns, once, row by row from the top.
TSpectrumScales MakeSpectrumScales();

}  // namespace quaverly
