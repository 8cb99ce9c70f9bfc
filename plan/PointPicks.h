#pragma once

#include <string>

class MeasuringSession;

// A plan's set-up made the way the operator makes it: the load resistor, the
// supply and the capacitor picked from their lists (the same actions, lines
// and refusals), the sample average when the plan names one, and the set-up
// button pressed while CALCULATOR STATUS asks for the set-up to be run
// again. Empty when the calculator is ready; else why not.
struct PointPicks {
    std::string supply, load, capacitor;
    std::string sampleAverage; // empty: as it is
    std::string preset;        // a set-up button's caption; empty: none
};
std::string pickPoint(MeasuringSession& session, const PointPicks& picks);
// Before the first pick: the settings window opened and GET SETTINGS pressed
// where CALCULATOR STATUS still asks for it, as the operator would. Empty
// when the scope's set-up is read; else why it is not.
std::string readSettingsFirst(MeasuringSession& session);
