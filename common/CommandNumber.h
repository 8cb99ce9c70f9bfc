#pragma once

#include <cstdint>
#include <string>

// The text form in which a number goes into a scope command and into a few
// log lines: shortest plain decimal form, one leading blank that a minus sign
// takes for a negative value, no zero before the point below 1.
//   10 -> " 10", 0.5 -> " .5", -2 -> "-2", -0.25 -> "-.25"
std::string commandNumber(double value);
std::string commandNumber(std::int32_t value);

// A number as plain text, without the sign blank: 100 -> "100", 0.5 -> "0.5".
std::string plainNumber(double value);
