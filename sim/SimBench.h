#pragma once

#include "TransformerCircuit.h"

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

    // The digitiser records this many divisions either side of the centre,
    // beyond the graticule; a trace outside that range cannot be measured.
    static constexpr double DigitiserDivisions = 12.0;
    static constexpr int SamplesPerPeriod = 400;
    static constexpr int Periods = 2;
};

// One automatic measurement on the bench as the scope is set up now: the
// sampled channels scaled by the probe factors set against those attached,
// inverted where set, CRMS or MEAN over whole periods. None when a trace
// involved leaves the digitiser's range or the measurement is unknown.
std::optional<double> benchMeasurement(const SimBench& bench, const SimScope& scope,
                                       const SimSlot& slot, std::mt19937& noise);
