#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The text form in which a number goes into a scope command and into a few
// log lines: shortest plain decimal form, one leading blank that a minus sign
// takes for a negative value, no zero before the point below 1.
//   10 -> " 10", 0.5 -> " .5", -2 -> "-2", -0.25 -> "-.25"
std::string commandNumber(double value);
std::string commandNumber(std::int32_t value);

// What may go to the scope as one command line (before its CR LF): printable
// ASCII, at most LongestCommandText characters. Every line the program
// composes from typed text is checked against this before it is sent.
constexpr std::size_t LongestCommandText = 64;
bool isSendable(std::string_view commandText);

// A number as plain text, without the sign blank: 100 -> "100", 0.5 -> "0.5".
std::string plainNumber(double value);
