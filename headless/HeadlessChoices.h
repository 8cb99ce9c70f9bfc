#pragma once

#include <optional>
#include <string>

// A measurement from a script (--headless): the operator's picks, named.
struct HeadlessChoices {
    std::string loadResistor;
    std::string supply;
    std::string capacitor;
    std::optional<std::string> sampleAverage;
    std::optional<std::string> preset;
    int passes = 1;
    double intervalSeconds = 0;
    std::string comment;
    // --calibrate: take the channel calibration with these picks and end.
    bool calibrate = false;
};
