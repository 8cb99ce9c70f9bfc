#include "Statuses.h"
#include "Form1.h"

#include "FigureColumns.h"

#include "Clock.h"
#include "CommandNumber.h"
#include "Delay.h"
#include "DialogueFlag.h"
#include "EventPump.h"
#include "MeasurementRecord.h"
#include "NumberText.h"

#include <QUuid>
#include <cstdio>
#include "Clipboard.h"
#include "ProgramHost.h"
#include "ProgramOptions.h"
#include "SetupLists.h"
#include "Screen.h"
#include "TransformerKinds.h"

#include <array>

Form1::Form1(const Platform& p)
    : platform(p), exchange(p.d2xx, p.pump, List1, lngHandle, TestFailed),
      connection(p.d2xx, p.clock, p.pump, exchange,
                 LinkControls{Text1, Text2, Text12, Text13, Shape1, List1},
                 LinkVariables{lngHandle, ScopeOpen, TestFailed, CalculationRunning,
                               DialogueRunning},
                 [this] { return Settings.isVisible(); }),
      Splash(p.screen, p.pump, window.width, window.height), Settings(settingsDoor(), p),
      Report(reportSources(), p) {}

MainWindowDoor Form1::settingsDoor() {
    return MainWindowDoor{Text1,
                          Text12,
                          Text13,
                          Text15,
                          List1,
                          DialogueRunning,
                          lngHandle,
                          [this] { return picks(); },
                          [this] { offerLoadResistors(); },
                          [this] { return showListedAverage(); },
                          [this](TransformerKind kind) { loadSupplyList(kind); },
                          [this] { logLoadResistor(); }};
}

ReportSources Form1::reportSources() const {
    return ReportSources{Combo1, Combo2, Combo3, Combo4, Text3,  Text4,  Text5,  Text6,
                         Text7,  Text8,  Text9,  Text10, Text11, Text14, Text15, Text16,
                         Text17, Text18, Text19, Text20, Text21, Text22, Text23, Text24,
                         PlusMinus,       UncertaintyWarnings, VerdictLine};
}

void Form1::delay(std::int32_t msdelay) { ::delay(platform.clock, platform.pump, msdelay); }

// --- start-up ---------------------------------------------------------------

void Form1::Form_Load() {
    window.loaded = true;
    window.visible = false;
    Splash.ShowSplash();
    ScopeOpen = 0;
    StopRequested = false;
    CalculationRunning = false;
    TestFailed = false;
    logOsVersion();
    measured.InputVoltage = 0;
    measured.InputCurrent = 0;
    measured.OutputVoltage = 0;
    measured.OutputCurrent = 0;
    fillLists();
    Shape1.FillColor = Colours::Red;
    centreWindow(window, platform.screen);
    styleControls();
    platform.pump.yield();
    connection.ConnectScope();
    Splash.UnloadSplash();
    window.visible = true;
}

void Form1::logOsVersion() {
    osVersionInfo.dwOSVersionInfoSize = 148;
    osVersionInfo.szCSDVersion.fill(' ');
    versionResult = platform.os.GetVersionExA(&osVersionInfo);
    List1.AddItem("OS Version: " + std::to_string(osVersionInfo.dwMajorVersion) + "." +
                  std::to_string(osVersionInfo.dwMinorVersion));
    List1.AddItem("");
}

void Form1::fillLists() {
    Combo1.Clear();
    Combo1.AddItem("NO LOAD");
    Combo2.Clear();
    Combo2.AddItem("OFF");
    Combo3.Clear();
    Combo3.AddItem("16");
    Combo4.Clear();
    for (const char* item : LoadCapacitorItems) {
        Combo4.AddItem(item);
    }
}

void Form1::styleControls() {
    Label1.font = {8, true};
    for (int n = 2; n <= 30; ++n) {
        label(n)->font = {10, true};
    }
    List1.font = {8, false};
    List1.BackColor = Colours::White;
    List1.ForeColor = Colours::Black;
    for (int n = 1; n <= 24; ++n) {
        TextBox& box = *textBox(n);
        box.text.clear();
        box.font = {12, true};
        box.alignment = Alignment::Centre;
        box.setColours(Colours::White, Colours::Black);
    }
    Text24.alignment = Alignment::Left;
    for (TextBox* big : {&Text11, &Text14, &Text16, &Text22}) {
        big->font.pointSize = 18;
    }
    Text13.font.pointSize = 24;
    Text13.setColours(Colours::Blue, Colours::White);

    for (auto [combo, shown] : {std::pair{&Combo1, "NO LOAD"}, std::pair{&Combo2, "OFF"},
                                std::pair{&Combo3, "16"}, std::pair{&Combo4, "NO LOAD"}}) {
        combo->text = shown;
        combo->font = {12, true};
        combo->BackColor = Colours::White;
        combo->ForeColor = Colours::Black;
    }
    SampleAverage = parseWholeNumber(Combo3.text).value_or(16);
    for (Button* b :
         {&Command1, &Command2, &Command3, &Command4, &Command5, &Command6, &Command7, &Command9, &CommandAccuracy,
          &CommandLimits}) {
        b->font = {8, true};
    }
}

// --- CLOSE, DISCONNECT, RECONNECT, SETTINGS ------------------------------

void Form1::closeProgram() {
    if (!TestFailed) {
        // The statuses are not looked at: the program ends whatever they say.
        exchange.record.ftStatus = platform.d2xx.FT_CyclePort(lngHandle);
        exchange.record.ftStatus = platform.d2xx.FT_Close(lngHandle);
    }
    window.visible = false;
    platform.host.endProgram();
}

void Form1::disconnect() { connection.disconnect(); }

void Form1::reconnect() { connection.reconnect(); }

void Form1::openSettings() {
    if (CalculationRunning || ScopeOpen != 1 || TestFailed) {
        return;
    }
    if (Settings.isVisible()) {
        List1.AddItem("");
        List1.AddItem("Oscilloscope Settings Window Already Open");
        return;
    }
    List1.Clear();
    List1.AddItem("Oscilloscope Settings Window Button Pressed");
    Settings.ShowSettings();
}

// --- run control -----------------------------------------------------------

PassControls Form1::passControls() {
    return PassControls{Text1,  Text3,  Text4,  Text5,  Text6,  Text7,  Text8,
                        Text9,  Text10, Text11, Text12, Text14, Text16, Text17,
                        Text18, Text19, Text20, Text21, Text22, Text23, Combo1,
                        List1,  Settings.statusBox(), Text15, Combo2, Combo3, Combo4, Text24};
}

// While a pass runs, its value keeps what its boxes show: both are cleared.
void Form1::ClearResultBoxes() {
    clearUncertainty();
    if (runningPass_ != nullptr) {
        runningPass_->clearResults();
        return;
    }
    PassControls c = passControls();
    ::ClearResultBoxes(c);
}

void Form1::startCalculation() {
    StopRequested = false;
    if (ScopeOpen != 1 || CalculationRunning) {
        return;
    }
    if (!Text12.is(CalculatorStatus::Ready) || Text15.text.empty()) {
        return;
    }
    if (Combo2.text == "OFF" || Combo4.text == "NO LOAD") {
        return;
    }
    // One dialogue with the scope at a time.
    if (DialogueRunning) {
        return;
    }
    CalculationRunning = true;
    clearUncertainty();
    clearVerdict();
    Text12.set(CalculatorStatus::Running);
    Settings.showScopeStatus(ScopeStatus::Running);
    {
        DialogueFlag dialogue(DialogueRunning);
        MeasurementPass pass(exchange, connection, platform.pump, passControls(), measured, figures,
                             StopRequested, TestFailed, [this] { return now(); });
        pass.ended = [this](const PassOutcome& measuredPass) {
            PassOutcome outcome = measuredPass;
            if (calibrationReadings_ != nullptr) {
                describeNode(outcome);
                calibrationReadings_->push_back(outcome);
                return;
            }
            describeBench(outcome);
            showUncertainty(outcome);
            if (record != nullptr) {
                record->passEnded(outcome);
            }
            if (passEnded) {
                passEnded(outcome);
            }
        };
        runningPass_ = &pass;
        struct Forget {
            MeasurementPass*& running;
            ~Forget() { running = nullptr; }
        } forget{runningPass_};
        pass.RunCalculation();
    }
    if (record != nullptr) {
        logRecordEvents(record->reportWait);
    }
    CalculationRunning = false;
}

void Form1::describeBench(PassOutcome& pass) {
    pass.passId = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    pass.bench = benchName;
    describeNode(pass);
    pass.accuracy = accuracy;
    pass.truth = benchTruth ? benchTruth() : std::nullopt;
    pass.uncertainty = passUncertainty(pass);
    pass.verdict = limits ? std::optional<PassVerdict>(judgePass(pass, *limits)) : std::nullopt;
    pass.calibrated = calibratedFigures(pass, calibration, calibrationDays, pass.when.date());
}

void Form1::describeNode(PassOutcome& pass) {
    pass.instrument = {programVersion(), connection.IdAnswer, adapterName(), Text2.text};
    pass.scopeSetUp = Settings.scopeSetUp();
}

std::variant<ChannelCalibration, std::string> Form1::calibrateChannels() {
    if (ScopeOpen != 1 || CalculationRunning || DialogueRunning || !Text12.is(CalculatorStatus::Ready)) {
        return std::string("the calculator is not ready");
    }
    std::vector<PassOutcome> readings;
    calibrationReadings_ = &readings;
    if (probesOnOneNode) {
        probesOnOneNode(true);
    }
    for (int n = 0; n < CalibrationReadings && !StopRequested && !TestFailed; ++n) {
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
        calibration = *c;
        if (calibrationTaken) {
            calibrationTaken(*c);
        }
    }
    return taken;
}

namespace {

// "cal 88.21 ±0.93", "cal 88.21 unusable", "uncalibrated".
std::string calibratedText(const PassOutcome::Calibrated& c, const std::optional<double>& value, const Expanded& u) {
    if (!c.applied) {
        return c.calibration.empty() ? "" : "uncalibrated";
    }
    if (!value) {
        return "cal ----";
    }
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", *value);
    const std::string plusMinus = uncertaintyText(u);
    return std::string("cal ") + number + (plusMinus.empty() ? "" : " " + plusMinus);
}

} // namespace

void Form1::showCalibrated(const PassOutcome& pass) {
    const auto& c = pass.calibrated;
    CalibratedPhase.caption = calibratedText(c, c.phaseEfficiency, c.uPhaseEfficiency);
    CalibratedResistor.caption = calibratedText(c, c.resistorEfficiency, c.uResistorEfficiency);
    CalibratedPhase.toolTip = c.calibration;
    CalibratedResistor.toolTip = c.calibration;
}

void Form1::showUncertainty(const PassOutcome& pass) {
    for (int b = 0; b < PassOutcome::BoxCount; ++b) {
        const BoxMark mark = boxMark(pass.uncertainty, static_cast<PassOutcome::Box>(b));
        Label& label = PlusMinus[static_cast<std::size_t>(b)];
        label.caption = mark.text;
        label.toolTip = mark.reason;
        label.ForeColor = mark.marked ? std::optional<Colour>(Colours::Red) : std::nullopt;
    }
    UncertaintyWarnings = pass.uncertainty.warnings;
    showCalibrated(pass);
    showVerdict(pass);
}

namespace {

// Green PASS, yellow conditional, grey no verdict, red FAIL.
Colour verdictColour(Verdict v) {
    switch (v) {
    case Verdict::Pass:
        return Colours::Green;
    case Verdict::ConditionalPass:
    case Verdict::ConditionalFail:
        return Colours::Yellow;
    case Verdict::NoVerdict:
        return Colour{0xC0C0C0};
    case Verdict::Fail:
        return Colours::Red;
    }
    return Colours::White;
}

} // namespace

void Form1::showVerdict(const PassOutcome& pass) {
    if (!pass.verdict) {
        return;
    }
    const PassVerdict& v = *pass.verdict;
    TextVerdict.show(verdictName(v.verdict), verdictColour(v.verdict),
                     v.verdict == Verdict::Fail ? Colours::White : Colours::Black);
    VerdictReason.caption = v.reason + " - " + v.limitSet;
    VerdictLine = std::string("VERDICT ") + verdictName(v.verdict) + ": " + v.reason + " (" + v.limitSet + ")";
    VerdictReason.toolTip = VerdictReason.caption;
    // Each limited figure's ± takes its own verdict's colour.
    for (const PassVerdict::Figure& f : v.figures) {
        const FigureColumn* column = figureColumnTitled(f.column);
        const auto box = column != nullptr && column->quantity ? boxOf(*column->quantity) : std::nullopt;
        if (box) {
            PlusMinus[static_cast<std::size_t>(*box)].BackColor = verdictColour(f.verdict);
        }
    }
}

void Form1::clearVerdict() {
    TextVerdict.show(limits ? "" : "NO LIMITS", Colours::White, Colour{0x808080});
    VerdictReason.caption = limits ? limits->title() : "";
    VerdictReason.toolTip.clear();
    VerdictLine.clear();
    for (Label& label : PlusMinus) {
        label.BackColor.reset();
    }
}

void Form1::clearUncertainty() {
    for (Label& label : PlusMinus) {
        label.caption.clear();
        label.toolTip.clear();
        label.ForeColor.reset();
        label.BackColor.reset(); // a figure's verdict colour goes with its ±
    }
    for (Label* label : {&CalibratedPhase, &CalibratedResistor}) {
        label->caption.clear();
        label->toolTip.clear();
    }
    UncertaintyWarnings.clear();
}

void Form1::logRecordEvents(std::chrono::milliseconds limit) {
    if (record != nullptr) {
        for (const std::string& line : record->events(limit)) {
            List1.AddItem(line);
        }
    }
    if (databaseEvents) {
        for (const std::string& line : databaseEvents()) {
            List1.AddItem(line);
        }
    }
}

void Form1::stopCalculation() {
    if (Text12.is(CalculatorStatus::Wait) || ScopeOpen != 1 || !CalculationRunning) {
        return;
    }
    StopRequested = true;
    ClearResultBoxes();
}

void Form1::clearList() { List1.Clear(); }

void Form1::openLimits() {
    if (limitsWanted) {
        limitsWanted();
    }
}

void Form1::openAccuracy() {
    if (accuracyWanted) {
        accuracyWanted();
    }
}

std::string Form1::adapterName() const { return onSimulatedBench ? "simulated" : connection.AdapterSerialNumber; }

void Form1::capture() {
    if (CalculationRunning || ScopeOpen != 1 || TestFailed || !Text12.is(CalculatorStatus::Ready)) {
        return;
    }
    // A second press while the report is loading would unload it in the
    // middle of its own capture.
    if (Report.window.loaded) {
        return;
    }
    platform.clipboard.EmptyClipboard();
    List1.AddItem("Capture Print-Screen to Clipboard");
    Report.Form_Load();
    Report.Unload();
    List1.AddItem("Print-Screen Captured to Clipboard");
    if (record != nullptr) {
        logRecordEvents(record->reportWait);
    }
}
