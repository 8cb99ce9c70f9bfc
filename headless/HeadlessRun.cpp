#include "HeadlessRun.h"
#include "Statuses.h"

#include "Carets.h"
#include "Clipboard.h"
#include "Clock.h"
#include "Counted.h"
#include "HeadlessParts.h"
#include "KeySynth.h"
#include "ListPick.h"
#include "MeasurementRecord.h"
#include "MeasuringSession.h"
#include "OsVersion.h"
#include "PassUploader.h"
#include "ResultsTable.h"
#include "Screen.h"
#include "SetupLists.h"
#include "StopSignals.h"
#include "TransformerKinds.h"

#include <QDateTime>
#include <algorithm>

// The world of a run without windows.
struct HeadlessRun::Parts {
    Parts(D2xx& device, Clock& clock) : platform{device, clock, pump, screen, os, host, clipboard, keys, carets} {}
    SignalPump pump;
    HeadlessHost host;
    FixedScreen screen{1600, 1000};
    SystemOsVersion os;
    NoClipboard clipboard;
    NoKeys keys;
    NoCarets carets;
    Platform platform;
    MeasuringSession session{platform};
};

namespace {

std::vector<std::string> itemsOf(const auto& texts) {
    return std::vector<std::string>(std::begin(texts), std::end(texts));
}

std::vector<std::string> everySupply() {
    std::vector<std::string> all;
    for (const TransformerKind kind : {TransformerKind::SplitFlux, TransformerKind::Standard}) {
        for (const std::string& item : supplyList(kind)) {
            if (item != "OFF" && std::find(all.begin(), all.end(), item) == all.end()) {
                all.push_back(item);
            }
        }
    }
    return all;
}

// A list's items without its "nothing chosen" item.
std::vector<std::string> choosable(const ComboBox& combo, const char* none) {
    std::vector<std::string> items;
    std::copy_if(combo.items.begin(), combo.items.end(), std::back_inserter(items),
                 [none](const std::string& item) { return item != none; });
    return items;
}

} // namespace

HeadlessRun::HeadlessRun(HeadlessChoices choices, D2xx& device, Clock& clock)
    : choices_(std::move(choices)), parts_(std::make_unique<Parts>(device, clock)) {}

HeadlessRun::~HeadlessRun() = default;

int HeadlessRun::run() {
    MeasuringSession& form = parts_->session;
    form.panel.List1.added = [this](const std::string& line) { logLine(line); };
    // The settings window's own list, told apart.
    form.Settings.List1.added = [this](const std::string& line) { logLine(SettingsPrefix + line); };
    form.passListeners.push_back([this](const PassOutcome& pass) { writeRow(pass); });
    form.record = record;
    form.onSimulatedBench = simulated;
    form.benchName = bench;
    form.accuracy = accuracy;
    form.benchTruth = benchTruth;
    form.limits = limits;
    form.calibrationDays = calibrationDays;
    form.calibrationsChanged = calibrationsChanged;
    form.simulation = simulation;
    form.probesOnOneNode = probesOnOneNode;
    parts_->pump.onStopRequest = [this, &form] {
        if (planStop_) {
            planStop_(); // the plan ends after the pass under way
        }
        form.stopCalculation();
    };
    if (uploader != nullptr) {
        form.databaseEvents = [this] { return uploader->events(); };
    }
    parts_->host.beforeEnd = [this, &form] {
        if (record != nullptr) {
            record->close(std::chrono::seconds(5));
        }
        if (uploader != nullptr) {
            uploader->finish(UploadWaitAtEnd);
        }
        form.logRecordEvents(std::chrono::milliseconds(0));
    };
    if (Status refused = plan ? std::nullopt : refuseUnknownChoices()) {
        return *refused; // nothing was opened
    }
    using Step = Status (HeadlessRun::*)();
    const std::vector<Step> picks{
        &HeadlessRun::connect,          &HeadlessRun::configureSession,  &HeadlessRun::readSettings,
        &HeadlessRun::pickLoadResistor, &HeadlessRun::pickSupply,        &HeadlessRun::pressPreset,
        &HeadlessRun::pickCapacitor,    &HeadlessRun::pickSampleAverage, &HeadlessRun::requireReady};
    // A plan makes its own picks, point by point.
    const std::vector<Step> steps = plan ? std::vector<Step>(picks.begin(), picks.begin() + 3) : picks;
    for (const Step step : steps) {
        if (Status ended = (this->*step)()) {
            return close(*ended);
        }
        if (StopSignals::requested()) {
            refuse(APassNotComplete, "stopped by a signal before the first pass");
            return close(APassNotComplete);
        }
    }
    if (calibrationsFor) {
        form.calibrations = calibrationsFor(form.adapterName());
    }
    stateConfiguration();
    if (plan) {
        return close(plan(form, planStop_));
    }
    return close(choices_.calibrate ? calibrate() : runPasses());
}

// --- the steps ----------------------------------------------------------------

// Every list value that is known before the scope is: refused before the
// adapter is even looked for.
HeadlessRun::Status HeadlessRun::refuseUnknownChoices() {
    const auto check = [this](const std::vector<std::string>& items, const std::string& value,
                              const std::string& option) -> Status {
        if (itemNamed(items, value)) {
            return std::nullopt;
        }
        return refuse(BadOptions, option + " \"" + value + "\" is not in its list: " + listed(items));
    };
    Status refused = check(itemsOf(LoadResistorItems), choices_.loadResistor, "--load-resistor");
    if (!refused) {
        refused = check(everySupply(), choices_.supply, "--supply");
    }
    if (!refused) {
        refused = check(itemsOf(LoadCapacitorItems), choices_.capacitor, "--capacitor");
    }
    if (!refused && choices_.sampleAverage) {
        refused = check(itemsOf(AverageCounts), *choices_.sampleAverage, "--sample-average");
    }
    if (!refused && choices_.preset && !presetNamed(*choices_.preset)) {
        refused = refuse(BadOptions,
                         "--preset \"" + *choices_.preset + "\" names no set-up button: " + listed(presetNames()));
    }
    return refused;
}

HeadlessRun::Status HeadlessRun::connect() {
    MeasuringSession& form = parts_->session;
    form.prepare();
    form.connect();
    form.panel.Text24.text = choices_.comment; // typed once the window is up
    if (form.link.ScopeOpen != 1 || !form.panel.Text1.is(ScopeStatus::Ready)) {
        const std::string last =
            form.panel.List1.lines.empty() ? std::string() : eventLineText(form.panel.List1.lines.back());
        return refuse(NotReady, "no connection to the scope (the event list ends \"" + last +
                                    "\"); on a bench without the scope, --simulate");
    }
    return std::nullopt;
}

HeadlessRun::Status HeadlessRun::configureSession() {
    if (configure) {
        configuration_ = configure(parts_->session);
    }
    return std::nullopt;
}

HeadlessRun::Status HeadlessRun::readSettings() {
    MeasuringSession& form = parts_->session;
    form.openSettings();
    form.Settings.getSettings();
    if (!form.Settings.Text1.is(ScopeStatus::Ready)) {
        return refuse(NotReady, "GET SETTINGS did not end \"" + wordsOf(ScopeStatus::Ready) + "\" but \"" +
                                    wordsOf(form.Settings.Text1.status) + "\"");
    }
    return std::nullopt;
}

HeadlessRun::Status HeadlessRun::pickLoadResistor() {
    MeasuringSession& form = parts_->session;
    form.setUp.pick(SetUpList::LoadResistor, *itemNamed(form.panel.Combo1.items, choices_.loadResistor));
    return std::nullopt;
}

HeadlessRun::Status HeadlessRun::pickSupply() {
    MeasuringSession& form = parts_->session;
    const std::vector<std::string> items = choosable(form.panel.Combo2, NoSupplyItem);
    if (items.empty()) {
        return refuse(NotReady, "the scope's set-up names no transformer (TRANSFORMER reads \"" +
                                    form.panel.Text15.text + "\"), so there is no supply list to pick from");
    }
    auto item = itemNamed(items, choices_.supply);
    if (!item && presetOfAnotherTransformer()) {
        // The voltage is the preset's transformer's: until its press loads
        // that list, the operator picks one of this list's.
        item = items.front();
    }
    if (!item) {
        return refuse(BadOptions, "--supply \"" + choices_.supply + "\" is not in the supply list of " +
                                      form.Settings.Text70.text + ": " + listed(items));
    }
    form.setUp.pick(SetUpList::Supply, *item);
    return std::nullopt;
}

bool HeadlessRun::presetOfAnotherTransformer() const {
    const auto button = choices_.preset ? presetNamed(*choices_.preset) : std::nullopt;
    const std::string& shown = parts_->session.Settings.Text70.text;
    return (button == PresetButton::SplitFlux && shown != SplitFluxName) ||
           (button == PresetButton::Standard && shown != StandardName);
}

// A preset acts only while CALCULATOR STATUS is Wait or Ready (so a
// capacitor may have to be picked first); one for another transformer first
// loads that one's supply list, from which the voltage is picked again; the
// scope may need its set-up run more than once.
HeadlessRun::Status HeadlessRun::pressPreset() {
    if (!choices_.preset) {
        return std::nullopt;
    }
    MeasuringSession& form = parts_->session;
    const PresetButton button = *presetNamed(*choices_.preset);
    if (button == PresetButton::Skip) {
        form.Settings.skipSetup();
        return std::nullopt;
    }
    constexpr int MostPresses = 5;
    for (int press = 0; press < MostPresses && !StopSignals::requested(); ++press) {
        if (form.panel.Text12.is(CalculatorStatus::SelectLoadCapacitor)) {
            pickCapacitor();
        }
        if (!form.panel.Text12.is(CalculatorStatus::Wait) && !form.panel.Text12.is(CalculatorStatus::Ready)) {
            break;
        }
        if (button == PresetButton::Standard) {
            form.Settings.standardPreset();
        } else {
            form.Settings.splitFluxPreset();
        }
        if (!form.setUp.supplyChosen()) {
            if (Status refused = pickSupply()) {
                return refused;
            }
            continue;
        }
        if (!form.panel.Text12.is(CalculatorStatus::Wait)) {
            break;
        }
    }
    return std::nullopt;
}

HeadlessRun::Status HeadlessRun::pickCapacitor() {
    MeasuringSession& form = parts_->session;
    form.setUp.pick(SetUpList::LoadCapacitor, *itemNamed(form.panel.Combo4.items, choices_.capacitor));
    return std::nullopt;
}

HeadlessRun::Status HeadlessRun::pickSampleAverage() {
    if (!choices_.sampleAverage) {
        return std::nullopt;
    }
    MeasuringSession& form = parts_->session;
    const auto item = itemNamed(form.panel.Combo3.items, *choices_.sampleAverage);
    if (!item) {
        return refuse(NotReady, "--sample-average " + *choices_.sampleAverage +
                                    " cannot be picked now: SAMPLE AVERAGE offers " + listed(form.panel.Combo3.items));
    }
    form.setUp.pick(SetUpList::SampleAverage, *item);
    return std::nullopt;
}

HeadlessRun::Status HeadlessRun::requireReady() {
    const MeasuringSession& form = parts_->session;
    if (form.panel.Text12.is(CalculatorStatus::Ready)) {
        return std::nullopt;
    }
    return refuse(NotReady, "the set-up is not ready: CALCULATOR STATUS reads \"" + wordsOf(form.panel.Text12.status) +
                                "\", OSCILLOSCOPE STATUS \"" + wordsOf(form.panel.Text1.status) +
                                "\" (a --preset sets the scope up for its transformer)");
}

int HeadlessRun::runPasses() {
    MeasuringSession& form = parts_->session;
    Clock& clock = parts_->platform.clock;
    bool lastStopped = false;
    for (int pass = 0; pass < choices_.passes; ++pass) {
        if (StopSignals::requested()) {
            // A pass stopped says so in its row; a stop between passes in a line.
            if (!lastStopped) {
                refuse(APassNotComplete, "stopped by a signal after " + counted(pass, "pass", "passes") + " of " +
                                             std::to_string(choices_.passes));
            }
            return APassNotComplete;
        }
        const std::uint32_t started = clock.ticks();
        const int notCompleteBefore = passesNotComplete_;
        form.startCalculation();
        if (passesNotComplete_ == notCompleteBefore && !form.panel.Text12.is(CalculatorStatus::Ready)) {
            ++passesNotComplete_; // no pass ran at all
        }
        lastStopped = passesNotComplete_ != notCompleteBefore;
        if (form.link.TestFailed || form.link.ScopeOpen != 1) {
            break; // the link is closed: no further pass can run
        }
        if (pass + 1 < choices_.passes) {
            waitUntil(started, choices_.intervalSeconds);
        }
    }
    if (passesNotComplete_ != 0 || StopSignals::requested()) {
        return APassNotComplete;
    }
    return passesNotPassed_ == 0 ? EveryPassComplete : AVerdictNotPass;
}

// --calibrate: the readings on one node, the calibration kept and told as
// one CSV row; status 1 when none could be taken, and why.
int HeadlessRun::calibrate() {
    auto taken = parts_->session.calibrateChannels();
    if (const auto* why = std::get_if<std::string>(&taken)) {
        refuse(APassNotComplete, "no calibration was taken: " + *why);
        return APassNotComplete;
    }
    const auto& c = std::get<ChannelCalibration>(taken);
    std::fprintf(rows, "adapter,date,CH1 range,CH2 range,CH3 range,CH4 range,voltage ratio CH1/CH3,"
                       "current ratio CH2/CH4,phase difference (degrees),node angle (degrees),"
                       "u voltage ratio (%%),u current ratio (%%),u phase difference (degrees),readings\n");
    std::fprintf(rows, "%s,%s,%s,%s,%s,%s,%.6f,%.6f,%.4f,%.3f,%.4f,%.4f,%.4f,%d\n", c.adapter.c_str(),
                 c.date.toString(Qt::ISODate).toStdString().c_str(), c.ranges[0].c_str(), c.ranges[1].c_str(),
                 c.ranges[2].c_str(), c.ranges[3].c_str(), c.voltageRatio, c.currentRatio, c.phaseDegrees,
                 c.nodeAngleDegrees, c.uVoltageRatio * 100, c.uCurrentRatio * 100, c.uPhaseDegrees, c.readings);
    std::fflush(rows);
    std::fprintf(events, "%s: calibration taken: %s\n", ProgramName, c.name().c_str());
    std::fflush(events);
    return EveryPassComplete;
}

// As CLOSE: the port cycled and closed, the record's last rows written.
int HeadlessRun::close(int status) {
    parts_->session.closeLink();
    parts_->host.endProgram();
    std::fflush(rows);
    // The last word on the lab database: what still waits for it.
    if (databaseWaiting) {
        std::fprintf(events, "%s: %s\n", ProgramName, databaseWaiting().c_str());
        std::fflush(events);
    }
    return status;
}

// --- helpers -------------------------------------------------------------------

// What the passes are weighed and judged with, once the scope's set-up is
// known (the calibration in force depends on it).
void HeadlessRun::stateConfiguration() {
    if (!configuration_) {
        return;
    }
    const std::string line = configurationLine(*configuration_, parts_->session.calibrationStatus());
    std::fprintf(events, "%s: %s\n", ProgramName, line.c_str());
    std::fflush(events);
}

std::string eventLineText(const std::string& line) {
    std::string text = line.substr(0, line.find_last_not_of("\r\n") + 1);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

HeadlessRun::Status HeadlessRun::refuse(int status, const std::string& why) {
    std::fprintf(events, "%s: %s\n", ProgramName, why.c_str());
    std::fflush(events);
    return status;
}

void HeadlessRun::writeRow(const PassOutcome& pass) {
    if (!headerWritten_) {
        std::fputs(ResultsTable::header().c_str(), rows);
        headerWritten_ = true;
    }
    std::fputs(ResultsTable::row(pass).c_str(), rows);
    std::fflush(rows);
    // What an operator should know of the figures goes beside the events.
    if (!pass.uncertainty.warnings.empty()) {
        std::fprintf(events, "%s: warning: %s\n", ProgramName, pass.uncertainty.warnings.c_str());
        std::fflush(events);
    }
    if (pass.ending != PassOutcome::Ending::Complete) {
        ++passesNotComplete_;
    }
    if (pass.verdict) {
        passesNotPassed_ += pass.verdict->verdict == Verdict::Pass ? 0 : 1;
        std::fprintf(events, "%s: %s: %s\n", ProgramName, verdictName(pass.verdict->verdict),
                     pass.verdict->reason.c_str());
        std::fflush(events);
    }
    if (rowWritten) {
        rowWritten(pass);
    }
}

// One event, one line: an answer's own line end is not printed, and a line
// end inside it shows as a blank.
void HeadlessRun::logLine(const std::string& line) {
    const std::string when = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toStdString();
    std::fprintf(events, "%s %s\n", when.c_str(), eventLineText(line).c_str());
    std::fflush(events);
}

// The next pass starts `seconds` after this one started, or at once when this
// one took longer; a stop signal ends the wait.
void HeadlessRun::waitUntil(std::uint32_t startTicks, double seconds) {
    Clock& clock = parts_->platform.clock;
    const auto waitMs = static_cast<std::uint64_t>(seconds * 1000.0);
    for (;;) {
        parts_->pump.yield();
        const std::uint32_t elapsed = clock.ticks() - startTicks;
        if (StopSignals::requested() || elapsed >= waitMs) {
            return;
        }
        clock.sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(100, waitMs - elapsed)));
    }
}
