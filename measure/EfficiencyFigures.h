#pragma once

#include "FigureMath.h"
#include "Measurements.h"
#include "ShownBox.h"

#include <string>

struct ListBox;

// The steps of the figures: each computes its figures into the pass's
// Figures and shows them in its box or result line at once. The measurement
// pass calls them in this order between its queries.
void showApparentInputPower(const Measurements& m, Figures& f, ShownBox Text18);
void showInputPhaseAngle(const Measurements& m, Figures& f, ShownBox Text6);
void showReactiveInputPower(Figures& f, ShownBox Text20);
void showApparentOutputPower(const Measurements& m, Figures& f, ShownBox Text19, ShownBox Text22, ListBox& List1);
void showOutputPhaseAngle(const Measurements& m, Figures& f, ShownBox Text17);
void showReactiveOutputPower(Figures& f, ShownBox Text21);
void showPhaseEfficiency(const Measurements& m, Figures& f, ShownBox Text11);
// loadResistorText is the load resistor list's shown text.
void showResistorFigures(const Measurements& m, Figures& f, const std::string& loadResistorText, ShownBox Text23,
                         ShownBox Text16, ListBox& List1);
void logEfficiencyDifference(Figures& f, ListBox& List1);
void logOutputPowerFactors(const Measurements& m, Figures& f, ListBox& List1);
