#pragma once

#include "TransformerCircuit.h"

#include <array>
#include <optional>
#include <random>

class SimScope;
struct SimSlot;

// The transformer on the bench and what feeds and loads it. With a bench
// attached, the simulated scope measures this circuit instead of returning
// fixed readings.
struct SimBench {
    TransformerModel transformer = TransformerModel::splitFlux();
    CircuitConditions conditions{10.0, 60.0, 9.4, 0.0};
    // Noise of one acquisition, in divisions of the channel's scale;
    // averaging NUMAVG acquisitions shrinks it by the root of the count.
    double noiseDivisions = 0.02;
    unsigned seed = 1;
    // What the bench's channels get wrong, CH1..CH4: a gain error (the scope's
    // and the probe's together, relative) and a phase lag (degrees; the
    // current probes'). None by default.
    struct Errors {
        std::array<double, 4> gain{};
        std::array<double, 4> lagDegrees{};
    };
    Errors errors;
    // The calibration set-up: both voltage probes on the load's node and both
    // current probes around the load's conductor, so CH1 and CH2 see what CH3
    // and CH4 see, each through its own probe and its own errors.
    bool probesOnOneNode = false;

    // The digitiser records this many divisions either side of the centre,
    // beyond the graticule; a trace outside that range cannot be measured.
    static constexpr double DigitiserDivisions = 12.0;
    static constexpr int SamplesPerPeriod = 400;
    static constexpr int Periods = 2;
};

// Errors drawn uniformly within a declared accuracy from `seed`: each
// channel's gain within +-gainPercent and its probe's within +-the voltage or
// current probe's percent; the current channels' lag within +-lagDegrees.
SimBench::Errors drawBenchErrors(unsigned seed, double gainPercent, double voltageProbePercent,
                                 double currentProbePercent, double lagDegrees);

// The same errors with one channel's (0 for CH1) drawn anew from `seed`, as
// a probe swapped for another of the same kind leaves them (for tests: the
// bench keeps its name).
SimBench::Errors redrawChannel(const SimBench::Errors& errors, std::size_t channel, unsigned seed, double gainPercent,
                               double voltageProbePercent, double currentProbePercent, double lagDegrees);

// One automatic measurement on the bench as the scope is set up now: the
// sampled channels scaled by the probe factors set against those attached,
// inverted where set, CRMS or MEAN over whole periods. None when a trace
// involved leaves the digitiser's range or the measurement is unknown.
std::optional<double> benchMeasurement(const SimBench& bench, const SimScope& scope, const SimSlot& slot,
                                       std::mt19937& noise);
