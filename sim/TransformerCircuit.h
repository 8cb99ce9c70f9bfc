#pragma once

#include <complex>
#include <optional>
#include <string>

// A transformer under test in its equivalent circuit: winding resistances and
// leakage inductances on both sides, the magnetising inductance in parallel
// with the core-loss resistance, and the turns ratio; the load resistor and
// the load capacitor in parallel on the secondary. Solved in steady state.
struct TransformerModel {
    std::string name;
    double turnsRatio = 1;     // primary turns / secondary turns
    double primaryR = 0;       // ohm
    double primaryLeakage = 0; // henry
    double secondaryR = 0;     // ohm
    double secondaryLeakage = 0;
    double magnetising = 1; // henry
    double coreLossR = 1e6; // ohm
    // The core's loss grows as the supply to this power (2: a fixed core-loss
    // resistance); otherwise the resistance is coreLossR at the reference
    // supply and scaled so (for tests of the loss's law).
    double coreLossExponent = 2;
    double coreReferenceVolts = 10;
    // The probes the presets expect on this transformer, CH1..CH4: voltage
    // probes on CH1 and CH3, current probes on CH2 and CH4.
    double ch1Probe = 20, ch2CurrentProbe = 10, ch3Probe = 20, ch4CurrentProbe = 10;

    static TransformerModel splitFlux();
    static TransformerModel standard();
};

// The circuit's state: phasors in rms volts and amps.
struct CircuitSolution {
    std::complex<double> inputVoltage;
    std::complex<double> inputCurrent;
    std::complex<double> outputVoltage; // across the load
    std::complex<double> outputCurrent; // into the load
    double inputPower = 0;              // W, real
    double outputPower = 0;
    double efficiency() const { return inputPower > 0 ? outputPower / inputPower : 0; }
};

struct CircuitConditions {
    double supplyVolts = 10;        // V rms
    double frequency = 60;          // Hz
    std::optional<double> loadOhms; // none: the load resistor is open
    double loadMicrofarads = 0;     // 0: no load capacitor
};

CircuitSolution solve(const TransformerModel& t, const CircuitConditions& c);

// What a characterisation of the transformer should find, from the circuit
// itself: the no-load loss at a supply, the winding resistance referred to
// the secondary (R2 + R1 / n^2), and the highest efficiency over resistive
// loads at a supply with the load that gives it (a fine sweep); with a load
// capacitor, it is beside every load, the no-load loss's included.
struct CircuitTruth {
    double noLoadLoss = 0;         // W
    double referredResistance = 0; // ohm
    double bestEfficiency = 0;     // %
    double bestLoadOhms = 0;
    double bestCurrent = 0; // A
};
CircuitTruth circuitTruth(const TransformerModel& t, double supplyVolts, double frequency, double microfarads = 0);

// A unit of a kind as a production lot holds it (--simulate-unit SEED): the
// core-loss resistance and both winding resistances each drawn uniformly
// within +-UnitSpreadPercent of the kind's, from the seed.
inline constexpr double UnitSpreadPercent = 20;
TransformerModel unitOf(const TransformerModel& kind, unsigned seed);
