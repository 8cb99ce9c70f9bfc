#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The scope's averaging counts the SAMPLE AVERAGE list offers.
inline constexpr std::array<const char*, 4> AverageCounts{"4", "16", "64", "128"};

// The count a text names when it is one of the listed ones; only such a
// count is ever applied or sent to the scope.
std::optional<std::int32_t> listedAverageCount(const std::string& text);
