#pragma once

#include "Measurements.h"

#include <array>
#include <optional>
#include <string>

// How good the bench is, as its keeper declares it: each a half-width of a
// rectangular distribution (u = a / sqrt 3), and the coverage factor that
// turns a standard uncertainty into the expanded one shown.
struct Accuracy {
    double gainPercent = 3;         // the scope's vertical gain, % of reading
    double offsetDivisions = 0.05;  // offset, divisions of the channel's scale
    double voltageProbePercent = 2; // a passive voltage probe's ratio
    double currentProbePercent = 4; // a current probe's ratio
    double phaseLagDegrees = 1;     // a current probe's phase lag
    double resistorPercent = 1;     // the load resistor's tolerance
    double coverage = 2;            // k
    bool operator==(const Accuracy&) const = default;
};

// The channels as the pass read them: CH1 input voltage, CH2 input current,
// CH3 output voltage, CH4 output current.
enum Channel { Ch1, Ch2, Ch3, Ch4, ChannelCount };

// What the uncertainty of a pass needs beside its values: each channel's
// scale (units a division, the probe included; none when not known). The
// screen is 4 divisions either side of a trace's own position.
struct ChannelScales {
    std::array<std::optional<double>, ChannelCount> scale;
};

// Every value and figure that can have a U.
enum class Quantity {
    InputVoltage,
    InputCurrent,
    InputPower,
    OutputVoltage,
    OutputCurrent,
    OutputPower,
    ApparentInputPower,
    InputPhaseAngle,
    ReactiveInputPower,
    ApparentOutputPower,
    ApparentMultiplier,
    ApparentMultiplierEfficiency,
    OutputPhaseAngle,
    ReactiveOutputPower,
    PhaseEfficiency,
    ResistorOutputPower,
    ResistorEfficiency,
    EfficiencyDifference,
    PhaseOutputPowerFactor,
    ResistorOutputPowerFactor,
    Count
};
inline constexpr int QuantityCount = static_cast<int>(Quantity::Count);

// One expanded uncertainty U, in the figure's own unit, or why there is none.
struct Expanded {
    enum class State { None, Number, Unusable, Clipped };
    State state = State::None; // None: no number to go with, or nothing declared
    double U = 0;
    std::optional<double> number() const { return state == State::Number ? std::optional<double>(U) : std::nullopt; }
};

struct PassUncertainty {
    std::array<Expanded, QuantityCount> of;
    const Expanded& operator[](Quantity q) const { return of[static_cast<std::size_t>(q)]; }
    Expanded& operator[](Quantity q) { return of[static_cast<std::size_t>(q)]; }
    // The relative U of the ratio of the two efficiency estimates (what the
    // two do not share), and whether they agree within it.
    std::optional<double> estimateRatio;
    std::optional<bool> estimatesAgree;
    // Why a figure should not be trusted as it stands, in words, "; " between:
    // "low input power factor: phase term 3.0 % outweighs gain terms 2.5 %"
    std::string warnings;
    // A figure of the side is marked: low power factor (phase term above the
    // gain terms).
    bool inputLowPowerFactor = false, outputLowPowerFactor = false;
    std::array<bool, ChannelCount> clipped{};
};

// The real power's relative change when the phase between voltage and
// current is off by `degrees`, at power factor `pf`: tan(phi) x dphi, the
// first-order form.
double phasePowerError(double pf, double degrees);
// The exact form: cos(phi + dphi) / cos(phi) - 1.
double phasePowerErrorExact(double pf, double degrees);

// Above this tan(phi) x dphi (the declared lag), the phase-dependent figures
// have no usable number.
inline constexpr double UnusablePhaseTerm = 0.10;

PassUncertainty uncertaintyOf(const Measurements& m, const Figures& f, const Accuracy& a, const ChannelScales& scales);

// "±0.42" (two significant digits), "unusable", "clipped"; empty for none.
std::string uncertaintyText(const Expanded& u);
