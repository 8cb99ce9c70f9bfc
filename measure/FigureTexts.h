#pragma once

#include <optional>
#include <string>

// How each figure shows in its box or result line: one function per kind of
// box, from the figure's number or its lack of one.

// APPARENT and REACTIVE powers: "##0.0000".
std::string powerText(double watts);
// The phase angles: "#0.0000" degrees.
std::string angleText(double degrees);
// APPARENT POWER MULTIPLIER: "----" without one, "OVERFLOW" from 999.9.
std::string multiplierText(std::optional<double> multiplier);
// The multiplier's percentage in the event list: "----", "OVERFLOW" from 99999.99.
std::string multiplierEfficiencyText(std::optional<double> percent);
// Both EFFICIENCY boxes: "----", grouped with two decimals, "OVERFLOW" from 9999999.9.
std::string efficiencyText(std::optional<double> percent);
// RESISTOR REAL OUTPUT POWER: "----", "OVERFLOW" from 999.9999.
std::string resistorPowerText(std::optional<double> watts);
// The difference line's figure: "##0.000", "----" without one.
std::string differenceText(std::optional<double> percent);
// The power factor lines: "##0.000", "----" without one or for no finite number.
std::string powerFactorText(std::optional<double> factor);
