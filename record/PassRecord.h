#pragma once

#include "PassOutcome.h"

#include <QDateTime>
#include <array>
#include <string>

// One row of the measurement record: when the pass ran, the set-up the
// operator had chosen, what the pass reached and what its boxes showed.
struct PassRecord {
    QDateTime when;
    PassOutcome outcome;
    std::string transformer;   // TRANSFORMER
    std::string supply;        // POWER SUPPLY (V RMS), as shown
    std::string loadResistor;  // SELECT LOAD RESISTOR (OHMS), as shown
    std::string loadCapacitor; // LOAD CAPACITOR (uF), as shown
    std::string sampleAverage; // SAMPLE AVERAGE, as shown
    // The result boxes in the order of resultBoxNames().
    static constexpr std::size_t BoxCount = 18;
    std::array<std::string, BoxCount> boxes;
};
