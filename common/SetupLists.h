#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The items that mean "nothing chosen": no supply voltage, no load resistor
// or capacitor. Only the set-up model compares a list's text with them.
inline constexpr const char* NoSupplyItem = "OFF";
inline constexpr const char* NoLoadItem = "NO LOAD";

// The items of the main window's set-up lists that do not depend on the
// transformer (its supply voltages do: supplyList()).
inline constexpr std::array<const char*, 6> LoadResistorItems{"NO LOAD", "97.2", "48.0", "23.1", "9.4", "5.0"};
inline constexpr std::array<const char*, 9> LoadCapacitorItems{"NO LOAD", "10",  "20",  "50", "100",
                                                               "200",     "300", "400", "500"};
// The scope's averaging counts the SAMPLE AVERAGE list offers.
inline constexpr std::array<const char*, 4> AverageCounts{"4", "16", "64", "128"};

// The count a text names when it is one of the listed ones; only such a
// count is ever applied or sent to the scope.
std::optional<std::int32_t> listedAverageCount(const std::string& text);
