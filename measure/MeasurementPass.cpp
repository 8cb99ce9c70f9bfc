#include "MeasurementPass.h"
#include "Statuses.h"

#include "Controls.h"
#include "DisplayPattern.h"
#include "EfficiencyFigures.h"
#include "EventPump.h"
#include "ScopeConnection.h"
#include "ScopeExchange.h"
#include "Timestamp.h"

namespace {

constexpr const char* FourDecimals = "##0.0000";
constexpr const char* Overflow = "OVERFLOW";
constexpr double FrequencyLimit = 50100;
constexpr double VoltsAndWattsLimit = 999.9999;
constexpr double AmpsLimit = 99.9999;

const char* const InputSideMath = "MATH:DEFINE \"CH1 * CH2\"";
const char* const OutputSideMath = "MATH:DEFINE \"CH3 * CH4\"";

constexpr MeasurementPass::ValueQuery FrequencyQuery{PassOutcome::Frequency, "MEASU:IMMED:VALUE?",
                                                     "FREQUENCY Request Failed", ">> Read the RESONANT FREQUENCY in Hz",
                                                     ":MEASUREMENT:IMMED:VALUE "};
constexpr MeasurementPass::ValueQuery InputVoltageQuery{
    PassOutcome::InputVoltage, "MEASU:MEAS1:VALUE?", "INPUT VOLTAGE Request Failed",
    ">> Read the INPUT VOLTAGE in Volts RMS", ":MEASUREMENT:MEAS1:VALUE "};
constexpr MeasurementPass::ValueQuery InputCurrentQuery{
    PassOutcome::InputCurrent, "MEASU:MEAS2:VALUE?", "INPUT CURRENT Request Failed",
    ">> Read the INPUT CURRENT in Amps RMS", ":MEASUREMENT:MEAS2:VALUE "};
constexpr MeasurementPass::ValueQuery InputPowerQuery{
    PassOutcome::InputPower, "MEASU:MEAS3:VALUE?", "INPUT POWER Request Failed",
    ">> Read the REAL INPUT POWER in Watts", ":MEASUREMENT:MEAS3:VALUE "};
constexpr MeasurementPass::ValueQuery OutputVoltageQuery{
    PassOutcome::OutputVoltage, "MEASU:MEAS4:VALUE?", "OUTPUT VOLTAGE Request Failed",
    ">> Read the OUTPUT VOLTAGE in Volts RMS", ":MEASUREMENT:MEAS4:VALUE "};
constexpr MeasurementPass::ValueQuery OutputCurrentQuery{
    PassOutcome::OutputCurrent, "MEASU:MEAS5:VALUE?", "OUTPUT CURRENT Request Failed",
    ">> Read the OUTPUT CURRENT in Amps RMS", ":MEASUREMENT:MEAS5:VALUE "};
constexpr MeasurementPass::ValueQuery OutputPowerQuery{
    PassOutcome::OutputPower, "MEASU:MEAS3:VALUE?", "OUTPUT POWER Request Failed",
    ">> Read the REAL OUTPUT POWER in Watts", ":MEASUREMENT:MEAS3:VALUE "};

} // namespace

MeasurementPass::MeasurementPass(ScopeExchange& exchange, ScopeConnection& connection, EventPump& pump,
                                 PassControls controls, Measurements& measured, Figures& figures,
                                 const bool& stopRequested, bool& testFailed, std::function<QDateTime()> now)
    : exchange_(exchange), connection_(connection), pump_(pump), c_(controls), m_(measured), f_(figures),
      StopRequested(stopRequested), TestFailed(testFailed), now_(std::move(now)) {}

void MeasurementPass::RunCalculation() {
    TestFailed = false;
    c_.List1.Clear();
    ClearResultBoxes(c_);
    outcome_ = PassOutcome{};
    f_ = Figures{};
    const Step step = measure();
    using Ending = PassOutcome::Ending;
    completeOutcome(step == Step::Next ? Ending::Complete : step == Step::Stop ? Ending::Stopped : Ending::LinkFailure);
    if (ended) {
        ended(outcome_);
    }
    if (step != Step::Failed) {
        closingSteps();
    }
}

// Everything up to the closing steps: how it ended says what follows.
MeasurementPass::Step MeasurementPass::measure() {
    if (!defineMath(InputSideMath)) {
        return Step::Failed;
    }
    Step step = readInputSide();
    if (step == Step::Next) {
        step = readOutputSide();
    }
    if (step == Step::Next) {
        showResults();
    }
    return step;
}

MeasurementPass::Step MeasurementPass::readInputSide() {
    Step step = readFrequency();
    if (step == Step::Next) {
        step = readValue(InputVoltageQuery, true, m_.InputVoltageText, &MeasurementPass::applyInputVoltage,
                         m_.InputVoltage);
    }
    if (step == Step::Next) {
        step = readValue(InputCurrentQuery, true, m_.InputCurrentText, &MeasurementPass::applyInputCurrent,
                         m_.InputCurrent);
    }
    if (step != Step::Next) {
        return step;
    }
    if (StopRequested) {
        return Step::Stop;
    }
    showApparentInputPower(m_, f_, shown(PassOutcome::ApparentInputPowerBox));

    step = readValue(InputPowerQuery, false, m_.InputPowerText, &MeasurementPass::applyInputPower, m_.InputPower);
    if (step != Step::Next) {
        return step;
    }
    if (StopRequested) {
        return Step::Stop;
    }
    showInputPhaseAngle(m_, f_, shown(PassOutcome::InputPhaseAngleBox));
    pump_.yield();

    if (StopRequested) {
        return Step::Stop;
    }
    showReactiveInputPower(f_, shown(PassOutcome::ReactiveInputPowerBox));
    return Step::Next;
}

MeasurementPass::Step MeasurementPass::readOutputSide() {
    if (!defineMath(OutputSideMath)) {
        return Step::Failed;
    }
    Step step = readValue(OutputVoltageQuery, true, m_.OutputVoltageText, &MeasurementPass::applyOutputVoltage,
                          m_.OutputVoltage);
    if (step == Step::Next) {
        step = readValue(OutputCurrentQuery, true, m_.OutputCurrentText, &MeasurementPass::applyOutputCurrent,
                         m_.OutputCurrent);
    }
    if (step != Step::Next) {
        return step;
    }
    if (StopRequested) {
        return Step::Stop;
    }
    showApparentOutputPower(m_, f_, shown(PassOutcome::ApparentOutputPowerBox),
                            shown(PassOutcome::ApparentMultiplierBox), c_.List1);

    if (m_.OutputVoltage == 0 || m_.OutputCurrent == 0) {
        // No output: no output power to read.
        m_.OutputPower = 0;
        shown(PassOutcome::OutputPowerBox).text(formatPattern(0, FourDecimals));
        took(PassOutcome::OutputPower, m_.OutputPower);
        return Step::Next;
    }
    step = readValue(OutputPowerQuery, true, m_.OutputPowerText, &MeasurementPass::applyOutputPower, m_.OutputPower);
    if (step == Step::Next && StopRequested) {
        return Step::Stop;
    }
    return step;
}

void MeasurementPass::showResults() {
    showOutputPhaseAngle(m_, f_, shown(PassOutcome::OutputPhaseAngleBox));
    pump_.yield();
    showReactiveOutputPower(f_, shown(PassOutcome::ReactiveOutputPowerBox));
    showPhaseEfficiency(m_, f_, shown(PassOutcome::PhaseEfficiencyBox));
    showResistorFigures(m_, f_, c_.Combo1.text, shown(PassOutcome::ResistorOutputPowerBox),
                        shown(PassOutcome::ResistorEfficiencyBox), c_.List1);
    logEfficiencyDifference(f_, c_.List1);
    logOutputPowerFactors(m_, f_, c_.List1);
    shown(PassOutcome::TimestampBox).text(now_ ? timestampText(now_()) : std::string());
    pump_.yield();
}

void MeasurementPass::closingSteps() {
    if (!defineMath(InputSideMath)) {
        return;
    }
    c_.List1.AddItem("STOP CALCULATION");
    pump_.yield();
    c_.Text1.set(ScopeStatus::Ready);
    c_.Text12.set(CalculatorStatus::Ready);
    c_.settingsStatus.set(ScopeStatus::Ready);
    c_.List1.AddItem(wordsOf(CalculatorStatus::Ready));
    pump_.yield();
}

// What the pass reached, with the set-up it ran with; its box texts were
// kept as they were shown.
void MeasurementPass::completeOutcome(PassOutcome::Ending ending) {
    outcome_.when = now_ ? now_() : QDateTime();
    outcome_.ending = ending;
    outcome_.setUp = {c_.Text15.text, c_.Combo2.text, c_.Combo1.text, c_.Combo4.text, c_.Combo3.text, c_.Text24.text};
    outcome_.figures = f_;
}

ShownBox MeasurementPass::shown(PassOutcome::Box box) {
    return ShownBox(resultBox(c_, box), outcome_.shown[box]);
}

void MeasurementPass::clearResults() {
    ClearResultBoxes(c_);
    outcome_.shown.fill(std::string());
}

// --- the steps' parts ------------------------------------------------------

bool MeasurementPass::defineMath(const char* definition) {
    if (!exchange_.SendCommand(definition, "MATH Redefinition Failed")) {
        connection_.ResetScope();
        return false;
    }
    return true;
}

// The frequency's step: a frequency out of range ends the pass.
MeasurementPass::Step MeasurementPass::readFrequency() {
    std::optional<double> v;
    const Step step = valueStep(FrequencyQuery, true, v, m_.FrequencyText);
    if (step != Step::Next) {
        return step;
    }
    if (!applyFrequency(v)) {
        return Step::Failed;
    }
    took(PassOutcome::Frequency, m_.Frequency);
    pump_.yield();
    return Step::Next;
}

// A value's step: its query and answer, its range rule, the value kept.
MeasurementPass::Step MeasurementPass::readValue(const ValueQuery& q, bool testStopFirst, std::string& answerText,
                                                 RangeRule rule, const double& kept) {
    std::optional<double> v;
    const Step step = valueStep(q, testStopFirst, v, answerText);
    if (step != Step::Next) {
        return step;
    }
    (this->*rule)(v);
    took(q.value, kept);
    pump_.yield();
    return Step::Next;
}

MeasurementPass::Step MeasurementPass::valueStep(const ValueQuery& q, bool testStopFirst, std::optional<double>& value,
                                                 std::string& valueText) {
    if (testStopFirst && StopRequested) {
        return Step::Stop;
    }
    if (!exchange_.SendCommand(q.query, q.failureLine)) {
        connection_.ResetScope();
        return Step::Failed;
    }
    if (StopRequested) {
        // The answer is on its way and nobody will read it.
        exchange_.DiscardUnread();
        return Step::Stop;
    }
    c_.List1.AddItem(q.announcement);
    const auto answer = exchange_.ReadAnswer(q.header);
    if (!answer) {
        connection_.ResetScope();
        return Step::Failed;
    }
    valueText = AnswerValueText(*answer, exchange_.record.CrPos);
    value = AnswerValue(*answer, exchange_.record.CrPos);
    outcome_.answers[q.value] = valueText;
    return Step::Next;
}

// A value that is no number is no measurement: it takes each rule's
// out-of-range branch, and the values a rule would keep count as 0.
bool MeasurementPass::applyFrequency(std::optional<double> v) {
    if (!v || *v >= FrequencyLimit) {
        shown(PassOutcome::FrequencyBox).show("----", Colours::Red, Colours::White);
        c_.List1.AddItem("RESONANT FREQUENCY must be <= 50.1KHz");
        connection_.ResetScope();
        return false;
    }
    m_.Frequency = *v;
    shown(PassOutcome::FrequencyBox).text(formatPattern(*v, "##,##0.0"));
    return true;
}

void MeasurementPass::applyInputVoltage(std::optional<double> v) {
    m_.InputVoltage = v.value_or(0);
    shown(PassOutcome::InputVoltageBox).text(v && *v < VoltsAndWattsLimit ? formatPattern(*v, FourDecimals) : Overflow);
}

void MeasurementPass::applyInputCurrent(std::optional<double> v) {
    if (!v || *v >= AmpsLimit) {
        m_.InputCurrent = 0;
        shown(PassOutcome::InputCurrentBox).text(Overflow);
        return;
    }
    m_.InputCurrent = *v;
    shown(PassOutcome::InputCurrentBox).text(formatPattern(*v, FourDecimals));
}

void MeasurementPass::applyInputPower(std::optional<double> v) {
    m_.InputPower = v.value_or(0);
    shown(PassOutcome::InputPowerBox).text(v && *v < VoltsAndWattsLimit ? formatPattern(*v, FourDecimals) : Overflow);
}

void MeasurementPass::applyOutputVoltage(std::optional<double> v) {
    if (!v || *v < 1 || *v > VoltsAndWattsLimit) {
        m_.OutputVoltage = 0;
        shown(PassOutcome::OutputVoltageBox).text("0.0000");
        return;
    }
    m_.OutputVoltage = *v;
    shown(PassOutcome::OutputVoltageBox).text(formatPattern(*v, FourDecimals));
}

void MeasurementPass::applyOutputCurrent(std::optional<double> v) {
    if (!v || *v >= AmpsLimit) {
        m_.OutputCurrent = 0;
        shown(PassOutcome::OutputCurrentBox).text(Overflow);
        return;
    }
    m_.OutputCurrent = *v;
    shown(PassOutcome::OutputCurrentBox).text(formatPattern(*v, FourDecimals));
}

void MeasurementPass::applyOutputPower(std::optional<double> v) {
    m_.OutputPower = v.value_or(0);
    shown(PassOutcome::OutputPowerBox).text(v && *v < VoltsAndWattsLimit ? formatPattern(*v, FourDecimals) : Overflow);
}

TextBox& resultBox(PassControls& c, PassOutcome::Box box) {
    const std::array<TextBox*, PassOutcome::BoxCount> boxes{
        &c.Text3,  &c.Text4,  &c.Text5,  &c.Text18, &c.Text6,  &c.Text20, &c.Text7,  &c.Text8,  &c.Text9,
        &c.Text19, &c.Text22, &c.Text17, &c.Text21, &c.Text10, &c.Text11, &c.Text23, &c.Text16, &c.Text14};
    return *boxes.at(box);
}

void ClearResultBoxes(PassControls& c) {
    for (TextBox* box :
         {&c.Text3, &c.Text4, &c.Text5, &c.Text6, &c.Text7, &c.Text8, &c.Text9, &c.Text10, &c.Text11, &c.Text14,
          &c.Text16, &c.Text17, &c.Text18, &c.Text19, &c.Text20, &c.Text21, &c.Text22, &c.Text23}) {
        box->text.clear();
    }
    for (TextBox* box : {&c.Text3, &c.Text6, &c.Text17}) {
        box->setColours(Colours::White, Colours::Black);
    }
}
