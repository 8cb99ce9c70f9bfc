#include "FigureTexts.h"

#include "DisplayPattern.h"

#include <cmath>

namespace {

constexpr const char* NoValue = "----";
constexpr const char* Overflow = "OVERFLOW";

// "----" without a number, "OVERFLOW" at or above the limit, else the pattern.
std::string limited(std::optional<double> value, double limit, const char* pattern) {
    if (!value) {
        return NoValue;
    }
    return *value < limit ? formatPattern(*value, pattern) : Overflow;
}

} // namespace

std::string powerText(double watts) {
    return formatPattern(watts, "##0.0000");
}

std::string angleText(double degrees) {
    return formatPattern(degrees, "#0.0000");
}

std::string multiplierText(std::optional<double> multiplier) {
    return limited(multiplier, 999.9, "##0.0000");
}

std::string multiplierEfficiencyText(std::optional<double> percent) {
    return limited(percent, 99999.99, "##,##0.00");
}

std::string efficiencyText(std::optional<double> percent) {
    return limited(percent, 9999999.9, "##,###,##0.00");
}

std::string resistorPowerText(std::optional<double> watts) {
    return limited(watts, 999.9999, "##0.0000");
}

std::string differenceText(std::optional<double> percent) {
    return percent ? formatPattern(*percent, "##0.000") : NoValue;
}

std::string powerFactorText(std::optional<double> factor) {
    return factor && std::isfinite(*factor) ? formatPattern(*factor, "##0.000") : NoValue;
}
