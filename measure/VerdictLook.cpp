#include "VerdictLook.h"

#include <array>

namespace {

// PASS green, CONDITIONAL PASS yellow, NO VERDICT grey, CONDITIONAL FAIL
// orange, FAIL a red dark enough for white text.
constexpr std::array<VerdictLook, 5> Looks{{
    {Colours::Green, Colours::Black},
    {Colours::Yellow, Colours::Black},
    {Colour{0xC0C0C0}, Colours::Black},
    {Colour{0x008CFF}, Colours::Black},
    {Colour{0x0000C0}, Colours::White},
}};

} // namespace

const VerdictLook& lookOf(Verdict v) {
    return Looks[static_cast<std::size_t>(v)];
}
