#include "FigureColumns.h"

namespace {

using Pass = PassOutcome;
using Q = Quantity;

template <Pass::Value V> std::optional<double> value(const Pass& p) {
    return p.values[V];
}
template <std::optional<double> Figures::*F> std::optional<double> figure(const Pass& p) {
    return p.figures.*F;
}
template <Pass::Value V> void putValue(Pass& p, std::optional<double> x) {
    p.values[V] = x;
}
template <std::optional<double> Figures::*F> void putFigure(Pass& p, std::optional<double> x) {
    p.figures.*F = x;
}
template <Pass::Value V> FigureColumn valueColumn(const char* title, std::optional<Quantity> q) {
    return {title, value<V>, q, false, putValue<V>};
}
template <std::optional<double> Figures::*F> FigureColumn figureColumn(const char* title, Quantity q) {
    return {title, figure<F>, q, false, putFigure<F>};
}
std::optional<double> calibratedPhase(const Pass& p) {
    return p.calibrated.phaseEfficiency;
}
std::optional<double> calibratedResistor(const Pass& p) {
    return p.calibrated.resistorEfficiency;
}

} // namespace

const std::vector<FigureColumn>& figureColumns() {
    static const std::vector<FigureColumn> columns{
        valueColumn<Pass::Frequency>("frequency (Hz)", std::nullopt),
        valueColumn<Pass::InputVoltage>("input voltage (V rms)", Q::InputVoltage),
        valueColumn<Pass::InputCurrent>("input current (A rms)", Q::InputCurrent),
        valueColumn<Pass::InputPower>("input power (W)", Q::InputPower),
        valueColumn<Pass::OutputVoltage>("output voltage (V rms)", Q::OutputVoltage),
        valueColumn<Pass::OutputCurrent>("output current (A rms)", Q::OutputCurrent),
        valueColumn<Pass::OutputPower>("output power (W)", Q::OutputPower),
        figureColumn<&Figures::ApparentInputPower>("apparent input power (VA)", Q::ApparentInputPower),
        figureColumn<&Figures::InputPhaseAngle>("input phase angle (degrees)", Q::InputPhaseAngle),
        figureColumn<&Figures::ReactiveInputPower>("reactive input power (var)", Q::ReactiveInputPower),
        figureColumn<&Figures::ApparentOutputPower>("apparent output power (VA)", Q::ApparentOutputPower),
        figureColumn<&Figures::ApparentMultiplier>("apparent power multiplier", Q::ApparentMultiplier),
        figureColumn<&Figures::ApparentMultiplierEfficiency>("apparent power multiplier efficiency (%)",
                                                             Q::ApparentMultiplierEfficiency),
        figureColumn<&Figures::OutputPhaseAngle>("output phase angle (degrees)", Q::OutputPhaseAngle),
        figureColumn<&Figures::ReactiveOutputPower>("reactive output power (var)", Q::ReactiveOutputPower),
        figureColumn<&Figures::PhaseEfficiency>("phase angle efficiency (%)", Q::PhaseEfficiency),
        figureColumn<&Figures::ResistorOutputPower>("resistor real output power (W)", Q::ResistorOutputPower),
        figureColumn<&Figures::ResistorEfficiency>("load resistor efficiency (%)", Q::ResistorEfficiency),
        figureColumn<&Figures::EfficiencyDifference>("percent efficiency difference (%)", Q::EfficiencyDifference),
        figureColumn<&Figures::PhaseOutputPowerFactor>("phase angle output power factor", Q::PhaseOutputPowerFactor),
        figureColumn<&Figures::ResistorOutputPowerFactor>("load resistor output power factor",
                                                          Q::ResistorOutputPowerFactor),
        {"calibrated phase angle efficiency (%)", calibratedPhase, std::nullopt, true,
         [](Pass& p, std::optional<double> x) { p.calibrated.phaseEfficiency = x; }},
        {"calibrated load resistor efficiency (%)", calibratedResistor, std::nullopt, true,
         [](Pass& p, std::optional<double> x) { p.calibrated.resistorEfficiency = x; }},
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

void FigureColumn::restore(PassOutcome& pass, std::optional<double> value, std::optional<double> u) const {
    const Expanded expanded = u ? Expanded{Expanded::State::Number, *u} : Expanded{};
    if (calibrated) {
        (number == calibratedPhase ? pass.calibrated.uPhaseEfficiency : pass.calibrated.uResistorEfficiency) = expanded;
    } else if (quantity) {
        pass.uncertainty[*quantity] = expanded;
    }
    if (put != nullptr) {
        put(pass, value);
    }
}

const FigureColumn* figureColumnTitled(std::string_view title) {
    for (const FigureColumn& c : figureColumns()) {
        if (c.title == title) {
            return &c;
        }
    }
    return nullptr;
}
