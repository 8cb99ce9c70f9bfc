#pragma once

#include "Uncertainty.h"

#include <string>
#include <variant>

// The declared accuracy as a file the bench keeper writes: a JSON object
// with every key below, each a number, none negative, the coverage factor
// above zero. Nothing else is accepted: a set that is not whole is refused,
// never filled in from the defaults.
// Each key has a plausible range, both ends included: a value outside it is
// refused with the key and its range, never clamped.
struct AccuracyKey {
    const char* key;   // in the file: "scope_gain_percent"
    const char* title; // in the record: "scope gain (%)"
    double Accuracy::*value;
    double lowest, highest;
};
inline constexpr AccuracyKey AccuracyKeys[]{
    {"scope_gain_percent", "scope gain (%)", &Accuracy::gainPercent, 0, 50},
    {"offset_divisions", "offset (divisions)", &Accuracy::offsetDivisions, 0, 2},
    {"voltage_probe_percent", "voltage probe (%)", &Accuracy::voltageProbePercent, 0, 50},
    {"current_probe_percent", "current probe (%)", &Accuracy::currentProbePercent, 0, 50},
    {"current_probe_phase_degrees", "current probe phase (degrees)", &Accuracy::phaseLagDegrees, 0, 30},
    {"load_resistor_percent", "load resistor (%)", &Accuracy::resistorPercent, 0, 50},
    {"coverage_factor", "coverage factor", &Accuracy::coverage, 1, 5},
};
// "0 to 50"
std::string rangeText(const AccuracyKey& k);
// Why a value of the key is refused, in words; empty when it is accepted.
std::string whyRefused(const AccuracyKey& k, double value);

// The set in a file's bytes, or one line naming what is wrong with it:
// "accuracy file: \"voltage_probe_percent\" is negative (-2)".
std::variant<Accuracy, std::string> accuracyFromJson(const std::string& bytes);
std::variant<Accuracy, std::string> readAccuracyFile(const std::string& path);
// The set as such a file holds it.
std::string accuracyJson(const Accuracy& a);
