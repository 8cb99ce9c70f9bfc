#pragma once

#include "Measurements.h"

#include <optional>
#include <string>

// The figures of a pass as numbers, apart from how their boxes show them.
// None means the figure has no number.

// The arc cosine of a power factor P / S, the way the calculator has always
// computed it (arctangent form, pi as 3.1415926 for the degrees).
struct PhaseAngleResult {
    bool apparentPowerZero = false; // S = 0: the caller's own rule applies
    bool clamped = false;           // P / S was 1 or more and was set to 1
    double powerFactor = 0;
    double sineSquared = 0;
    double radians = 0;
    double degrees = 0;
};
PhaseAngleResult PhaseAngle(double realPower, double apparentPower);

double reactivePower(double phaseRadians, double apparentPower);
// Apparent power out over apparent power in; none when either is zero.
std::optional<double> apparentMultiplier(double apparentInput, double apparentOutput);
// Real power out over real power in, in per cent; none without output or
// without a measured input power, or when the ratio is no number or -inf.
std::optional<double> phaseEfficiency(const Measurements& m);

// The load resistor list's text as a resistance: NO LOAD is an open circuit
// (99999999.9999 ohms), a text that is no number has none.
struct LoadResistor {
    bool noLoad = false;
    std::optional<double> ohms;
};
LoadResistor loadResistor(const std::string& shownText);
// V out squared over R; none without a resistor figure (NO LOAD, no
// number); a resistor of zero or less stands at the box's limit.
std::optional<double> resistorOutputPower(const Measurements& m, const LoadResistor& r);
// The resistor's power over the real input power, in per cent, with the
// same rules as the phase-angle efficiency.
std::optional<double> resistorEfficiency(const Measurements& m, const LoadResistor& r,
                                         std::optional<double> resistorPower);
// |resistor - phase| over their mean, in per cent; none when either is none
// or zero, or they have no mean to compare with.
std::optional<double> efficiencyDifference(std::optional<double> phase, std::optional<double> resistor);
// A real power over the apparent output power; none without apparent output.
std::optional<double> outputPowerFactor(double realPower, double apparentOutput);
