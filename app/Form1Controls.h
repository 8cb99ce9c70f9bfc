#pragma once

#include "Controls.h"
#include "MainPanel.h"
#include "PassOutcome.h"
#include "Statuses.h"

#include <array>

// Every control of the main window, by its name, in its design state. The
// captions, labels and buttons are the window's own; the boxes, lists and
// marks that the instrument changes are the measuring session's panel, held
// here under the names the window has always given them.
struct Form1Controls {
    explicit Form1Controls(MainPanel& panel);
    Form1Controls(const Form1Controls&) = delete;
    Form1Controls& operator=(const Form1Controls&) = delete;

    WindowModel window;

    ComboBox& Combo1; // SELECT LOAD RESISTOR (OHMS)
    ComboBox& Combo2; // POWER SUPPLY (V RMS)
    ComboBox& Combo3; // SAMPLE AVERAGE
    ComboBox& Combo4; // LOAD CAPACITOR (uF)

    ScopeStatusBox& Text1;       // OSCILLOSCOPE STATUS
    TextBox& Text2;              // USB PORT
    TextBox& Text3;              // RESONANT FREQUENCY (Hz)
    TextBox& Text4;              // INPUT VOLTAGE (V RMS)
    TextBox& Text5;              // INPUT CURRENT (A RMS)
    TextBox& Text6;              // INPUT PHASE ANGLE (DEGREES)
    TextBox& Text7;              // PHASE REAL INPUT POWER (WATTS)
    TextBox& Text8;              // OUTPUT VOLTAGE (V RMS)
    TextBox& Text9;              // OUTPUT CURRENT (A RMS)
    TextBox& Text10;             // PHASE REAL OUTPUT POWER (WATTS)
    TextBox& Text11;             // PHASE ANGLE: EFFICIENCY (%)
    CalculatorStatusBox& Text12; // CALCULATOR STATUS
    TextBox& Text13;             // OSCILLOSCOPE
    TextBox& Text14;             // TEST TIMESTAMP
    TextBox& Text15;             // TRANSFORMER
    TextBox& Text16;             // LOAD RESISTOR: EFFICIENCY (%)
    TextBox& Text17;             // OUTPUT PHASE ANGLE (DEGREES)
    TextBox& Text18;             // APPARENT INPUT POWER (VA)
    TextBox& Text19;             // APPARENT OUTPUT POWER (VA)
    TextBox& Text20;             // REACTIVE INPUT POWER (VAR)
    TextBox& Text21;             // REACTIVE OUTPUT POWER (VAR)
    TextBox& Text22;             // APPARENT POWER MULTIPLIER
    TextBox& Text23;             // RESISTOR REAL OUTPUT POWER (WATTS)
    TextBox& Text24;             // COMMENT:

    Label Label1; // the notice line in the footer
    Label Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10, Label11;
    Label Label12, Label13, Label14, Label15, Label16, Label17, Label18, Label19, Label20;
    Label Label21, Label22, Label23, Label24, Label25, Label26, Label27, Label28, Label29;
    Label Label30;
    // Beside each result box, in the pass's box order: its figure's ± from
    // the bench's declared accuracy (empty for a box without one).
    std::array<Label, PassOutcome::BoxCount>& PlusMinus;

    Button Command1;                          // CLOSE
    Button Command2;                          // RECONNECT
    Button Command3;                          // START CALCULATION
    Button Command4;                          // DISCONNECT
    Button Command5;                          // SETTINGS
    Button Command6;                          // CAPTURE
    Button Command7;                          // STOP CALCULATION
    Button Command9;                          // CLEAR LIST
    Button CommandAccuracy;                   // ACCURACY: the bench's declared accuracy
    Button CommandLimits;                     // LIMITS: the limit set the passes are judged against
    Button CommandCharacterise;               // CHARACTERISE: a transformer over its load range
    Button CommandUnitTest;                   // UNIT TEST: a unit against a plan of steps
    Label LabelUnit, LabelOperator, LabelLot; // UNIT, OPERATOR, LOT
    TextBox& TextUnit;
    TextBox& TextOperator;
    TextBox& TextLot;
    Label LabelVerdict;   // VERDICT
    TextBox& TextVerdict; // the last pass's verdict, until the next one starts
    Label& VerdictReason; // why, in words
    // Under the efficiencies' ±: each efficiency with its output read through
    // the channel calibration, and its U ("cal 88.21 ±0.93"), or
    // "uncalibrated"; empty while no calibration is held.
    Label& CalibratedPhase;
    Label& CalibratedResistor;
    // Under the comment: the calibration in force, or why there is none.
    Label& CalibrationLine;

    // Why the last pass's marked figures should not be trusted as they stand,
    // and its verdict line (the report shows both under the results).
    std::string& UncertaintyWarnings;
    std::string& VerdictLine;

    ListBox& List1; // event and result list
    Lamp& Shape1;   // ACQUIRE

    // The boxes Text1 to Text24 in order of their numbers.
    TextBox* textBox(int number);
    // The labels Label2 to Label30 in order of their numbers.
    Label* label(int number);

  private:
    MainPanel& panel_;
};
