#pragma once

#include <cstdint>

// A 24-bit colour with red in the lowest byte, green in the middle and blue in
// the highest, the way the instrument's software has always written colours.
struct Colour {
    std::uint32_t value = 0;

    constexpr std::uint8_t red() const { return static_cast<std::uint8_t>(value & 0xFF); }
    constexpr std::uint8_t green() const { return static_cast<std::uint8_t>((value >> 8) & 0xFF); }
    constexpr std::uint8_t blue() const { return static_cast<std::uint8_t>((value >> 16) & 0xFF); }
    friend constexpr bool operator==(Colour a, Colour b) { return a.value == b.value; }
};

namespace Colours {
constexpr Colour Black{0};
constexpr Colour Red{255};
constexpr Colour Green{65280};
constexpr Colour Blue{16711680};
constexpr Colour Yellow{65535};
constexpr Colour Magenta{16711935};
constexpr Colour White{16777215};
} // namespace Colours
