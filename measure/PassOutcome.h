#pragma once

#include "Measurements.h"
#include "Uncertainty.h"
#include "Verdict.h"

#include <QDateTime>
#include <array>
#include <optional>
#include <string>
#include <vector>

// One measurement pass as a value: when it ended and how, the set-up it ran
// with, the answers it read and the values it took from them, the figures it
// computed, and what its boxes showed. This is what every consumer of a pass
// reads (the record, a row on standard output); nothing reads a box back to
// learn a figure. What the pass did not reach stays empty.
struct PassOutcome {
    enum class Ending { Complete, Stopped, LinkFailure };
    enum Value {
        Frequency,
        InputVoltage,
        InputCurrent,
        InputPower,
        OutputVoltage,
        OutputCurrent,
        OutputPower,
        ValueCount
    };
    // The result boxes, in the order the record keeps them.
    enum Box {
        FrequencyBox,
        InputVoltageBox,
        InputCurrentBox,
        ApparentInputPowerBox,
        InputPhaseAngleBox,
        ReactiveInputPowerBox,
        InputPowerBox,
        OutputVoltageBox,
        OutputCurrentBox,
        ApparentOutputPowerBox,
        ApparentMultiplierBox,
        OutputPhaseAngleBox,
        ReactiveOutputPowerBox,
        OutputPowerBox,
        PhaseEfficiencyBox,
        ResistorOutputPowerBox,
        ResistorEfficiencyBox,
        TimestampBox,
        BoxCount
    };
    // The operator's choices in the main window, as they show.
    struct SetUp {
        std::string transformer;   // TRANSFORMER
        std::string supply;        // POWER SUPPLY (V RMS)
        std::string loadResistor;  // SELECT LOAD RESISTOR (OHMS)
        std::string loadCapacitor; // LOAD CAPACITOR (uF)
        std::string sampleAverage; // SAMPLE AVERAGE
        std::string comment;       // COMMENT
    };
    // What the pass was measured with.
    struct Instrument {
        std::string programVersion;
        std::string scopeIdentity; // the scope's ID answer at connection
        std::string adapter;       // the adapter's serial number, or "simulated"
        std::string usbPort;       // USB PORT, as shown
        // The simulated bench's own errors ("simulated bench, errors seed 7");
        // empty on real hardware. A calibration knows the bench by it too.
        std::string simulation;
    };
    // The scope's set-up as the settings window last showed it after reading
    // or writing it; empty before the first GET SETTINGS.
    struct ScopeSetUp {
        struct Channel {
            std::string voltProbe, ampProbe, scale, gain;
        };
        std::array<Channel, 4> channels; // CH1 to CH4
        std::string mathScale, mathGain;
        std::string recognised; // the transformer set-up the probes named
    };

    QDateTime when;
    Ending ending = Ending::Complete;
    // The pass's own identity (a UUID) and the bench it was measured on.
    std::string passId;
    std::string bench;
    // What the pass belongs to beyond itself: a characterisation (its UUID),
    // a unit's test (the unit, the operator, the lot, the test's UUID and its
    // step), each empty where there is none; on the simulated bench the
    // unit's true verdict under the plan.
    struct Belongs {
        std::string characterisationId;
        std::string unit, operatorName, lot, unitTestId, step;
        std::string simulatedTrueVerdict;
    };
    Belongs belongs;
    SetUp setUp;
    Instrument instrument;
    ScopeSetUp scopeSetUp;
    std::array<std::optional<std::string>, ValueCount> answers;
    std::array<std::optional<double>, ValueCount> values;
    Figures figures;
    std::array<std::string, BoxCount> shown;
    // The accuracy the bench was declared with, and the U of every value and
    // figure from it.
    Accuracy accuracy;
    PassUncertainty uncertainty;
    // On the simulated bench: the circuit's own real powers, in watts.
    struct Truth {
        double inputPower = 0, outputPower = 0;
    };
    std::optional<Truth> truth;
    // Judged against a limit set (none without one).
    std::optional<PassVerdict> verdict;
    // The output readings corrected by the channel calibration held for this
    // adapter and these ranges: which calibration applied (or why none did)
    // and both efficiencies with their U from it.
    struct Calibrated {
        std::string calibration; // empty: none held
        bool applied = false;
        std::optional<double> phaseEfficiency, resistorEfficiency;
        Expanded uPhaseEfficiency, uResistorEfficiency;
        // The check on the calibration: the two calibrated estimates against
        // each other (they share the calibration but not R and the output
        // current's own terms), and each against its uncalibrated estimate.
        // Empty when it fits; else why, starting "calibration does not fit
        // this bench". A calibration that does not fit gives no verdict.
        std::string misfit;
        std::optional<double> ratio, uRatio; // eta'/etaR' and its U (relative)
        // The output as the input's channels would have read it: V, A, W, var.
        std::optional<double> outputVoltage, outputCurrent, outputPower, outputReactive;
    };
    Calibrated calibrated;
    // The figures computed beyond the boxes (the figure catalogue's), each
    // with its U, in the catalogue's order; empty until they are computed.
    struct MoreFigure {
        std::optional<double> value;
        Expanded U;
    };
    std::vector<MoreFigure> more;
};

// The U of a pass's values and figures from its accuracy and the scope's
// set-up (the channels' scales).
PassUncertainty passUncertainty(const PassOutcome& pass);
