#include "MeasuringSession.h"

#include "FigureCatalogue.h"

#include "Clock.h"
#include "DialogueFlag.h"
#include "EventPump.h"
#include "MeasurementRecord.h"
#include "NumberText.h"
#include "PassMarks.h"
#include "ProgramVersion.h"
#include "SetupLists.h"
#include "Statuses.h"
#include "VerdictLook.h"
#include "WhoText.h"

#include <QUuid>

MeasuringSession::MeasuringSession(const Platform& p)
    : platform(p), exchange(p.d2xx, p.pump, panel.List1, link.lngHandle, link.TestFailed),
      connection(
          p.d2xx, p.clock, p.pump, exchange,
          LinkControls{panel.Text1, panel.Text2, panel.Text12, panel.Text13, panel.Shape1, panel.List1},
          LinkVariables{link.lngHandle, link.ScopeOpen, link.TestFailed, link.CalculationRunning, link.DialogueRunning},
          [this] { return Settings.isVisible(); }),
      results(panel, Settings.Text1), setUp(panel, Settings, link, exchange, p.d2xx, results),
      Settings(panel, link, setUp, p) {}

// --- start and end --------------------------------------------------------------

void MeasuringSession::prepare() {
    link.ScopeOpen = 0;
    link.StopRequested = false;
    link.CalculationRunning = false;
    link.TestFailed = false;
    logOsVersion();
    measured.InputVoltage = 0;
    measured.InputCurrent = 0;
    measured.OutputVoltage = 0;
    measured.OutputCurrent = 0;
    setUp.fillLists();
    panel.Shape1.FillColor = Colours::Red;
    showDesignState();
}

void MeasuringSession::logOsVersion() {
    osVersionInfo.dwOSVersionInfoSize = 148;
    osVersionInfo.szCSDVersion.fill(' ');
    versionResult = platform.os.GetVersionExA(&osVersionInfo);
    panel.List1.AddItem("OS Version: " + std::to_string(osVersionInfo.dwMajorVersion) + "." +
                        std::to_string(osVersionInfo.dwMinorVersion));
    panel.List1.AddItem("");
}

// The boxes empty and centred in their fonts, the lists showing their
// "nothing chosen" items.
void MeasuringSession::showDesignState() {
    panel.List1.font = {8, false};
    panel.List1.BackColor = Colours::White;
    panel.List1.ForeColor = Colours::Black;
    for (int n = 1; n <= 24; ++n) {
        TextBox& box = *panel.textBox(n);
        box.text.clear();
        box.font = {12, true};
        box.alignment = Alignment::Centre;
        box.setColours(Colours::White, Colours::Black);
    }
    panel.Text24.alignment = Alignment::Left;
    for (TextBox* who : {&panel.TextUnit, &panel.TextOperator, &panel.TextLot}) {
        who->font = {10, true};
        who->alignment = Alignment::Left;
        who->setColours(Colours::White, Colours::Black);
    }
    for (TextBox* big : {&panel.Text11, &panel.Text14, &panel.Text16, &panel.Text22}) {
        big->font.pointSize = 18;
    }
    panel.Text13.font.pointSize = 24;
    panel.Text13.setColours(Colours::Blue, Colours::White);
    for (auto [combo, shown] : {std::pair{&panel.Combo1, NoLoadItem}, std::pair{&panel.Combo2, NoSupplyItem},
                                std::pair{&panel.Combo3, "16"}, std::pair{&panel.Combo4, NoLoadItem}}) {
        combo->text = shown;
        combo->font = {12, true};
        combo->BackColor = Colours::White;
        combo->ForeColor = Colours::Black;
    }
    setUp.SampleAverage = parseWholeNumber(panel.Combo3.text).value_or(16);
}

void MeasuringSession::connect() {
    platform.pump.yield();
    connection.ConnectScope();
}

void MeasuringSession::closeLink() {
    if (!link.TestFailed) {
        // The statuses are not looked at: the program ends whatever they say.
        exchange.record.ftStatus = platform.d2xx.FT_CyclePort(link.lngHandle);
        exchange.record.ftStatus = platform.d2xx.FT_Close(link.lngHandle);
    }
}

void MeasuringSession::disconnect() {
    connection.disconnect();
}

void MeasuringSession::reconnect() {
    connection.reconnect();
}

void MeasuringSession::openSettings() {
    if (link.CalculationRunning || link.ScopeOpen != 1 || link.TestFailed) {
        return;
    }
    if (Settings.isVisible()) {
        panel.List1.AddItem("");
        panel.List1.AddItem("Oscilloscope Settings Window Already Open");
        return;
    }
    panel.List1.Clear();
    panel.List1.AddItem("Oscilloscope Settings Window Button Pressed");
    Settings.ShowSettings();
}

// --- passes ------------------------------------------------------------------------

void MeasuringSession::startCalculation() {
    link.StopRequested = false;
    if (link.ScopeOpen != 1 || link.CalculationRunning) {
        return;
    }
    if (!panel.Text12.is(CalculatorStatus::Ready) || panel.Text15.text.empty()) {
        return;
    }
    if (!setUp.supplyChosen() || !setUp.capacitorChosen()) {
        return;
    }
    // One dialogue with the scope at a time.
    if (link.DialogueRunning) {
        return;
    }
    link.CalculationRunning = true;
    results.clearMarks();
    showLimitSet(panel, limits);
    panel.Text12.set(CalculatorStatus::Running);
    Settings.showScopeStatus(ScopeStatus::Running);
    {
        DialogueFlag dialogue(link.DialogueRunning);
        MeasurementPass pass(exchange, connection, platform.pump, results.passControls(), measured, figures,
                             link.StopRequested, link.TestFailed, [this] { return now(); });
        pass.ended = [this](const PassOutcome& measuredPass) { passEnded(measuredPass); };
        results.running = &pass;
        struct Forget {
            MeasurementPass*& running;
            ~Forget() { running = nullptr; }
        } forget{results.running};
        pass.RunCalculation();
    }
    if (record != nullptr) {
        logRecordEvents(record->reportWait);
    }
    link.CalculationRunning = false;
}

void MeasuringSession::passEnded(const PassOutcome& measuredPass) {
    PassOutcome outcome = measuredPass;
    if (calibrationReadings_ != nullptr) {
        describeNode(outcome);
        calibrationReadings_->push_back(outcome);
        return;
    }
    describeBench(outcome);
    showPassMarks(panel, outcome);
    if (record != nullptr) {
        record->passEnded(outcome);
        if (limits && outcome.verdict) {
            record->keepLimitSet(limits->sha256, limits->bytes);
        }
    }
    lastPass = outcome;
    for (const auto& listener : passListeners) {
        listener(outcome);
    }
}

void MeasuringSession::describeBench(PassOutcome& pass) {
    pass.passId = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    pass.bench = benchName;
    pass.belongs = belongs;
    // A pass outside a unit's test is of the unit, operator and lot shown.
    for (auto [field, box] : {std::pair{&PassOutcome::Belongs::unit, &panel.TextUnit},
                              {&PassOutcome::Belongs::operatorName, &panel.TextOperator},
                              {&PassOutcome::Belongs::lot, &panel.TextLot}}) {
        if ((pass.belongs.*field).empty()) {
            pass.belongs.*field = whoText(box->text);
        }
    }
    describeNode(pass);
    pass.accuracy = accuracy;
    pass.truth = benchTruth ? benchTruth() : std::nullopt;
    pass.uncertainty = passUncertainty(pass);
    pass.calibrated = calibratedFigures(pass, calibrations, calibrationDays, pass.when.date());
    if (!pass.calibrated.misfit.empty()) {
        auto& warnings = pass.uncertainty.warnings;
        warnings += (warnings.empty() ? "" : "; ") + pass.calibrated.misfit;
    }
    computeMoreFigures(pass);
    pass.verdict = limits ? std::optional<PassVerdict>(judgePass(pass, *limits)) : std::nullopt;
    if (const auto truly = limits ? judgeTruth(pass, *limits) : std::nullopt) {
        pass.belongs.simulatedTrueVerdict = verdictName(*truly);
    }
}

void MeasuringSession::describeNode(PassOutcome& pass) {
    pass.instrument = {programVersion(), connection.IdAnswer, adapterName(), panel.Text2.text, simulation};
    pass.scopeSetUp = Settings.scopeSetUp();
}

std::string MeasuringSession::calibrationStatus() const {
    PassOutcome asNow;
    asNow.instrument = {programVersion(), connection.IdAnswer, adapterName(), panel.Text2.text, simulation};
    asNow.scopeSetUp = Settings.scopeSetUp();
    const QDate today = now().date();
    const CalibrationFound found = calibrationFor(calibrations, asNow, calibrationDays, today);
    if (found.calibration == nullptr) {
        return "uncalibrated: " + (found.why.empty() ? std::string("no channel calibration taken") : found.why);
    }
    const qint64 age = found.calibration->date.daysTo(today);
    return "calibration " + found.calibration->name() + " (" +
           (age == 0 ? std::string("today") : std::to_string(age) + (age == 1 ? " day" : " days") + " old") + ")";
}

void MeasuringSession::showCalibrationStatus() {
    const bool misfitShown = lastPass && !lastPass->calibrated.misfit.empty() && !panel.CalibratedPhase.caption.empty();
    panel.CalibrationLine.caption = misfitShown ? lastPass->calibrated.misfit : calibrationStatus();
    panel.CalibrationLine.ForeColor = misfitShown ? std::optional<Colour>(MarkedText) : std::nullopt;
    panel.CalibrationLine.toolTip = panel.CalibrationLine.caption;
}

void MeasuringSession::forgetCalibrations() {
    calibrations.clear();
    if (calibrationsChanged) {
        calibrationsChanged(calibrations);
    }
}

std::variant<ChannelCalibration, std::string> MeasuringSession::calibrateChannels() {
    if (link.ScopeOpen != 1 || link.CalculationRunning || link.DialogueRunning ||
        !panel.Text12.is(CalculatorStatus::Ready)) {
        return std::string("the calculator is not ready");
    }
    std::vector<PassOutcome> readings;
    calibrationReadings_ = &readings;
    if (probesOnOneNode) {
        probesOnOneNode(true);
    }
    for (int n = 0; n < CalibrationReadings && !link.StopRequested && !link.TestFailed; ++n) {
        const std::size_t before = readings.size();
        startCalculation();
        if (readings.size() == before) {
            break; // no pass ran
        }
    }
    if (probesOnOneNode) {
        probesOnOneNode(false);
    }
    calibrationReadings_ = nullptr;
    // The boxes held the node's readings: no pass of the transformer.
    ClearResultBoxes();
    if (readings.size() < static_cast<std::size_t>(CalibrationReadings)) {
        return "only " + std::to_string(readings.size()) + " of " + std::to_string(CalibrationReadings) +
               " readings were taken";
    }
    auto taken = calibrationFrom(readings, adapterName(), now().date());
    if (const auto* c = std::get_if<ChannelCalibration>(&taken)) {
        calibrations.insert(calibrations.begin(), *c);
        if (calibrations.size() > CalibrationsKept) {
            calibrations.resize(CalibrationsKept);
        }
        if (calibrationsChanged) {
            calibrationsChanged(calibrations);
        }
    }
    return taken;
}

void MeasuringSession::showLimits() {
    showLimitSet(panel, limits);
}

void MeasuringSession::logRecordEvents(std::chrono::milliseconds limit) {
    if (record != nullptr) {
        for (const std::string& line : record->events(limit)) {
            panel.List1.AddItem(line);
        }
    }
    if (databaseEvents) {
        for (const std::string& line : databaseEvents()) {
            panel.List1.AddItem(line);
        }
    }
}

void MeasuringSession::stopCalculation() {
    if (panel.Text12.is(CalculatorStatus::Wait) || link.ScopeOpen != 1 || !link.CalculationRunning) {
        return;
    }
    link.StopRequested = true;
    ClearResultBoxes();
}

void MeasuringSession::clearList() {
    panel.List1.Clear();
}

std::string MeasuringSession::adapterName() const {
    return onSimulatedBench ? "simulated" : connection.AdapterSerialNumber;
}
