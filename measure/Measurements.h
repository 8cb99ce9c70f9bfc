#pragma once

#include <optional>
#include <string>

// The seven values one measurement pass reads, with the answer text each was
// cut from; held by the main window until the next pass.
struct Measurements {
    double Frequency = 0;
    double InputVoltage = 0;
    double InputCurrent = 0;
    double InputPower = 0;
    double OutputVoltage = 0;
    double OutputCurrent = 0;
    double OutputPower = 0;

    std::string FrequencyText;
    std::string InputVoltageText;
    std::string InputCurrentText;
    std::string InputPowerText;
    std::string OutputVoltageText;
    std::string OutputCurrentText;
    std::string OutputPowerText;
};

// The figures derived from them, each a number or none: not reached by the
// pass, or without a number (its box then shows "----", or "FAULT" for the
// input phase angle). A number at or beyond a box's limit shows "OVERFLOW"
// and stays as it is.
struct Figures {
    std::optional<double> ApparentInputPower;
    std::optional<double> InputPhaseAngle; // degrees
    std::optional<double> ReactiveInputPower;
    std::optional<double> ApparentOutputPower;
    std::optional<double> ApparentMultiplier;
    std::optional<double> ApparentMultiplierEfficiency;
    std::optional<double> OutputPhaseAngle; // degrees
    std::optional<double> ReactiveOutputPower;
    std::optional<double> PhaseEfficiency;
    std::optional<double> ResistorOutputPower;
    std::optional<double> ResistorEfficiency;
    std::optional<double> EfficiencyDifference;
    std::optional<double> PhaseOutputPowerFactor;
    std::optional<double> ResistorOutputPowerFactor;
    // What the figures were computed with: the load resistance (none for a
    // typed text that is no number) and the phase angles in radians (0
    // without an angle).
    std::optional<double> LoadResistance;
    double InputPhaseRadians = 0;
    double OutputPhaseRadians = 0;
};
