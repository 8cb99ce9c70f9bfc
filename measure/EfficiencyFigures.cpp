#include "EfficiencyFigures.h"

#include "Controls.h"
#include "DisplayPattern.h"
#include "NumberText.h"

#include <cmath>

namespace {

constexpr const char* FourDecimals = "##0.0000";
constexpr const char* AngleDecimals = "#0.0000";
constexpr const char* Percent = "##,###,##0.00";
constexpr const char* NoValue = "----";
constexpr const char* Overflow = "OVERFLOW";
constexpr double EfficiencyLimit = 9999999.9;
constexpr double PowerLimit = 999.9999;

// A ratio that has no value shows as "----": a zero denominator, or no
// number at all. A ratio beyond the range of a double is still at or above
// every limit and shows "OVERFLOW" like any other value there.
bool isFigure(double value) { return std::isfinite(value); }
bool isEfficiency(double value) { return !std::isnan(value) && !(std::isinf(value) && value < 0); }

void showPercent(double value, TextBox& box) {
    box.text = value < EfficiencyLimit ? formatPattern(value, Percent) : Overflow;
}

} // namespace

PhaseAngleResult PhaseAngle(double realPower, double apparentPower) {
    PhaseAngleResult r;
    if (apparentPower == 0) {
        r.apparentPowerZero = true;
        return r;
    }
    r.powerFactor = realPower / apparentPower;
    if (r.powerFactor >= 1) {
        r.powerFactor = 1;
        r.clamped = true;
    }
    r.sineSquared = 1 - r.powerFactor * r.powerFactor;
    if (r.sineSquared == 0) {
        return r;
    }
    if (r.sineSquared < 0) {
        r.sineSquared = std::fabs(r.sineSquared);
    }
    r.radians = std::atan(-r.powerFactor / std::sqrt(r.sineSquared)) + 2 * std::atan(1.0);
    r.degrees = r.radians / 3.1415926 * 180;
    return r;
}

void showApparentInputPower(const Measurements& m, Figures& f, TextBox& Text18) {
    f.ApparentInputPower = m.InputVoltage * m.InputCurrent;
    Text18.text = formatPattern(f.ApparentInputPower, FourDecimals);
}

void showInputPhaseAngle(const Measurements& m, Figures& f, TextBox& Text6) {
    const PhaseAngleResult r = PhaseAngle(m.InputPower, m.InputVoltage * m.InputCurrent);
    if (r.apparentPowerZero) {
        Text6.show("FAULT", Colours::Red, Colours::White);
        return;
    }
    f.PowerFactor = r.powerFactor;
    f.SineSquared = r.sineSquared;
    if (r.clamped) {
        Text6.setColours(Colours::Yellow, Colours::Black);
    }
    f.InputPhaseRadians = r.radians;
    f.InputPhaseAngle = r.degrees;
    Text6.text = formatPattern(f.InputPhaseAngle, AngleDecimals);
}

void showReactiveInputPower(Figures& f, TextBox& Text20) {
    f.ReactiveInputPower = std::sin(f.InputPhaseRadians) * f.ApparentInputPower;
    Text20.text = formatPattern(f.ReactiveInputPower, FourDecimals);
}

void showApparentOutputPower(const Measurements& m, Figures& f, TextBox& Text19, TextBox& Text22,
                             ListBox& List1) {
    f.ApparentOutputPower = m.OutputCurrent * m.OutputVoltage;
    Text19.text = formatPattern(f.ApparentOutputPower, FourDecimals);
    const bool eitherZero = f.ApparentInputPower == 0 || f.ApparentOutputPower == 0;
    if (eitherZero) {
        Text22.text = NoValue;
        List1.AddItem(std::string("Apparent Power Multiplier Efficiency: ") + NoValue);
        return;
    }
    f.ApparentMultiplier = f.ApparentOutputPower / f.ApparentInputPower;
    Text22.text = f.ApparentMultiplier < 999.9 ? formatPattern(f.ApparentMultiplier, FourDecimals)
                                               : Overflow;
    f.ApparentMultiplierEfficiency = f.ApparentOutputPower / f.ApparentInputPower * 100;
    List1.AddItem("Apparent Power Multiplier Efficiency: " +
                  (f.ApparentMultiplierEfficiency < 99999.99
                       ? formatPattern(f.ApparentMultiplierEfficiency, "##,##0.00")
                       : std::string(Overflow)));
}

void showOutputPhaseAngle(const Measurements& m, Figures& f, TextBox& Text17) {
    const PhaseAngleResult r = PhaseAngle(m.OutputPower, m.OutputCurrent * m.OutputVoltage);
    if (r.apparentPowerZero) {
        f.OutputPhaseAngle = 0;
        Text17.text = NoValue;
        return;
    }
    f.PowerFactor = r.powerFactor;
    f.SineSquared = r.sineSquared;
    f.OutputPhaseRadians = r.radians;
    f.OutputPhaseAngle = r.degrees;
    Text17.text = formatPattern(f.OutputPhaseAngle, AngleDecimals);
}

void showReactiveOutputPower(Figures& f, TextBox& Text21) {
    f.ReactiveOutputPower = std::sin(f.OutputPhaseRadians) * f.ApparentOutputPower;
    Text21.text = formatPattern(f.ReactiveOutputPower, FourDecimals);
}

void showPhaseEfficiency(const Measurements& m, Figures& f, TextBox& Text11) {
    const double efficiency = m.OutputPower / m.InputPower * 100;
    // Without output, or without a measured input power, there is no
    // efficiency to show.
    if (m.OutputCurrent == 0 || m.OutputVoltage == 0 || m.InputPower == 0 ||
        !isEfficiency(efficiency)) {
        f.PhaseEfficiency = 0;
        Text11.text = NoValue;
        return;
    }
    f.PhaseEfficiency = efficiency;
    showPercent(f.PhaseEfficiency, Text11);
}

void showResistorFigures(const Measurements& m, Figures& f, const std::string& loadResistorText,
                         TextBox& Text23, TextBox& Text16, ListBox& List1) {
    const bool noLoad = loadResistorText == "NO LOAD";
    const auto resistance = noLoad ? std::optional<double>(99999999.9999)
                                   : parseNumber(loadResistorText);
    if (noLoad) {
        f.LoadResistance = *resistance;
        f.ResistorOutputPower = 0;
        Text23.text = NoValue;
    } else if (!resistance) {
        // A typed text that is no resistance: no resistor figures.
        List1.AddItem("LOAD RESISTOR NOT A NUMBER: " + loadResistorText);
        f.ResistorOutputPower = 0;
        Text23.text = NoValue;
    } else {
        f.LoadResistance = *resistance;
        if (f.LoadResistance <= 0) {
            f.ResistorOutputPower = PowerLimit;
            Text23.text = Overflow;
        } else {
            f.ResistorOutputPower = m.OutputVoltage * m.OutputVoltage / f.LoadResistance;
            Text23.text = f.ResistorOutputPower < PowerLimit
                              ? formatPattern(f.ResistorOutputPower, FourDecimals)
                              : Overflow;
        }
    }

    const double efficiency = f.ResistorOutputPower / m.InputPower * 100;
    if (noLoad || !resistance || m.OutputCurrent == 0 || m.OutputVoltage == 0 ||
        m.InputPower == 0 || !isEfficiency(efficiency)) {
        f.ResistorEfficiency = 0;
        Text16.text = NoValue;
        return;
    }
    f.ResistorEfficiency = efficiency;
    showPercent(f.ResistorEfficiency, Text16);
}

bool logEfficiencyDifference(Figures& f, ListBox& List1) {
    const double mean = (f.ResistorEfficiency + f.PhaseEfficiency) / 2;
    const double difference = std::fabs(f.ResistorEfficiency - f.PhaseEfficiency) / mean * 100;
    // Two efficiencies of equal size and opposite sign have no mean to compare with.
    if (f.PhaseEfficiency != 0 && f.ResistorEfficiency != 0 && mean != 0 && isFigure(difference)) {
        f.EfficiencyDifference = difference;
        List1.AddItem("PERCENT EFFICIENCY DIFFERENCE: " +
                      formatPattern(f.EfficiencyDifference, "##0.000") + "%");
        return true;
    }
    f.EfficiencyDifference = 0;
    List1.AddItem("PERCENT EFFICIENCY DIFFERENCE: ----%");
    return false;
}

bool logOutputPowerFactors(const Measurements& m, Figures& f, ListBox& List1) {
    // Without apparent output power neither factor exists.
    const bool none = f.ApparentOutputPower == 0;
    f.PhaseOutputPowerFactor = none ? 0 : m.OutputPower / f.ApparentOutputPower;
    f.ResistorOutputPowerFactor = none ? 0 : f.ResistorOutputPower / f.ApparentOutputPower;
    const auto shown = [none](double factor) {
        return none || !isFigure(factor) ? std::string(NoValue) : formatPattern(factor, "##0.000");
    };
    List1.AddItem("Phase Angle Output Power Factor: " + shown(f.PhaseOutputPowerFactor));
    List1.AddItem("Load Resistor Output Power Factor: " + shown(f.ResistorOutputPowerFactor));
    return !none;
}
