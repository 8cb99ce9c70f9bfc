#pragma once

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

// The figures derived from them.
struct Figures {
    double ApparentInputPower = 0;
    double InputPhaseRadians = 0;
    double InputPhaseAngle = 0;
    double ReactiveInputPower = 0;
    double ApparentOutputPower = 0;
    double ApparentMultiplier = 0;
    double ApparentMultiplierEfficiency = 0;
    double OutputPhaseRadians = 0;
    double OutputPhaseAngle = 0;
    double ReactiveOutputPower = 0;
    double PhaseEfficiency = 0;
    double LoadResistance = 0;
    double ResistorOutputPower = 0;
    double ResistorEfficiency = 0;
    double EfficiencyDifference = 0;
    double PhaseOutputPowerFactor = 0;
    double ResistorOutputPowerFactor = 0;
    // Scratch values of the phase-angle computation.
    double PowerFactor = 0;
    double SineSquared = 0;
};
