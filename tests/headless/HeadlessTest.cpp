#include "HeadlessRun.h"
#include "StopSignals.h"
#include "TestRig.h"

#include <cstdio>
#include <gtest/gtest.h>

// The headless mode in the program's own process, on the simulated bench:
// the same figures as the windows, nothing sent after a refusal, and CLOSE's
// end after a stop.

namespace {

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, n);
    }
    return text;
}

// A headless run on a simulated device of its own, its output kept.
struct HeadlessRig {
    explicit HeadlessRig(HeadlessChoices choices) : run(std::move(choices), desk.d2xx, desk.clock) {
        desk.d2xx.recording = true;
        desk.scope.attach(SimBench{});
        run.rows = rows;
        run.events = events;
        run.rowWritten = [this](const PassOutcome& pass) { passes.push_back(pass); };
    }
    ~HeadlessRig() {
        std::fclose(rows);
        std::fclose(events);
    }
    SimulatedDesk<VirtualClock> desk{1000u};
    std::FILE* rows = std::tmpfile();
    std::FILE* events = std::tmpfile();
    HeadlessRun run;
    std::vector<PassOutcome> passes;
};

HeadlessChoices typicalChoices() {
    HeadlessChoices c;
    c.loadResistor = "9.4";
    c.supply = "10";
    c.capacitor = "100";
    return c;
}

} // namespace

TEST(Headless, APassGivesTheFiguresAndLinesTheWindowsGive) {
    HeadlessRig headless(typicalChoices());
    ASSERT_EQ(headless.run.run(), EveryPassComplete) << contents(headless.events);

    TestRig windows;
    windows.scope.attach(SimBench{});
    windows.walkToReady("9.4", "10.0", "100");
    windows.form->startCalculation();

    ASSERT_EQ(headless.passes.size(), 1u);
    const PassOutcome& a = headless.passes.back();
    EXPECT_EQ(a.ending, PassOutcome::Ending::Complete);
    EXPECT_EQ(a.values, (std::array<std::optional<double>, PassOutcome::ValueCount>{
                            windows.form->measured.Frequency, windows.form->measured.InputVoltage,
                            windows.form->measured.InputCurrent, windows.form->measured.InputPower,
                            windows.form->measured.OutputVoltage, windows.form->measured.OutputCurrent,
                            windows.form->measured.OutputPower}));
    const Figures& w = windows.form->figures;
    EXPECT_EQ(a.figures.PhaseEfficiency, w.PhaseEfficiency);
    EXPECT_EQ(a.figures.ResistorEfficiency, w.ResistorEfficiency);
    EXPECT_EQ(a.figures.ReactiveOutputPower, w.ReactiveOutputPower);
    EXPECT_EQ(a.figures.EfficiencyDifference, w.EfficiencyDifference);
    EXPECT_EQ(a.shown[PassOutcome::PhaseEfficiencyBox], windows.form->Text11.text);

    // Every event line goes to standard error with its time, as it is
    // logged: the pass's lines end it as they end the windows' event list.
    const std::string events = contents(headless.events);
    std::vector<std::string> told;
    for (std::size_t at = 0, end; (end = events.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = events.substr(at, end - at);
        ASSERT_GE(line.size(), 24u) << line;
        EXPECT_EQ(line.substr(10, 1), "T") << line;
        told.push_back(line.substr(24));
    }
    std::vector<std::string> expected;
    for (const std::string& line : windows.form->List1.lines) {
        expected.push_back(eventLineText(line));
    }
    ASSERT_GE(told.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(told.end() - static_cast<std::ptrdiff_t>(expected.size()), told.end()),
              expected);
    // The row under its header.
    const std::string rows = contents(headless.rows);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 2);
    EXPECT_EQ(rows.rfind("date and time (ISO 8601),pass ended,", 0), 0u);
}

TEST(Headless, ARefusalSendsNothingMore) {
    const struct {
        const char* what;
        void (*change)(HeadlessChoices&);
        int status;
        bool connects;
    } cases[]{
        {"a resistor not listed", [](HeadlessChoices& c) { c.loadResistor = "10"; }, BadOptions, false},
        {"a capacitor not listed", [](HeadlessChoices& c) { c.capacitor = "1000"; }, BadOptions, false},
        {"no such preset", [](HeadlessChoices& c) { c.preset = "GENERAL"; }, BadOptions, false},
        {"an average not listed", [](HeadlessChoices& c) { c.sampleAverage = "32"; }, BadOptions, false},
        {"another transformer's voltage", [](HeadlessChoices& c) { c.supply = "120"; }, BadOptions, true},
        {"gains that do not suit", [](HeadlessChoices& c) { c.supply = "10.5"; }, NotReady, true},
    };
    for (const auto& c : cases) {
        HeadlessChoices choices = typicalChoices();
        c.change(choices);
        HeadlessRig rig(choices);
        EXPECT_EQ(rig.run.run(), c.status) << c.what;
        EXPECT_TRUE(rig.passes.empty()) << c.what;
        const std::string events = contents(rig.events);
        EXPECT_NE(events.find("transformer-efficiency: "), std::string::npos) << c.what;
        if (!c.connects) {
            EXPECT_TRUE(rig.desk.d2xx.calls.empty()) << c.what << ": nothing opened";
            continue;
        }
        // After the refusal only CLOSE's two calls: nothing written.
        const std::vector<std::string> calls = rig.desk.d2xx.callNames();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
                  (std::vector<std::string>{"FT_CyclePort", "FT_Close"}))
            << c.what;
        EXPECT_EQ(events.substr(events.rfind('\n', events.size() - 2) + 1).rfind("transformer-efficiency: ", 0), 0u)
            << c.what << ": the refusal is the last line";
    }
}

TEST(Headless, AStopSignalEndsTheRunAsCloseDoes) {
    HeadlessChoices choices = typicalChoices();
    choices.passes = 3;
    HeadlessRig rig(choices);
    rig.run.rowWritten = [&rig](const PassOutcome& pass) {
        rig.passes.push_back(pass);
        StopSignals::request();
    };
    EXPECT_EQ(rig.run.run(), APassNotComplete);
    EXPECT_EQ(rig.passes.size(), 1u) << "no pass starts after the signal";
    const std::vector<std::string> calls = rig.desk.d2xx.callNames();
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
              (std::vector<std::string>{"FT_CyclePort", "FT_Close"}));
    StopSignals::clear();
}

TEST(Headless, APassEndedByTheLinkEndsTheRunWithStatusOne) {
    HeadlessChoices choices = typicalChoices();
    choices.passes = 2;
    HeadlessRig rig(choices);
    rig.desk.d2xx.addFault("MEASU:MEAS2:VALUE?", SimFault::noLF());
    EXPECT_EQ(rig.run.run(), APassNotComplete);
    ASSERT_EQ(rig.passes.size(), 1u) << "the link is closed: no second pass";
    EXPECT_EQ(rig.passes[0].ending, PassOutcome::Ending::LinkFailure);
    EXPECT_NE(contents(rig.rows).find(",link failure,"), std::string::npos);
}
