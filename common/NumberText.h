#pragma once

#include <optional>
#include <string_view>

// Reads a number the way the scope writes it and an operator types it: an
// optional sign, digits with an optional decimal point, an optional exponent
// ("1.5E+3", "-.25", "20"). Blanks around it are allowed; anything else, and
// values too large for a double, give no number.
std::optional<double> parseNumber(std::string_view text);

// A whole number within 32 bits, written as plain digits ("16", " 64 ").
std::optional<int> parseWholeNumber(std::string_view text);
