#pragma once

#include "PassOutcome.h"

#include <QDate>
#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// What a channel calibration found: with both voltage probes on one node and
// both current probes around one conductor, how CH3 reads against CH1, CH4
// against CH2, and the phase between CH3 and CH4 against the phase between
// CH1 and CH2, on the ranges in use. A later pass on the same ranges reads
// its output as the input's channels would have read it, so the gains the
// two sides then share drop out of its efficiency.
// What a calibration was taken with, as a pass knows its bench: a
// calibration applies only where every part of it is the same.
struct BenchIdentity {
    std::string adapter;               // its serial number, or "simulated"
    std::string simulation;            // the simulated bench's errors; empty on real hardware
    std::string scopeIdentity;         // the scope's ID answer
    std::array<std::string, 4> probes; // CH1..CH4 probe factors, "20X" (volt) or "10X" (amp)
    std::array<std::string, 4> ranges; // CH1..CH4 scales as the settings window showed them
};
BenchIdentity identityOf(const PassOutcome& pass);

struct ChannelCalibration {
    std::string adapter;               // its serial number, or "simulated"
    QDate date;                        // when it was taken
    std::array<std::string, 4> ranges; // CH1..CH4 scales as the settings window showed them
    // The rest of the bench it was taken on; a calibration kept before they
    // were known holds `known` false and applies nowhere.
    std::string simulation, scopeIdentity;
    std::array<std::string, 4> probes;
    bool known = true;
    double voltageRatio = 1;     // CH1 / CH3
    double currentRatio = 1;     // CH2 / CH4
    double phaseDegrees = 0;     // CH1-CH2 angle minus CH3-CH4 angle
    double nodeAngleDegrees = 0; // the CH1-CH2 angle on the node
    // Standard uncertainties of the means: relative, relative, degrees.
    double uVoltageRatio = 0, uCurrentRatio = 0, uPhaseDegrees = 0;
    int readings = 0;
    // On the node, P12 R / V1^2: how CH2 reads against CH1 through the load
    // resistor (1 when they agree), and the scatter of one reading of it
    // (relative). A later pass's two calibrated estimates stand in this same
    // ratio; a channel changed since sets them apart. None without a resistor.
    std::optional<double> resistorFactor;
    double uResistorFactor = 0;
    double loadOhms = 0; // the resistor it was taken with (nominal)

    // "2026-12-09 CH3 x1.0000 CH4 x1.0510 phase +1.00 deg"
    std::string name() const;
    BenchIdentity identity() const;
    // As kept in the settings, and back; none for a text that is not one.
    std::string text() const;
    static std::optional<ChannelCalibration> fromText(const std::string& text);
};

// How many passes a calibration reads and averages.
inline constexpr int CalibrationReadings = 8;
// Below this angle on the node the phase between the pairs cannot be read
// from their real powers (a load capacitor gives it one).
inline constexpr double CalibrationNodeMinDegrees = 3;
// Days a calibration stays good unless the operator says otherwise.
inline constexpr int CalibrationDefaultDays = 30;

// How many calibrations an adapter keeps (the newest).
inline constexpr std::size_t CalibrationsKept = 20;

// The calibration from complete passes read on one node, or why there is none.
std::variant<ChannelCalibration, std::string> calibrationFrom(const std::vector<PassOutcome>& readings,
                                                              const std::string& adapter, QDate today);

// Why a calibration does not apply to a pass (another adapter, bench, scope,
// probe or range, too old); empty when it does.
std::string whyUncalibrated(const ChannelCalibration& c, const PassOutcome& pass, int maxDays, QDate today);
// Of the calibrations kept (newest first), the first that applies to the
// pass; none with the newest's reason when none does ("" when none is kept).
struct CalibrationFound {
    const ChannelCalibration* calibration = nullptr;
    std::string why;
};
CalibrationFound calibrationFor(const std::vector<ChannelCalibration>& kept, const PassOutcome& pass, int maxDays,
                                QDate today);

// The pass's efficiencies with its output read through the calibration, and
// their U: the gains the sides share gone, the calibration's own residual
// and the input current probe's lag (now on both sides) kept; and the check
// that the calibration fits the bench the pass was measured on.
PassOutcome::Calibrated calibratedFigures(const PassOutcome& pass, const std::vector<ChannelCalibration>& kept,
                                          int maxDays, QDate today);
PassOutcome::Calibrated calibratedFigures(const PassOutcome& pass, const std::optional<ChannelCalibration>& c,
                                          int maxDays, QDate today);

// Kept calibrations as the settings keep them (a JSON array, newest first),
// and back; a text of one calibration (as kept before) reads as a list of one.
std::string calibrationsText(const std::vector<ChannelCalibration>& kept);
std::vector<ChannelCalibration> calibrationsFromText(const std::string& text);
