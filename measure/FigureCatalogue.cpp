#include "FigureCatalogue.h"

#include <cmath>

namespace {

using Pass = PassOutcome;
using Q = Quantity;
using More = PassOutcome::MoreFigure;

// ---- The figures beyond the boxes: each computed with its U from the pass.

// U of a sum or difference of two figures whose errors are apart (GUM
// 5.1.2): the root sum of their squares, or why there is none.
Expanded rootSumSquare(const Expanded& a, const Expanded& b) {
    for (const auto state : {Expanded::State::Clipped, Expanded::State::Unusable, Expanded::State::None}) {
        if (a.state == state || b.state == state) {
            return {state, 0};
        }
    }
    return {Expanded::State::Number, std::hypot(a.U, b.U)};
}

// The transformer's loss: input real power less output real power. The two
// are read on different channels and probes, so their errors are taken apart;
// what they share (one scope, probes of one kind) would only shrink the U.
More powerLoss(const Pass& p) {
    const auto in = p.values[Pass::InputPower];
    const auto out = p.values[Pass::OutputPower];
    if (!in || !out) {
        return {};
    }
    return {*in - *out, rootSumSquare(p.uncertainty[Q::InputPower], p.uncertainty[Q::OutputPower])};
}
std::optional<double> trueLoss(const Pass::Truth& t) {
    return t.inputPower - t.outputPower;
}

// ---- How an entry reads and puts its number.

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
std::optional<double> calibratedPhase(const Pass& p) {
    return p.calibrated.phaseEfficiency;
}
std::optional<double> calibratedResistor(const Pass& p) {
    return p.calibrated.resistorEfficiency;
}

enum RestsOn { Neither, Input, Output, Both };

// The simulated circuit knows its real powers; every efficiency is their
// ratio (the load capacitor takes no real power).
std::optional<double> trueInputPower(const Pass::Truth& t) {
    return t.inputPower;
}
std::optional<double> trueOutputPower(const Pass::Truth& t) {
    return t.outputPower;
}
std::optional<double> trueEfficiency(const Pass::Truth& t) {
    return t.inputPower > 0 ? std::optional<double>(t.outputPower / t.inputPower * 100) : std::nullopt;
}
CatalogueFigure withTruth(CatalogueFigure f, std::optional<double> (*truth)(const Pass::Truth&)) {
    f.truth = truth;
    return f;
}

template <Pass::Value V>
CatalogueFigure valueEntry(const char* title, std::optional<Quantity> q, Pass::Box box, RestsOn on = Neither) {
    return {title, value<V>, q, false, putValue<V>, box, on == Input, on == Output};
}
template <std::optional<double> Figures::*F>
CatalogueFigure figureEntry(const char* title, Quantity q, std::optional<Pass::Box> box = std::nullopt,
                            RestsOn on = Neither) {
    return {title, figure<F>, q, false, putFigure<F>, box, on == Input || on == Both, on == Output || on == Both};
}
CatalogueFigure moreEntry(const char* title, More (*compute)(const Pass&),
                          std::optional<double> (*truth)(const Pass::Truth&) = nullptr) {
    return {title, nullptr, std::nullopt, false, nullptr, std::nullopt, false, false, compute, -1, truth};
}

std::vector<CatalogueFigure> makeCatalogue() {
    std::vector<CatalogueFigure> c{
        valueEntry<Pass::Frequency>("frequency (Hz)", std::nullopt, Pass::FrequencyBox),
        valueEntry<Pass::InputVoltage>("input voltage (V rms)", Q::InputVoltage, Pass::InputVoltageBox),
        valueEntry<Pass::InputCurrent>("input current (A rms)", Q::InputCurrent, Pass::InputCurrentBox),
        withTruth(valueEntry<Pass::InputPower>("input power (W)", Q::InputPower, Pass::InputPowerBox, Input),
                  trueInputPower),
        valueEntry<Pass::OutputVoltage>("output voltage (V rms)", Q::OutputVoltage, Pass::OutputVoltageBox),
        valueEntry<Pass::OutputCurrent>("output current (A rms)", Q::OutputCurrent, Pass::OutputCurrentBox),
        withTruth(valueEntry<Pass::OutputPower>("output power (W)", Q::OutputPower, Pass::OutputPowerBox, Output),
                  trueOutputPower),
        figureEntry<&Figures::ApparentInputPower>("apparent input power (VA)", Q::ApparentInputPower,
                                                  Pass::ApparentInputPowerBox),
        figureEntry<&Figures::InputPhaseAngle>("input phase angle (degrees)", Q::InputPhaseAngle,
                                               Pass::InputPhaseAngleBox),
        figureEntry<&Figures::ReactiveInputPower>("reactive input power (var)", Q::ReactiveInputPower,
                                                  Pass::ReactiveInputPowerBox, Input),
        figureEntry<&Figures::ApparentOutputPower>("apparent output power (VA)", Q::ApparentOutputPower,
                                                   Pass::ApparentOutputPowerBox),
        figureEntry<&Figures::ApparentMultiplier>("apparent power multiplier", Q::ApparentMultiplier,
                                                  Pass::ApparentMultiplierBox),
        figureEntry<&Figures::ApparentMultiplierEfficiency>("apparent power multiplier efficiency (%)",
                                                            Q::ApparentMultiplierEfficiency),
        figureEntry<&Figures::OutputPhaseAngle>("output phase angle (degrees)", Q::OutputPhaseAngle,
                                                Pass::OutputPhaseAngleBox),
        figureEntry<&Figures::ReactiveOutputPower>("reactive output power (var)", Q::ReactiveOutputPower,
                                                   Pass::ReactiveOutputPowerBox, Output),
        withTruth(figureEntry<&Figures::PhaseEfficiency>("phase angle efficiency (%)", Q::PhaseEfficiency,
                                                         Pass::PhaseEfficiencyBox, Both),
                  trueEfficiency),
        figureEntry<&Figures::ResistorOutputPower>("resistor real output power (W)", Q::ResistorOutputPower,
                                                   Pass::ResistorOutputPowerBox),
        withTruth(figureEntry<&Figures::ResistorEfficiency>("load resistor efficiency (%)", Q::ResistorEfficiency,
                                                            Pass::ResistorEfficiencyBox, Input),
                  trueEfficiency),
        figureEntry<&Figures::EfficiencyDifference>("percent efficiency difference (%)", Q::EfficiencyDifference),
        figureEntry<&Figures::PhaseOutputPowerFactor>("phase angle output power factor", Q::PhaseOutputPowerFactor),
        figureEntry<&Figures::ResistorOutputPowerFactor>("load resistor output power factor",
                                                         Q::ResistorOutputPowerFactor),
        withTruth({"calibrated phase angle efficiency (%)", calibratedPhase, std::nullopt, true,
                   [](Pass& p, std::optional<double> x) { p.calibrated.phaseEfficiency = x; }, std::nullopt},
                  trueEfficiency),
        withTruth({"calibrated load resistor efficiency (%)", calibratedResistor, std::nullopt, true,
                   [](Pass& p, std::optional<double> x) { p.calibrated.resistorEfficiency = x; }, std::nullopt},
                  trueEfficiency),
        // The figures beyond the boxes, after all the others.
        moreEntry("power loss (W)", powerLoss, trueLoss),
    };
    int more = 0;
    for (CatalogueFigure& f : c) {
        if (f.compute != nullptr) {
            f.moreIndex = more++;
        }
    }
    return c;
}

More* moreOf(Pass& pass, int index) {
    if (index < 0) {
        return nullptr;
    }
    if (pass.more.size() <= static_cast<std::size_t>(index)) {
        pass.more.resize(static_cast<std::size_t>(index) + 1);
    }
    return &pass.more[static_cast<std::size_t>(index)];
}

const More* moreOf(const Pass& pass, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < pass.more.size()
               ? &pass.more[static_cast<std::size_t>(index)]
               : nullptr;
}

} // namespace

const std::vector<CatalogueFigure>& figureCatalogue() {
    static const std::vector<CatalogueFigure> catalogue = makeCatalogue();
    return catalogue;
}

std::optional<double> CatalogueFigure::number(const PassOutcome& pass) const {
    if (compute != nullptr) {
        const More* m = moreOf(pass, moreIndex);
        return m != nullptr ? m->value : std::nullopt;
    }
    return read != nullptr ? read(pass) : std::nullopt;
}

const Expanded* CatalogueFigure::expanded(const PassOutcome& pass) const {
    if (compute != nullptr) {
        const More* m = moreOf(pass, moreIndex);
        return m != nullptr ? &m->U : nullptr;
    }
    if (calibrated) {
        const auto& c = pass.calibrated;
        return read == calibratedPhase ? &c.uPhaseEfficiency : &c.uResistorEfficiency;
    }
    return quantity ? &pass.uncertainty[*quantity] : nullptr;
}

std::optional<double> CatalogueFigure::U(const PassOutcome& pass) const {
    const Expanded* e = expanded(pass);
    return e != nullptr ? e->number() : std::nullopt;
}

void CatalogueFigure::restore(PassOutcome& pass, std::optional<double> value, std::optional<double> u) const {
    const Expanded expanded = u ? Expanded{Expanded::State::Number, *u} : Expanded{};
    if (compute != nullptr) {
        *moreOf(pass, moreIndex) = More{value, expanded};
        return;
    }
    if (calibrated) {
        (read == calibratedPhase ? pass.calibrated.uPhaseEfficiency : pass.calibrated.uResistorEfficiency) = expanded;
    } else if (quantity) {
        pass.uncertainty[*quantity] = expanded;
    }
    if (put != nullptr) {
        put(pass, value);
    }
}

const CatalogueFigure* catalogueFigure(std::string_view title) {
    for (const CatalogueFigure& c : figureCatalogue()) {
        if (c.title == title) {
            return &c;
        }
    }
    return nullptr;
}

void computeMoreFigures(PassOutcome& pass) {
    for (const CatalogueFigure& f : figureCatalogue()) {
        if (f.compute != nullptr) {
            const More computed = f.compute(pass);
            *moreOf(pass, f.moreIndex) = computed;
        }
    }
}

BoxMark boxMark(const PassUncertainty& u, PassOutcome::Box box) {
    for (const CatalogueFigure& f : figureCatalogue()) {
        if (f.box != box || !f.quantity) {
            continue;
        }
        const Expanded& e = u[*f.quantity];
        BoxMark mark;
        mark.text = uncertaintyText(e);
        const bool lowPf =
            (f.restsOnInputPower && u.inputLowPowerFactor) || (f.restsOnOutputPower && u.outputLowPowerFactor);
        mark.marked = !mark.text.empty() && (lowPf || e.state != Expanded::State::Number);
        if (mark.marked) {
            mark.reason = u.warnings;
            if (e.state == Expanded::State::Number) {
                mark.text += " !";
            }
        }
        return mark;
    }
    return {};
}

std::optional<PassOutcome::Box> boxOf(Quantity q) {
    for (const CatalogueFigure& f : figureCatalogue()) {
        if (f.quantity == q) {
            return f.box;
        }
    }
    return std::nullopt;
}
