#include "PassMarks.h"

#include "FigureCatalogue.h"
#include "VerdictLook.h"

#include <cstdio>

namespace {

// "cal 88.21 ±0.93", "cal 88.21 unusable", "uncalibrated".
std::string calibratedText(const PassOutcome::Calibrated& c, const std::optional<double>& value, const Expanded& u) {
    if (!c.applied) {
        return c.calibration.empty() ? "" : "uncalibrated";
    }
    // A calibration that does not fit this bench gives no figure to read.
    if (!c.misfit.empty()) {
        return "cal does not fit";
    }
    if (!value) {
        return "cal ----";
    }
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", *value);
    const std::string plusMinus = uncertaintyText(u);
    return std::string("cal ") + number + (plusMinus.empty() ? "" : " " + plusMinus);
}

void showCalibrated(MainPanel& panel, const PassOutcome& pass) {
    const auto& c = pass.calibrated;
    panel.CalibratedPhase.caption = calibratedText(c, c.phaseEfficiency, c.uPhaseEfficiency);
    panel.CalibratedResistor.caption = calibratedText(c, c.resistorEfficiency, c.uResistorEfficiency);
    const std::string why = c.misfit.empty() ? c.calibration : c.misfit;
    panel.CalibratedPhase.toolTip = why;
    panel.CalibratedResistor.toolTip = why;
    const std::optional<Colour> marked = c.misfit.empty() ? std::nullopt : std::optional<Colour>(MarkedText);
    panel.CalibratedPhase.ForeColor = marked;
    panel.CalibratedResistor.ForeColor = marked;
}

void showVerdict(MainPanel& panel, const PassOutcome& pass) {
    if (!pass.verdict) {
        return;
    }
    const PassVerdict& v = *pass.verdict;
    const VerdictLook& look = lookOf(v.verdict);
    panel.TextVerdict.show(verdictName(v.verdict), look.back, look.fore);
    panel.VerdictReason.caption = v.reason + " - " + v.limitSet;
    panel.VerdictLine = std::string("VERDICT ") + verdictName(v.verdict) + ": " + v.reason + " (" + v.limitSet + ")";
    panel.VerdictReason.toolTip = panel.VerdictReason.caption;
    panel.VerdictShown = v.verdict;
    panel.VerdictReasons.clear();
    for (const PassVerdict::Figure& f : v.figures) {
        if (f.verdict != Verdict::Pass) {
            panel.VerdictReasons.push_back(std::string(verdictName(f.verdict)) + ": " + f.reason);
        }
    }
    // Each limited figure's ± takes its own verdict's colour.
    for (const PassVerdict::Figure& f : v.figures) {
        const CatalogueFigure* column = catalogueFigure(f.column);
        const auto box = column != nullptr && column->quantity ? boxOf(*column->quantity) : std::nullopt;
        if (box) {
            Label& mark = panel.PlusMinus[static_cast<std::size_t>(*box)];
            mark.BackColor = lookOf(f.verdict).back;
            mark.ForeColor = markOn(f.verdict); // a marked one keeps its "!"
        }
    }
}

} // namespace

void showPassMarks(MainPanel& panel, const PassOutcome& pass) {
    for (int b = 0; b < PassOutcome::BoxCount; ++b) {
        const BoxMark mark = boxMark(pass.uncertainty, static_cast<PassOutcome::Box>(b));
        Label& label = panel.PlusMinus[static_cast<std::size_t>(b)];
        label.caption = mark.text;
        label.toolTip = mark.reason;
        label.ForeColor = mark.marked ? std::optional<Colour>(MarkedText) : std::nullopt;
    }
    panel.UncertaintyWarnings = pass.uncertainty.warnings;
    showCalibrated(panel, pass);
    showVerdict(panel, pass);
}

void showLimitSet(MainPanel& panel, const std::optional<LimitSet>& limits) {
    panel.TextVerdict.show(limits ? "" : "NO LIMITS", Colours::White, Colour{0x808080});
    panel.VerdictReason.caption = limits ? limits->title() : "";
    panel.VerdictReason.toolTip.clear();
    panel.VerdictLine.clear();
    panel.VerdictShown.reset();
    panel.VerdictReasons.clear();
    for (Label& label : panel.PlusMinus) {
        label.BackColor.reset();
    }
}
