#pragma once

#include <algorithm>
#include <cmath>
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

// WCAG 2's relative luminance and contrast ratio: text is readable on a
// background when the ratio is at least 4.5.
inline double relativeLuminance(Colour c) {
    const auto linear = [](std::uint8_t channel) {
        const double v = channel / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}
inline double contrastRatio(Colour a, Colour b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
