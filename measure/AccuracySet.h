#pragma once

#include "Uncertainty.h"

#include <string>
#include <variant>

// The declared accuracy as a file the bench keeper writes: a JSON object
// with every key below, each a number, none negative, the coverage factor
// above zero. Nothing else is accepted: a set that is not whole is refused,
// never filled in from the defaults.
struct AccuracyKey {
    const char* key;   // in the file: "scope_gain_percent"
    const char* title; // in the record: "scope gain (%)"
    double Accuracy::*value;
};
inline constexpr AccuracyKey AccuracyKeys[]{
    {"scope_gain_percent", "scope gain (%)", &Accuracy::gainPercent},
    {"offset_divisions", "offset (divisions)", &Accuracy::offsetDivisions},
    {"voltage_probe_percent", "voltage probe (%)", &Accuracy::voltageProbePercent},
    {"current_probe_percent", "current probe (%)", &Accuracy::currentProbePercent},
    {"current_probe_phase_degrees", "current probe phase (degrees)", &Accuracy::phaseLagDegrees},
    {"load_resistor_percent", "load resistor (%)", &Accuracy::resistorPercent},
    {"coverage_factor", "coverage factor", &Accuracy::coverage},
};

// The set in a file's bytes, or one line naming what is wrong with it:
// "accuracy file: \"voltage_probe_percent\" is negative (-2)".
std::variant<Accuracy, std::string> accuracyFromJson(const std::string& bytes);
std::variant<Accuracy, std::string> readAccuracyFile(const std::string& path);
// The set as such a file holds it.
std::string accuracyJson(const Accuracy& a);
