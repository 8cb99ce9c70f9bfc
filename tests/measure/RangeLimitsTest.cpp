#include "TestRig.h"

#include <functional>
#include <gtest/gtest.h>

// Every range rule of a pass at its exact limit and just inside it, and the
// failure line of every value step.

namespace {

struct Reading {
    const char* what;
    std::function<void(SimScope&)> set;
    const TextBox MainPanel::*box;
    const char* shown;
    std::function<double(const Form1&)> kept;
    double expected;
};

} // namespace

TEST(RangeLimits, EveryLimitIsComparedExactlyAsWritten) {
    const auto volts = [](const Form1& f) { return f.measured.InputVoltage; };
    const auto amps = [](const Form1& f) { return f.measured.InputCurrent; };
    const auto watts = [](const Form1& f) { return f.measured.InputPower; };
    const auto outVolts = [](const Form1& f) { return f.measured.OutputVoltage; };
    const auto outAmps = [](const Form1& f) { return f.measured.OutputCurrent; };
    const auto outWatts = [](const Form1& f) { return f.measured.OutputPower; };
    const std::vector<Reading> readings{
        {"input voltage at its limit", [](SimScope& s) { s.readings.crms[0] = 999.9999; }, &MainPanel::Text4,
         "OVERFLOW", volts, 999.9999},
        {"input voltage inside", [](SimScope& s) { s.readings.crms[0] = 999.9998; }, &MainPanel::Text4, "999.9998",
         volts, 999.9998},
        {"input current at its limit", [](SimScope& s) { s.readings.crms[1] = 99.9999; }, &MainPanel::Text5, "OVERFLOW",
         amps, 0},
        {"input current inside", [](SimScope& s) { s.readings.crms[1] = 99.9998; }, &MainPanel::Text5, "99.9998", amps,
         99.9998},
        {"input power at its limit", [](SimScope& s) { s.readings.meanCh1Ch2 = 999.9999; }, &MainPanel::Text7,
         "OVERFLOW", watts, 999.9999},
        {"input power inside", [](SimScope& s) { s.readings.meanCh1Ch2 = 999.9998; }, &MainPanel::Text7, "999.9998",
         watts, 999.9998},
        {"output voltage of exactly 1", [](SimScope& s) { s.readings.crms[2] = 1; }, &MainPanel::Text8, "1.0000",
         outVolts, 1},
        {"output voltage below 1", [](SimScope& s) { s.readings.crms[2] = 0.99999; }, &MainPanel::Text8, "0.0000",
         outVolts, 0},
        {"output voltage at 999.9999", [](SimScope& s) { s.readings.crms[2] = 999.9999; }, &MainPanel::Text8,
         "999.9999", outVolts, 999.9999},
        {"output voltage above it", [](SimScope& s) { s.readings.crms[2] = 1000; }, &MainPanel::Text8, "0.0000",
         outVolts, 0},
        {"output current at its limit", [](SimScope& s) { s.readings.crms[3] = 99.9999; }, &MainPanel::Text9,
         "OVERFLOW", outAmps, 0},
        {"output current inside", [](SimScope& s) { s.readings.crms[3] = 99.9998; }, &MainPanel::Text9, "99.9998",
         outAmps, 99.9998},
        {"output power at its limit", [](SimScope& s) { s.readings.meanCh3Ch4 = 999.9999; }, &MainPanel::Text10,
         "OVERFLOW", outWatts, 999.9999},
        {"output power inside", [](SimScope& s) { s.readings.meanCh3Ch4 = 999.9998; }, &MainPanel::Text10, "999.9998",
         outWatts, 999.9998},
    };
    for (const Reading& r : readings) {
        TestRig b;
        b.walkToReady();
        r.set(b.scope);
        b.form->startCalculation();
        EXPECT_EQ((b.form->session.panel.*r.box).text, r.shown) << r.what;
        EXPECT_EQ(r.kept(*b.form), r.expected) << r.what;
        ASSERT_FALSE(b.form->List1.lines.empty());
        EXPECT_EQ(last(b.form->List1.lines), "READY") << r.what << ": the pass goes on";
    }

    // The frequency: 50100 itself is too high, and ends the pass.
    for (const auto& [hz, shown, ends] : {std::tuple{50100.0, "----", true}, std::tuple{50099.9, "50,099.9", false}}) {
        TestRig b;
        b.walkToReady();
        b.scope.readings.frequency = hz;
        b.form->startCalculation();
        const Form1& f = *b.form;
        EXPECT_EQ(f.Text3.text, shown) << hz;
        EXPECT_EQ(f.Text3.BackColor, ends ? Colours::Red : Colours::White) << hz;
        EXPECT_EQ(f.Text12.text, ends ? "FAULT" : "READY") << hz;
        const bool logged = std::find(f.List1.lines.begin(), f.List1.lines.end(),
                                      "RESONANT FREQUENCY must be <= 50.1KHz") != f.List1.lines.end();
        EXPECT_EQ(logged, ends) << hz;
    }
}

TEST(RangeLimits, EveryValueStepNamesItsOwnWriteFailure) {
    struct Step {
        const char* query;
        int skip; // MEAS3 is queried twice: input power, then output power
        const char* failure;
    };
    const std::vector<Step> steps{
        {"MEASU:IMMED:VALUE?", 0, "FREQUENCY Request Failed"},
        {"MEASU:MEAS1:VALUE?", 0, "INPUT VOLTAGE Request Failed"},
        {"MEASU:MEAS2:VALUE?", 0, "INPUT CURRENT Request Failed"},
        {"MEASU:MEAS3:VALUE?", 0, "INPUT POWER Request Failed"},
        {"MEASU:MEAS4:VALUE?", 0, "OUTPUT VOLTAGE Request Failed"},
        {"MEASU:MEAS5:VALUE?", 0, "OUTPUT CURRENT Request Failed"},
        {"MEASU:MEAS3:VALUE?", 1, "OUTPUT POWER Request Failed"},
    };
    for (const Step& s : steps) {
        TestRig b;
        b.walkToReady();
        SimFault fault = SimFault::writeFails();
        fault.skip = s.skip;
        b.d2xx.addFault(s.query, fault);
        b.form->startCalculation();
        const std::vector<std::string>& log = b.form->List1.lines;
        const auto at = std::find(log.begin(), log.end(), s.failure);
        ASSERT_NE(at, log.end()) << s.failure << "\n" << joined(log);
        ASSERT_NE(at + 1, log.end());
        EXPECT_EQ(*(at + 1), "Close Scope") << s.failure;
        EXPECT_EQ(b.form->Text12.text, "FAULT") << s.failure;
    }
}
