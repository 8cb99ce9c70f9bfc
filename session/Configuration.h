#pragma once

#include "Calibration.h"
#include "LimitSet.h"
#include "Uncertainty.h"

#include <optional>
#include <string>
#include <vector>

class MeasuringSession;

// What the command line gives of the configuration a session measures with.
struct ConfigurationGiven {
    std::optional<Accuracy> accuracy;
    std::string accuracyFile;
    std::optional<LimitSet> limits;
    std::string limitsFile;
    std::optional<std::string> bench;
    int calibrationDays = CalibrationDefaultDays;
};

// The accuracy set, calibrations, limit set and bench name in force, found
// the same way by the windows and a script: a file given, else what is kept
// for this adapter, else the defaults; and where each came from.
struct Configuration {
    Accuracy accuracy;
    std::string accuracyFrom; // "file accuracy.json", "kept for adapter simulated", "the defaults"
    std::optional<LimitSet> limits;
    std::string limitsFrom;
    std::vector<ChannelCalibration> calibrations;
    int calibrationDays = CalibrationDefaultDays;
    std::string bench;
    std::string benchFrom;
};

// Reads what is kept (KeptSettings) for the adapter, and keeps a bench name
// given.
Configuration resolveConfiguration(const ConfigurationGiven& given, const std::string& adapter);
// The session measures with it from its next pass; what it later keeps (an
// accuracy accepted, a calibration taken or forgotten) goes back to the
// adapter's settings.
void applyConfiguration(MeasuringSession& session, const Configuration& c);
// One line of it: "configuration: accuracy from the defaults (scope gain 3 %,
// ...); uncalibrated: no channel calibration taken; no limit set; bench
// bench-7 (kept)".
std::string configurationLine(const Configuration& c, const std::string& calibrationStatus);
// The accuracy kept for an adapter, and keeping one.
std::optional<Accuracy> keptAccuracy(const std::string& adapter);
void keepAccuracy(const std::string& adapter, const Accuracy& a);
// The limit set kept from LIMITS, and keeping one (none: forget it).
std::optional<LimitSet> keptLimits();
void keepLimits(const std::optional<LimitSet>& set, const std::string& bytes);
