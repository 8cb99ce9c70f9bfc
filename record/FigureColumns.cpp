#include "FigureColumns.h"

namespace {

using Pass = PassOutcome;
using Q = Quantity;

template <Pass::Value V> std::optional<double> value(const Pass& p) { return p.values[V]; }
template <std::optional<double> Figures::*F> std::optional<double> figure(const Pass& p) { return p.figures.*F; }
std::optional<double> calibratedPhase(const Pass& p) { return p.calibrated.phaseEfficiency; }
std::optional<double> calibratedResistor(const Pass& p) { return p.calibrated.resistorEfficiency; }

} // namespace

const std::vector<FigureColumn>& figureColumns() {
    static const std::vector<FigureColumn> columns{
        {"frequency (Hz)", value<Pass::Frequency>, std::nullopt},
        {"input voltage (V rms)", value<Pass::InputVoltage>, Q::InputVoltage},
        {"input current (A rms)", value<Pass::InputCurrent>, Q::InputCurrent},
        {"input power (W)", value<Pass::InputPower>, Q::InputPower},
        {"output voltage (V rms)", value<Pass::OutputVoltage>, Q::OutputVoltage},
        {"output current (A rms)", value<Pass::OutputCurrent>, Q::OutputCurrent},
        {"output power (W)", value<Pass::OutputPower>, Q::OutputPower},
        {"apparent input power (VA)", figure<&Figures::ApparentInputPower>, Q::ApparentInputPower},
        {"input phase angle (degrees)", figure<&Figures::InputPhaseAngle>, Q::InputPhaseAngle},
        {"reactive input power (var)", figure<&Figures::ReactiveInputPower>, Q::ReactiveInputPower},
        {"apparent output power (VA)", figure<&Figures::ApparentOutputPower>, Q::ApparentOutputPower},
        {"apparent power multiplier", figure<&Figures::ApparentMultiplier>, Q::ApparentMultiplier},
        {"apparent power multiplier efficiency (%)", figure<&Figures::ApparentMultiplierEfficiency>, Q::ApparentMultiplierEfficiency},
        {"output phase angle (degrees)", figure<&Figures::OutputPhaseAngle>, Q::OutputPhaseAngle},
        {"reactive output power (var)", figure<&Figures::ReactiveOutputPower>, Q::ReactiveOutputPower},
        {"phase angle efficiency (%)", figure<&Figures::PhaseEfficiency>, Q::PhaseEfficiency},
        {"resistor real output power (W)", figure<&Figures::ResistorOutputPower>, Q::ResistorOutputPower},
        {"load resistor efficiency (%)", figure<&Figures::ResistorEfficiency>, Q::ResistorEfficiency},
        {"percent efficiency difference (%)", figure<&Figures::EfficiencyDifference>, Q::EfficiencyDifference},
        {"phase angle output power factor", figure<&Figures::PhaseOutputPowerFactor>, Q::PhaseOutputPowerFactor},
        {"load resistor output power factor", figure<&Figures::ResistorOutputPowerFactor>, Q::ResistorOutputPowerFactor},
        {"calibrated phase angle efficiency (%)", calibratedPhase, std::nullopt, true},
        {"calibrated load resistor efficiency (%)", calibratedResistor, std::nullopt, true},
    };
    return columns;
}

std::optional<double> FigureColumn::U(const PassOutcome& pass) const {
    if (calibrated) {
        const auto& c = pass.calibrated;
        return number == calibratedPhase ? c.uPhaseEfficiency.number() : c.uResistorEfficiency.number();
    }
    return quantity ? pass.uncertainty[*quantity].number() : std::nullopt;
}

const FigureColumn* figureColumnTitled(std::string_view title) {
    for (const FigureColumn& c : figureColumns()) {
        if (c.title == title) {
            return &c;
        }
    }
    return nullptr;
}
