#pragma once

#include "Measurements.h"

#include <string>

struct ListBox;
struct TextBox;

// The arc cosine of a power factor P / S, the way the calculator has always
// computed it (arctangent form, pi as 3.1415926 for the degrees).
struct PhaseAngleResult {
    bool apparentPowerZero = false; // S = 0: the caller's own rule applies
    bool clamped = false;           // P / S was 1 or more and was set to 1
    double powerFactor = 0;
    double sineSquared = 0;
    double radians = 0;
    double degrees = 0;
};
PhaseAngleResult PhaseAngle(double realPower, double apparentPower);

// Each step of the figures writes its box or result line at once; the
// measurement pass calls them in this order between its queries.
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
// These two tell whether they had a figure to log (else the line ends "----").
bool logEfficiencyDifference(Figures& f, ListBox& List1);
bool logOutputPowerFactors(const Measurements& m, Figures& f, ListBox& List1);
