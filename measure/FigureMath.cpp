#include "FigureMath.h"

#include "NumberText.h"

#include <cmath>

namespace {

constexpr double OpenCircuitOhms = 99999999.9999;
constexpr double PowerLimit = 999.9999;

// An efficiency beyond the range of a double is still a value at or above
// every limit; below zero or no number at all, it is none.
bool isEfficiency(double value) {
    return !std::isnan(value) && !(std::isinf(value) && value < 0);
}

bool hasOutputAndInput(const Measurements& m) {
    return m.OutputCurrent != 0 && m.OutputVoltage != 0 && m.InputPower != 0;
}

} // namespace

PhaseAngleResult PhaseAngle(double realPower, double apparentPower) {
    PhaseAngleResult r;
    if (apparentPower == 0) {
        r.apparentPowerZero = true;
        return r;
    }
    r.powerFactor = realPower / apparentPower;
    if (r.powerFactor >= 1) {
        r.powerFactor = 1;
        r.clamped = true;
    }
    r.sineSquared = 1 - r.powerFactor * r.powerFactor;
    if (r.sineSquared == 0) {
        return r;
    }
    if (r.sineSquared < 0) {
        r.sineSquared = std::fabs(r.sineSquared);
    }
    r.radians = std::atan(-r.powerFactor / std::sqrt(r.sineSquared)) + 2 * std::atan(1.0);
    r.degrees = r.radians / 3.1415926 * 180;
    return r;
}

double reactivePower(double phaseRadians, double apparentPower) {
    return std::sin(phaseRadians) * apparentPower;
}

std::optional<double> apparentMultiplier(double apparentInput, double apparentOutput) {
    if (apparentInput == 0 || apparentOutput == 0) {
        return std::nullopt;
    }
    return apparentOutput / apparentInput;
}

std::optional<double> phaseEfficiency(const Measurements& m) {
    const double efficiency = m.OutputPower / m.InputPower * 100;
    if (!hasOutputAndInput(m) || !isEfficiency(efficiency)) {
        return std::nullopt;
    }
    return efficiency;
}

LoadResistor loadResistor(const std::string& shownText) {
    if (shownText == "NO LOAD") {
        return {true, OpenCircuitOhms};
    }
    return {false, parseNumber(shownText)};
}

std::optional<double> resistorOutputPower(const Measurements& m, const LoadResistor& r) {
    if (r.noLoad || !r.ohms) {
        return std::nullopt;
    }
    if (*r.ohms <= 0) {
        return PowerLimit;
    }
    return m.OutputVoltage * m.OutputVoltage / *r.ohms;
}

std::optional<double> resistorEfficiency(const Measurements& m, const LoadResistor& r,
                                         std::optional<double> resistorPower) {
    const double efficiency = resistorPower.value_or(0) / m.InputPower * 100;
    if (r.noLoad || !r.ohms || !hasOutputAndInput(m) || !isEfficiency(efficiency)) {
        return std::nullopt;
    }
    return efficiency;
}

std::optional<double> efficiencyDifference(std::optional<double> phase, std::optional<double> resistor) {
    const double p = phase.value_or(0);
    const double r = resistor.value_or(0);
    const double mean = (r + p) / 2;
    const double difference = std::fabs(r - p) / mean * 100;
    // Two efficiencies of equal size and opposite sign have no mean to compare with.
    if (p == 0 || r == 0 || mean == 0 || !std::isfinite(difference)) {
        return std::nullopt;
    }
    return difference;
}

std::optional<double> outputPowerFactor(double realPower, double apparentOutput) {
    if (apparentOutput == 0) {
        return std::nullopt;
    }
    return realPower / apparentOutput;
}
