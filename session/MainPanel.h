#pragma once

#include "Controls.h"
#include "PassOutcome.h"
#include "Statuses.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// What the instrument shows on the main window, whoever looks at it: the
// status boxes, the set-up lists, the result boxes, the event list and the
// ACQUIRE lamp, by their controls' names. The session's routines write
// these; the main window binds its widgets to them, and a run without
// windows reads them as values.
struct MainPanel {
    MainPanel();

    ComboBox Combo1; // SELECT LOAD RESISTOR (OHMS)
    ComboBox Combo2; // POWER SUPPLY (V RMS)
    ComboBox Combo3; // SAMPLE AVERAGE
    ComboBox Combo4; // LOAD CAPACITOR (uF)

    ScopeStatusBox Text1;       // OSCILLOSCOPE STATUS
    TextBox Text2;              // USB PORT
    TextBox Text3;              // RESONANT FREQUENCY (Hz)
    TextBox Text4;              // INPUT VOLTAGE (V RMS)
    TextBox Text5;              // INPUT CURRENT (A RMS)
    TextBox Text6;              // INPUT PHASE ANGLE (DEGREES)
    TextBox Text7;              // PHASE REAL INPUT POWER (WATTS)
    TextBox Text8;              // OUTPUT VOLTAGE (V RMS)
    TextBox Text9;              // OUTPUT CURRENT (A RMS)
    TextBox Text10;             // PHASE REAL OUTPUT POWER (WATTS)
    TextBox Text11;             // PHASE ANGLE: EFFICIENCY (%)
    CalculatorStatusBox Text12; // CALCULATOR STATUS
    TextBox Text13;             // OSCILLOSCOPE
    TextBox Text14;             // TEST TIMESTAMP
    TextBox Text15;             // TRANSFORMER
    TextBox Text16;             // LOAD RESISTOR: EFFICIENCY (%)
    TextBox Text17;             // OUTPUT PHASE ANGLE (DEGREES)
    TextBox Text18;             // APPARENT INPUT POWER (VA)
    TextBox Text19;             // APPARENT OUTPUT POWER (VA)
    TextBox Text20;             // REACTIVE INPUT POWER (VAR)
    TextBox Text21;             // REACTIVE OUTPUT POWER (VAR)
    TextBox Text22;             // APPARENT POWER MULTIPLIER
    TextBox Text23;             // RESISTOR REAL OUTPUT POWER (WATTS)
    TextBox Text24;             // COMMENT:
    // Who and what a pass is of (typed, or scanned by a reader that types and
    // ends with Enter); the operator and the lot are kept until changed.
    TextBox TextUnit;     // UNIT
    TextBox TextOperator; // OPERATOR
    TextBox TextLot;      // LOT

    ListBox List1; // event and result list
    Lamp Shape1;   // ACQUIRE

    // Beside each result box, in the pass's box order: its figure's ± from
    // the bench's declared accuracy (empty for a box without one).
    std::array<Label, PassOutcome::BoxCount> PlusMinus;
    TextBox TextVerdict; // the last pass's verdict, until the next one starts
    Label VerdictReason; // why, in words
    // Under the efficiencies' ±: each efficiency with its output read through
    // the channel calibration, and its U ("cal 88.21 ±0.93"), or
    // "uncalibrated"; empty while no calibration is held.
    Label CalibratedPhase, CalibratedResistor;
    // Why the last pass's marked figures should not be trusted as they stand
    // (the report shows it under the results).
    std::string UncertaintyWarnings;
    // "VERDICT CONDITIONAL FAIL: <reason> (<limit set>)", for the report;
    // the verdict shown, and every limited figure not inside its limit with
    // its reason (the report names them all).
    std::string VerdictLine;
    std::optional<Verdict> VerdictShown;
    std::vector<std::string> VerdictReasons;
    // The calibration in force for the bench as it stands, at all times:
    // "calibration 2026-12-09 ... (today)" or "uncalibrated: <why>"; after a
    // pass whose calibration does not fit, why.
    Label CalibrationLine;

    // The boxes Text1 to Text24 in order of their numbers; null otherwise.
    TextBox* textBox(int number);
};
