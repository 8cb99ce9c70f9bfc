#pragma once

#include "PassOutcome.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Every number of a pass once: the measured values, the figures the result
// boxes show, the calibrated efficiencies, and the figures computed beyond the
// boxes. Each entry gives its record column's title, where its number and its
// U live in a pass, the box that shows it and which side's real power it
// rests on. The record's value, U95 and verdict columns, the names a limit
// set may give, the report's lines and the boxes' ± marks follow from it.
//
// A new figure with its ± and verdict is one entry here with a `compute`
// function (below, in FigureCatalogue.cpp), and its test. Its record columns
// (value, U95, verdict) go after all the others.
struct CatalogueFigure {
    std::string title; // "phase angle efficiency (%)"
    std::optional<double> (*read)(const PassOutcome&);
    std::optional<Quantity> quantity; // none: no declared accuracy bears on it
    // A figure read through the channel calibration: its U is the
    // calibration's, and where the calibration does not apply or does not
    // fit the bench it has no verdict.
    bool calibrated = false;
    // Puts a number into the pass where `number` reads it.
    void (*put)(PassOutcome&, std::optional<double>) = nullptr;
    // The result box that shows it, and whether its U rests on the input's
    // or the output's real power (a low power factor there marks its ±).
    std::optional<PassOutcome::Box> box;
    bool restsOnInputPower = false, restsOnOutputPower = false;
    // A figure beyond the boxes: computed with its U from the pass once the
    // pass's own U is known; kept in the pass's `more` at `moreIndex`.
    PassOutcome::MoreFigure (*compute)(const PassOutcome&) = nullptr;
    int moreIndex = -1;
    // What it truly is on the simulated bench, from the circuit's own real
    // powers; none where the circuit does not tell.
    std::optional<double> (*truth)(const PassOutcome::Truth&) = nullptr;

    // The figure's number in this pass, and its expanded uncertainty (with
    // why there is none) or the number of it, if it has one.
    std::optional<double> number(const PassOutcome& pass) const;
    const Expanded* expanded(const PassOutcome& pass) const;
    std::optional<double> U(const PassOutcome& pass) const;
    // Its U comes from the bench's declared accuracy (not a calibration's).
    bool hasDeclaredU() const { return quantity.has_value() || compute != nullptr; }
    // The figure and its U put back into a pass, as a record row gives them.
    void restore(PassOutcome& pass, std::optional<double> value, std::optional<double> U) const;
    std::string name() const { return title.substr(0, title.find(" (")); }
    std::string unit() const {
        const auto open = title.find(" (");
        return open == std::string::npos ? std::string() : title.substr(open + 2, title.size() - open - 3);
    }
};
const std::vector<CatalogueFigure>& figureCatalogue();
// The entry of that title, or none.
const CatalogueFigure* catalogueFigure(std::string_view title);
// Computes each figure beyond the boxes into the pass, with its U.
void computeMoreFigures(PassOutcome& pass);

// What goes beside a result box: its figure's U ("±8.9"), or "unusable" or
// "clipped"; marked (with the reason in words) when the figure rests on a
// low power factor or a clipped channel. Empty for a box without a U.
struct BoxMark {
    std::string text;
    std::string reason;
    bool marked = false;
};
BoxMark boxMark(const PassUncertainty& u, PassOutcome::Box box);
// The result box that shows a quantity, if one does.
std::optional<PassOutcome::Box> boxOf(Quantity q);
