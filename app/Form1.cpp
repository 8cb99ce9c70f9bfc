#include "Form1.h"

#include "Clipboard.h"
#include "Delay.h"
#include "EventPump.h"
#include "MeasurementRecord.h"
#include "ProgramHost.h"
#include "Screen.h"
#include "Statuses.h"

Form1::Form1(MeasuringSession& s) : Form1(s, std::unique_ptr<MeasuringSession>()) {}

Form1::Form1(const Platform& p) : Form1(std::make_unique<MeasuringSession>(p)) {}

Form1::Form1(std::unique_ptr<MeasuringSession>&& made) : Form1(*made, std::move(made)) {}

Form1::Form1(MeasuringSession& s, std::unique_ptr<MeasuringSession>&& made)
    : OwnedSession{std::move(made)}, Form1Controls(s.panel), session(s), lngHandle(s.link.lngHandle),
      ScopeOpen(s.link.ScopeOpen), TestFailed(s.link.TestFailed), StopRequested(s.link.StopRequested),
      CalculationRunning(s.link.CalculationRunning), DialogueRunning(s.link.DialogueRunning),
      SampleAverage(s.setUp.SampleAverage), LoadCapacitance(s.setUp.LoadCapacitance), osVersionInfo(s.osVersionInfo),
      versionResult(s.versionResult), measured(s.measured), figures(s.figures), platform(s.platform),
      connection(s.connection), Settings(s.Settings), SettingsWindow(s.Settings),
      Splash(s.platform.screen, s.platform.pump, window.width, window.height), Report(reportSources(), s.platform),
      now(s.now), record(s.record), onSimulatedBench(s.onSimulatedBench) {}

ReportSources Form1::reportSources() const {
    const MainPanel& p = session.panel;
    return ReportSources{p.Combo1,
                         p.Combo2,
                         p.Combo3,
                         p.Combo4,
                         p.Text3,
                         p.Text4,
                         p.Text5,
                         p.Text6,
                         p.Text7,
                         p.Text8,
                         p.Text9,
                         p.Text10,
                         p.Text11,
                         p.Text14,
                         p.Text15,
                         p.Text16,
                         p.Text17,
                         p.Text18,
                         p.Text19,
                         p.Text20,
                         p.Text21,
                         p.Text22,
                         p.Text23,
                         p.Text24,
                         p.PlusMinus,
                         p.UncertaintyWarnings,
                         p.VerdictLine,
                         p.VerdictShown,
                         p.VerdictReasons,
                         p.CalibratedPhase,
                         p.CalibratedResistor,
                         p.CalibrationLine};
}

void Form1::delay(std::int32_t msdelay) {
    ::delay(platform.clock, platform.pump, msdelay);
}

// --- start-up ---------------------------------------------------------------

void Form1::Form_Load() {
    window.loaded = true;
    window.visible = false;
    Splash.ShowSplash();
    session.prepare();
    centreWindow(window, platform.screen);
    styleControls();
    session.connect();
    Splash.UnloadSplash();
    window.visible = true;
}

void Form1::styleControls() {
    Label1.font = {8, true};
    for (int n = 2; n <= 30; ++n) {
        label(n)->font = {10, true};
    }
    for (Button* b : {&Command1, &Command2, &Command3, &Command4, &Command5, &Command6, &Command7, &Command9,
                      &CommandAccuracy, &CommandLimits, &CommandCharacterise, &CommandUnitTest}) {
        b->font = {8, true};
    }
}

// --- buttons ----------------------------------------------------------------

void Form1::closeProgram() {
    session.closeLink();
    window.visible = false;
    platform.host.endProgram();
}

void Form1::disconnect() {
    session.disconnect();
}

void Form1::reconnect() {
    session.reconnect();
}

void Form1::openSettings() {
    session.openSettings();
}

void Form1::startCalculation() {
    session.startCalculation();
}

void Form1::stopCalculation() {
    session.stopCalculation();
}

void Form1::clearList() {
    session.clearList();
}

void Form1::loadResistorPicked() {
    session.setUp.loadResistorPicked();
}

void Form1::supplyVoltagePicked() {
    session.setUp.supplyVoltagePicked();
}

void Form1::sampleAveragePicked() {
    session.setUp.sampleAveragePicked();
}

void Form1::loadCapacitorPicked() {
    session.setUp.loadCapacitorPicked();
}

void Form1::openLimits() {
    if (limitsWanted) {
        limitsWanted();
    }
}

void Form1::openCharacterise() {
    if (characteriseWanted) {
        characteriseWanted();
    }
}

void Form1::openUnitTest() {
    if (unitTestWanted) {
        unitTestWanted();
    }
}

void Form1::openAccuracy() {
    if (accuracyWanted) {
        accuracyWanted();
    }
}

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
        session.logRecordEvents(session.record->reportWait);
    }
}
