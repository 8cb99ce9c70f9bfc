#pragma once

#include "Controls.h"
#include "Verdict.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// The main window's controls the report repeats, as they show at the moment
// of the capture. The main window fills it from its own members.
struct ReportSources {
    const ComboBox& Combo1; // SELECT LOAD RESISTOR
    const ComboBox& Combo2; // POWER SUPPLY
    const ComboBox& Combo3; // SAMPLE AVERAGE
    const ComboBox& Combo4; // LOAD CAPACITOR
    const TextBox& Text3;
    const TextBox& Text4;
    const TextBox& Text5;
    const TextBox& Text6;
    const TextBox& Text7;
    const TextBox& Text8;
    const TextBox& Text9;
    const TextBox& Text10;
    const TextBox& Text11;
    const TextBox& Text14;
    const TextBox& Text15; // TRANSFORMER
    const TextBox& Text16;
    const TextBox& Text17;
    const TextBox& Text18;
    const TextBox& Text19;
    const TextBox& Text20;
    const TextBox& Text21;
    const TextBox& Text22;
    const TextBox& Text23;
    const TextBox& Text24; // COMMENT
    // Beside the result boxes: each one's ± as the main window shows it, in
    // the order the record keeps the boxes (frequency first, timestamp last),
    // and why a marked one should not be trusted as it stands.
    const std::array<Label, 18>& PlusMinus;
    const std::string& Warnings;
    // The last pass's verdict, why and against which limit set; empty without.
    const std::string& Verdict;
    // The verdict shown, and every limited figure not inside its limit.
    const std::optional<::Verdict>& VerdictShown;
    const std::vector<std::string>& VerdictReasons;
    // Each efficiency read through the channel calibration, and the
    // calibration in force (or why none is).
    const Label& CalibratedPhase;
    const Label& CalibratedResistor;
    const Label& CalibrationLine;
};
