#pragma once

#include "Measurements.h"
#include "PassOutcome.h"
#include "ShownBox.h"
#include "Statuses.h"

#include <functional>
#include <optional>
#include <string>

class EventPump;
class ScopeConnection;
class ScopeExchange;
struct ComboBox;
struct ListBox;
struct TextBox;

// The main window's boxes a pass fills, and the status boxes it hands back.
struct PassControls {
    ScopeStatusBox& Text1;       // OSCILLOSCOPE STATUS
    TextBox& Text3;              // RESONANT FREQUENCY
    TextBox& Text4;              // INPUT VOLTAGE
    TextBox& Text5;              // INPUT CURRENT
    TextBox& Text6;              // INPUT PHASE ANGLE
    TextBox& Text7;              // PHASE REAL INPUT POWER
    TextBox& Text8;              // OUTPUT VOLTAGE
    TextBox& Text9;              // OUTPUT CURRENT
    TextBox& Text10;             // PHASE REAL OUTPUT POWER
    TextBox& Text11;             // PHASE ANGLE: EFFICIENCY
    CalculatorStatusBox& Text12; // CALCULATOR STATUS
    TextBox& Text14;             // TEST TIMESTAMP
    TextBox& Text16;             // LOAD RESISTOR: EFFICIENCY
    TextBox& Text17;             // OUTPUT PHASE ANGLE
    TextBox& Text18;             // APPARENT INPUT POWER
    TextBox& Text19;             // APPARENT OUTPUT POWER
    TextBox& Text20;             // REACTIVE INPUT POWER
    TextBox& Text21;             // REACTIVE OUTPUT POWER
    TextBox& Text22;             // APPARENT POWER MULTIPLIER
    TextBox& Text23;             // RESISTOR REAL OUTPUT POWER
    ComboBox& Combo1;            // SELECT LOAD RESISTOR
    ListBox& List1;
    ScopeStatusBox& settingsStatus; // the settings window's status box
    // The rest of the set-up, which a pass only reports.
    const TextBox& Text15;  // TRANSFORMER
    const ComboBox& Combo2; // POWER SUPPLY
    const ComboBox& Combo3; // SAMPLE AVERAGE
    const ComboBox& Combo4; // LOAD CAPACITOR
    const TextBox& Text24;  // COMMENT
};

// The result box the pass's value keeps as `box`.
TextBox& resultBox(PassControls& c, PassOutcome::Box box);

// Empties the eighteen result boxes and puts the colours of the frequency and
// phase-angle boxes back to black on white.
void ClearResultBoxes(PassControls& c);

// One measurement pass: input side, MATH switched to the output side, output
// side, figures, and MATH back to the input side.
class MeasurementPass {
  public:
    MeasurementPass(ScopeExchange& exchange, ScopeConnection& connection, EventPump& pump, PassControls controls,
                    Measurements& measured, Figures& figures, const bool& stopRequested, bool& testFailed,
                    std::function<QDateTime()> now);

    void RunCalculation();

    // Told the pass as a value, before its closing steps (or after the reset
    // that ended it). What it was measured with (the instrument, the scope's
    // set-up) is the teller's to add.
    std::function<void(const PassOutcome&)> ended;

    // STOP CALCULATION's clearing: the result boxes, and the texts the pass
    // keeps of them, emptied.
    void clearResults();

    struct ValueQuery {
        PassOutcome::Value value;
        const char* query;
        const char* failureLine;
        const char* announcement;
        const char* header; // how the scope's answer to it begins
    };

  private:
    // What a value step did: the pass goes on, stops (closing steps), or ends
    // after a failure (the link was reset).
    enum class Step { Next, Stop, Failed };
    Step valueStep(const ValueQuery& q, bool testStopFirst, std::optional<double>& value, std::string& valueText);
    bool defineMath(const char* definition);
    using RangeRule = void (MeasurementPass::*)(std::optional<double>);
    Step readFrequency();
    Step readValue(const ValueQuery& q, bool testStopFirst, std::string& answerText, RangeRule rule,
                   const double& kept);
    Step measure();
    Step readInputSide();
    Step readOutputSide();
    void showResults();
    void closingSteps();

    // Range rules, one per value; false when the pass must end.
    bool applyFrequency(std::optional<double> v);
    void applyInputVoltage(std::optional<double> v);
    void applyInputCurrent(std::optional<double> v);
    void applyInputPower(std::optional<double> v);
    void applyOutputVoltage(std::optional<double> v);
    void applyOutputCurrent(std::optional<double> v);
    void applyOutputPower(std::optional<double> v);

    void took(PassOutcome::Value value, double v) { outcome_.values[value] = v; }
    void completeOutcome(PassOutcome::Ending ending);
    // A result box, kept in the pass's value as it is shown.
    ShownBox shown(PassOutcome::Box box);

    ScopeExchange& exchange_;
    ScopeConnection& connection_;
    EventPump& pump_;
    PassControls c_;
    Measurements& m_;
    Figures& f_;
    const bool& StopRequested;
    bool& TestFailed;
    std::function<QDateTime()> now_;
    PassOutcome outcome_;
};
