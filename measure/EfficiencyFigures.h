#pragma once

#include "FigureMath.h"
#include "Measurements.h"

#include <string>

struct ListBox;
struct TextBox;

// The steps of the figures: each computes its figures into the pass's
// Figures and shows them in its box or result line at once. The measurement
// pass calls them in this order between its queries.
void showApparentInputPower(const Measurements& m, Figures& f, TextBox& Text18);
void showInputPhaseAngle(const Measurements& m, Figures& f, TextBox& Text6);
void showReactiveInputPower(Figures& f, TextBox& Text20);
void showApparentOutputPower(const Measurements& m, Figures& f, TextBox& Text19, TextBox& Text22,
                             ListBox& List1);
void showOutputPhaseAngle(const Measurements& m, Figures& f, TextBox& Text17);
void showReactiveOutputPower(Figures& f, TextBox& Text21);
void showPhaseEfficiency(const Measurements& m, Figures& f, TextBox& Text11);
// loadResistorText is the load resistor list's shown text.
void showResistorFigures(const Measurements& m, Figures& f, const std::string& loadResistorText,
                         TextBox& Text23, TextBox& Text16, ListBox& List1);
void logEfficiencyDifference(Figures& f, ListBox& List1);
void logOutputPowerFactors(const Measurements& m, Figures& f, ListBox& List1);
