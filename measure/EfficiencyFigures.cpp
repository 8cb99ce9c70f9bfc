#include "EfficiencyFigures.h"

#include "Controls.h"
#include "FigureTexts.h"

void showApparentInputPower(const Measurements& m, Figures& f, ShownBox Text18) {
    f.ApparentInputPower = m.InputVoltage * m.InputCurrent;
    Text18.text(powerText(*f.ApparentInputPower));
}

void showInputPhaseAngle(const Measurements& m, Figures& f, ShownBox Text6) {
    const PhaseAngleResult r = PhaseAngle(m.InputPower, m.InputVoltage * m.InputCurrent);
    if (r.apparentPowerZero) {
        Text6.show("FAULT", Colours::Red, Colours::White);
        return;
    }
    if (r.clamped) {
        Text6.setColours(Colours::Yellow, Colours::Black);
    }
    f.InputPhaseRadians = r.radians;
    f.InputPhaseAngle = r.degrees;
    Text6.text(angleText(r.degrees));
}

void showReactiveInputPower(Figures& f, ShownBox Text20) {
    f.ReactiveInputPower = reactivePower(f.InputPhaseRadians, f.ApparentInputPower.value_or(0));
    Text20.text(powerText(*f.ReactiveInputPower));
}

void showApparentOutputPower(const Measurements& m, Figures& f, ShownBox Text19, ShownBox Text22, ListBox& List1) {
    f.ApparentOutputPower = m.OutputCurrent * m.OutputVoltage;
    Text19.text(powerText(*f.ApparentOutputPower));
    f.ApparentMultiplier = apparentMultiplier(f.ApparentInputPower.value_or(0), *f.ApparentOutputPower);
    if (f.ApparentMultiplier) {
        f.ApparentMultiplierEfficiency = *f.ApparentOutputPower / *f.ApparentInputPower * 100;
    }
    Text22.text(multiplierText(f.ApparentMultiplier));
    List1.AddItem("Apparent Power Multiplier Efficiency: " + multiplierEfficiencyText(f.ApparentMultiplierEfficiency));
}

void showOutputPhaseAngle(const Measurements& m, Figures& f, ShownBox Text17) {
    const PhaseAngleResult r = PhaseAngle(m.OutputPower, m.OutputCurrent * m.OutputVoltage);
    if (r.apparentPowerZero) {
        Text17.text("----");
        return;
    }
    f.OutputPhaseRadians = r.radians;
    f.OutputPhaseAngle = r.degrees;
    Text17.text(angleText(r.degrees));
}

void showReactiveOutputPower(Figures& f, ShownBox Text21) {
    f.ReactiveOutputPower = reactivePower(f.OutputPhaseRadians, f.ApparentOutputPower.value_or(0));
    Text21.text(powerText(*f.ReactiveOutputPower));
}

void showPhaseEfficiency(const Measurements& m, Figures& f, ShownBox Text11) {
    f.PhaseEfficiency = phaseEfficiency(m);
    Text11.text(efficiencyText(f.PhaseEfficiency));
}

void showResistorFigures(const Measurements& m, Figures& f, const std::string& loadResistorText, ShownBox Text23,
                         ShownBox Text16, ListBox& List1) {
    const LoadResistor r = loadResistor(loadResistorText);
    if (!r.noLoad && !r.ohms) {
        List1.AddItem("LOAD RESISTOR NOT A NUMBER: " + loadResistorText);
    }
    f.LoadResistance = r.ohms;
    f.ResistorOutputPower = resistorOutputPower(m, r);
    Text23.text(resistorPowerText(f.ResistorOutputPower));
    f.ResistorEfficiency = resistorEfficiency(m, r, f.ResistorOutputPower);
    Text16.text(efficiencyText(f.ResistorEfficiency));
}

void logEfficiencyDifference(Figures& f, ListBox& List1) {
    f.EfficiencyDifference = efficiencyDifference(f.PhaseEfficiency, f.ResistorEfficiency);
    List1.AddItem("PERCENT EFFICIENCY DIFFERENCE: " + differenceText(f.EfficiencyDifference) + "%");
}

void logOutputPowerFactors(const Measurements& m, Figures& f, ListBox& List1) {
    const double apparent = f.ApparentOutputPower.value_or(0);
    f.PhaseOutputPowerFactor = outputPowerFactor(m.OutputPower, apparent);
    f.ResistorOutputPowerFactor = outputPowerFactor(f.ResistorOutputPower.value_or(0), apparent);
    List1.AddItem("Phase Angle Output Power Factor: " + powerFactorText(f.PhaseOutputPowerFactor));
    List1.AddItem("Load Resistor Output Power Factor: " + powerFactorText(f.ResistorOutputPowerFactor));
}
