#pragma once

#include "PassOutcome.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The record's columns that hold a number of the pass: the measured values
// and the figures, each with its title, its number and, where it has one,
// the quantity whose U goes with it. Limits name these columns; the U95 and
// verdict columns follow them.
struct FigureColumn {
    std::string title; // "phase angle efficiency (%)"
    std::optional<double> (*number)(const PassOutcome&);
    std::optional<Quantity> quantity; // none: no declared accuracy bears on it
    // A figure read through the channel calibration: its U is the
    // calibration's, and where the calibration does not apply or does not
    // fit the bench it has no verdict.
    bool calibrated = false;
    // Puts a number into the pass where `number` reads it.
    void (*put)(PassOutcome&, std::optional<double>) = nullptr;
    // The figure's expanded uncertainty in this pass, if it has one.
    std::optional<double> U(const PassOutcome& pass) const;
    // The figure and its U put back into a pass, as a record row gives them.
    void restore(PassOutcome& pass, std::optional<double> value, std::optional<double> U) const;
    std::string name() const { return title.substr(0, title.find(" (")); }
    std::string unit() const {
        const auto open = title.find(" (");
        return open == std::string::npos ? std::string() : title.substr(open + 2, title.size() - open - 3);
    }
};
const std::vector<FigureColumn>& figureColumns();
// The column of that title, or none.
const FigureColumn* figureColumnTitled(std::string_view title);
