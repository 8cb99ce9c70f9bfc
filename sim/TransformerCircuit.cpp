#include "TransformerCircuit.h"

#include <cmath>
#include <random>

namespace {

using Complex = std::complex<double>;

Complex parallel(Complex a, Complex b) {
    return a * b / (a + b);
}

} // namespace

// A split-flux transformer leaks a good part of its flux on purpose: large
// leakage inductances, about 1:1, a few amps at ten volts.
TransformerModel TransformerModel::splitFlux() {
    TransformerModel t;
    t.name = "SPLIT-FLUX TRANSFORMER #1";
    t.turnsRatio = 1.0;
    t.primaryR = 0.35;
    t.primaryLeakage = 1.2e-3;
    t.secondaryR = 0.35;
    t.secondaryLeakage = 1.2e-3;
    t.magnetising = 0.06;
    t.coreLossR = 250;
    t.ch1Probe = 20;
    t.ch2CurrentProbe = 10;
    t.ch3Probe = 20;
    t.ch4CurrentProbe = 10;
    return t;
}

// A small mains step-down transformer, 8:1, a fraction of an amp on the primary.
TransformerModel TransformerModel::standard() {
    TransformerModel t;
    t.name = "STANDARD TRANSFORMER F-54X";
    t.turnsRatio = 8.0;
    t.primaryR = 9.0;
    t.primaryLeakage = 25e-3;
    t.secondaryR = 0.14;
    t.secondaryLeakage = 0.4e-3;
    t.magnetising = 3.0;
    t.coreLossR = 9000;
    t.ch1Probe = 20;
    t.ch2CurrentProbe = 10;
    t.ch3Probe = 1;
    t.ch4CurrentProbe = 10;
    return t;
}

CircuitSolution solve(const TransformerModel& t, const CircuitConditions& c) {
    const double w = 2 * M_PI * c.frequency;
    const Complex j(0, 1);
    // The load: resistor and capacitor in parallel; an open resistor with no
    // capacitor is a very large impedance.
    Complex load = c.loadOhms ? Complex(*c.loadOhms, 0) : Complex(1e12, 0);
    if (c.loadMicrofarads > 0) {
        load = parallel(load, 1.0 / (j * w * c.loadMicrofarads * 1e-6));
    }
    const double n2 = t.turnsRatio * t.turnsRatio;
    const Complex secondaryReferred = n2 * (t.secondaryR + j * w * t.secondaryLeakage + load);
    const double coreR = t.coreLossExponent == 2
                             ? t.coreLossR
                             : t.coreLossR * std::pow(c.supplyVolts / t.coreReferenceVolts, 2 - t.coreLossExponent);
    const Complex core = parallel(Complex(coreR, 0), j * w * t.magnetising);
    const Complex series = t.primaryR + j * w * t.primaryLeakage;
    const Complex vs(c.supplyVolts, 0);
    const Complex i1 = vs / (series + parallel(core, secondaryReferred));
    const Complex vm = vs - i1 * series; // across the magnetising branch
    const Complex i2 = t.turnsRatio * vm / secondaryReferred;

    CircuitSolution s;
    s.inputVoltage = vs;
    s.inputCurrent = i1;
    s.outputCurrent = i2;
    s.outputVoltage = i2 * load;
    s.inputPower = (vs * std::conj(i1)).real();
    s.outputPower = (s.outputVoltage * std::conj(i2)).real();
    return s;
}

CircuitTruth circuitTruth(const TransformerModel& t, double supplyVolts, double frequency, double microfarads) {
    CircuitTruth truth;
    const CircuitSolution open = solve(t, {supplyVolts, frequency, std::nullopt, microfarads});
    truth.noLoadLoss = open.inputPower - open.outputPower;
    truth.referredResistance = t.secondaryR + t.primaryR / (t.turnsRatio * t.turnsRatio);
    // Loads from a tenth of an ohm to a thousand, a thousand to a decade,
    // then finer about the best.
    double bestOhms = 0, best = -1;
    for (double ohms = 0.1; ohms < 1000; ohms *= 1.0023) {
        const double eta = solve(t, {supplyVolts, frequency, ohms, microfarads}).efficiency();
        if (eta > best) {
            best = eta;
            bestOhms = ohms;
        }
    }
    for (double ohms = bestOhms * 0.995; ohms < bestOhms * 1.005; ohms *= 1.00001) {
        const CircuitSolution s = solve(t, {supplyVolts, frequency, ohms, microfarads});
        if (s.efficiency() > best) {
            best = s.efficiency();
            bestOhms = ohms;
        }
    }
    truth.bestEfficiency = 100 * best;
    truth.bestLoadOhms = bestOhms;
    truth.bestCurrent = std::abs(solve(t, {supplyVolts, frequency, bestOhms, microfarads}).outputCurrent);
    return truth;
}

TransformerModel unitOf(const TransformerModel& kind, unsigned seed) {
    std::mt19937 draw(seed);
    std::uniform_real_distribution<double> spread(1 - UnitSpreadPercent / 100, 1 + UnitSpreadPercent / 100);
    TransformerModel unit = kind;
    unit.coreLossR *= spread(draw);
    unit.primaryR *= spread(draw);
    unit.secondaryR *= spread(draw);
    unit.name = kind.name + " unit " + std::to_string(seed);
    return unit;
}
