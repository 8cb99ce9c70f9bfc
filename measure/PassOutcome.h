#pragma once

#include <array>
#include <optional>
#include <string>

// What one measurement pass reached, for a record of it: how it ended, the
// answers it read and the values it took from them, and the figures it
// computed. What the pass did not reach, or a figure it has no number for
// (a box showing "----"), stays empty.
struct PassOutcome {
    enum class Ending { Complete, Stopped, LinkFailure };
    enum Value {
        Frequency, InputVoltage, InputCurrent, InputPower,
        OutputVoltage, OutputCurrent, OutputPower, ValueCount
    };
    enum Figure {
        ApparentInputPower, InputPhaseAngle, ReactiveInputPower, ApparentOutputPower,
        ApparentMultiplier, ApparentMultiplierEfficiency, OutputPhaseAngle, ReactiveOutputPower,
        PhaseEfficiency, ResistorOutputPower, ResistorEfficiency, EfficiencyDifference,
        PhaseOutputPowerFactor, ResistorOutputPowerFactor, FigureCount
    };

    Ending ending = Ending::Complete;
    std::array<std::optional<std::string>, ValueCount> answers;
    std::array<std::optional<double>, ValueCount> values;
    std::array<std::optional<double>, FigureCount> figures;
};
