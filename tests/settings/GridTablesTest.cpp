#include "CommandNumber.h"
#include "TestRig.h"

#include <algorithm>

#include <gtest/gtest.h>

// The settings window's tables, every row: the accepted probe factors, the
// set-up recognition, the gain notes, the query failure lines, and the field
// rules that are easy to get subtly wrong (INVERT, a current channel's sensor).

namespace {

using Lines = std::vector<std::string>;

Lines tail(const Lines& lines, std::size_t n) {
    return lines.size() < n ? lines : Lines(lines.end() - static_cast<long>(n), lines.end());
}

} // namespace

TEST(GridTables, EveryAcceptedProbeFactorIsSentAndEveryOtherRefused) {
    struct Column {
        const char* name;
        int box; // CH3 VOLT PROBE, CH4 AMP PROBE: rows whose units match the box
        const char* command;
        std::vector<double> accepted;
        std::vector<const char*> refused;
    };
    const std::vector<Column> columns{
        {"VOLT PROBE",
         34,
         "CH3:PROBE ",
         {1, 10, 20, 50, 100, 500, 1000},
         {"0X", "2X", "5X", "200X", "0.2X", "2000X", "20"}},
        {"AMP PROBE",
         39,
         "CH4:CURRENTPROBE ",
         {0.2, 1, 2, 5, 10, 50, 100, 1000},
         {"0X", "20X", "500X", "0.5X", "3X", "10"}},
    };
    for (const Column& c : columns) {
        for (double v : c.accepted) {
            TestRig b;
            b.startAndReadSettings();
            ScopeSettings& s = b.form->Settings;
            const std::size_t mark = b.d2xx.transcript.size();
            const std::string typed = (v == 0.2 ? std::string("0.2") : std::to_string(static_cast<int>(v))) + "x";
            s.textBox(c.box)->text = typed;
            s.updateScope();
            const Lines sent = b.linesSince(mark);
            const bool known = v == (c.box == 34 ? 20 : 10); // the factor the scope already has
            if (known) {
                EXPECT_TRUE(sent.empty()) << c.name << " " << v;
            } else {
                ASSERT_FALSE(sent.empty()) << c.name << " " << v;
                EXPECT_EQ(first(sent), c.command + commandNumber(v)) << c.name;
            }
            EXPECT_EQ(s.textBox(c.box)->BackColor, Colours::White) << c.name << " " << v << " accepted";
        }
        for (const char* typed : c.refused) {
            TestRig b;
            b.startAndReadSettings();
            ScopeSettings& s = b.form->Settings;
            const std::size_t mark = b.d2xx.transcript.size();
            s.textBox(c.box)->text = typed;
            s.updateScope();
            EXPECT_TRUE(b.linesSince(mark).empty()) << c.name << " " << typed;
            EXPECT_EQ(s.textBox(c.box)->BackColor, Colours::Red) << c.name << " " << typed;
            EXPECT_EQ(s.textBox(c.box)->ForeColor, Colours::White) << c.name << " " << typed;
        }
    }
}

TEST(GridTables, TheSetUpIsRecognisedFromTheFourProbeBoxesExactly) {
    struct Probes {
        double ch1, ch2Current, ch3, ch4Current;
        const std::string& named;
    };
    const std::vector<Probes> rows{
        {20, 10, 20, 10, SplitFluxName},
        {20, 10, 1, 10, StandardName},
        // Any one box off makes it the general set-up.
        {10, 10, 20, 10, GeneralName},
        {20, 1, 20, 10, GeneralName},
        {20, 10, 10, 10, GeneralName},
        {20, 10, 20, 5, GeneralName},
        {20, 10, 1, 1, GeneralName},
        {1, 10, 1, 10, GeneralName},
    };
    for (const Probes& p : rows) {
        TestRig b;
        b.scope.channels[0].probe = p.ch1;
        b.scope.channels[1].currentProbe = p.ch2Current;
        b.scope.channels[2].probe = p.ch3;
        b.scope.channels[3].currentProbe = p.ch4Current;
        b.startAndReadSettings();
        const std::string where = std::to_string(p.ch1) + " " + std::to_string(p.ch2Current) + " " +
                                  std::to_string(p.ch3) + " " + std::to_string(p.ch4Current);
        EXPECT_EQ(b.form->Text15.text, p.named) << where;
        EXPECT_EQ(b.form->Settings.Text70.text, p.named) << where;
        const Lines& main = b.form->List1.lines;
        EXPECT_EQ(tail(main, 2), (Lines{"", "Demonstrate " + p.named})) << where;
    }
}

TEST(GridTables, TheGainNotesOfEverySetUpAndBand) {
    struct Notes {
        std::array<double, 5> scales; // CH1, CH2, MATH, CH3, CH4
        double ch3Probe;
        Lines lines;
    };
    const std::vector<Notes> sets{
        {{20, 5, 100, 20, 5},
         20,
         {"", "Recommended Scope Gain Settings for SPLIT-FLUX TRANSFORMER #1:", "POWER SUPPLY VOLTAGE > 10.0 V RMS",
          "  CH1: 20.0 V/div", "  CH2: 5.0 A/div", "  MATH: 100.0 VA/div", "  CH3: 20.0 V/div", "  CH4: 5.0 A/div",
          ""}},
        {{10, 5, 50, 10, 5},
         20,
         {"", "Recommended Scope Gain Settings for SPLIT-FLUX TRANSFORMER #1:",
          "POWER SUPPLY VOLTAGE > 5.0 V RMS <= 10.0 V RMS", "  CH1: 10.0 V/div", "  CH2: 5.0 A/div",
          "  MATH: 50.0 VA/div", "  CH3: 10.0 V/div", "  CH4: 5.0 A/div", ""}},
        {{5, 2, 10, 5, 2},
         20,
         {"", "Recommended Scope Gain Settings for SPLIT-FLUX TRANSFORMER #1:", "POWER SUPPLY VOLTAGE <= 5.0V RMS ",
          "  CH1: 5.0 V/div", "  CH2: 2.0 A/div", "  MATH: 10.0 VA/div", "  CH3: 5.0 V/div", "  CH4: 2.0 A/div", ""}},
        // Split-flux probes with gains of no set: no notes at all.
        {{20, 5, 50, 10, 5}, 20, {}},
        // The standard set-up always lists its gains, whatever the scope has.
        {{10, 5, 50, 10, 5},
         1,
         {"", "Recommended Scope Gain Settings for STANDARD TRANSFORMER F-54X:", "  CH1: 20.0 V/div",
          "  CH2: 500.0 mA/div", "  MATH: 10.0 VA/div", "  CH3: 5.0 V/div", "  CH4: 500.0 mA/div", ""}},
        // Any other set-up lists the gains the scope has.
        {{2, 0.5, 1, 0.2, 0.1},
         5,
         {"", "Gain Settings for GENERAL TRANSFORMER:", "  CH1: 2.0 V/div", "  CH2: 500.0 mA/div", "  MATH: 1.0 VA/div",
          "  CH3: 200.0 mV/div", "  CH4: 100.0 mA/div", ""}},
    };
    for (const Notes& n : sets) {
        TestRig b;
        for (std::size_t ch = 0; ch < 4; ++ch) {
            b.scope.channels[ch].scale = n.scales[ch < 2 ? ch : ch + 1];
        }
        b.scope.mathScale = n.scales[2];
        b.scope.channels[2].probe = n.ch3Probe;
        b.startAndReadSettings();
        const Lines& log = b.form->Settings.List1.lines;
        // The notes follow the last answer, CH4's.
        const auto at =
            std::find_if(log.begin(), log.end(), [](const std::string& line) { return line.starts_with(":CH4:"); });
        ASSERT_NE(at, log.end()) << joined(log);
        EXPECT_EQ(Lines(at + 1, log.end()), n.lines) << joined(log);
    }
}

TEST(GridTables, EverySettingsQueryNamesItsOwnWriteFailure) {
    const std::vector<std::pair<const char*, const char*>> queries{
        {"MEASU:IMMED?", "Read MEASU:IMMED Request Failed"},
        {"MEASU:IMMED:VALUE?", "FREQUENCY Request Failed"},
        {"MEASU:MEAS1?", "Write MEASU:MEAS1 Request Failed"},
        {"MEASU:MEAS2?", "Write MEASU:MEAS2 Request Failed"},
        {"MEASU:MEAS3?", "Write MEASU:MEAS3 Request Failed"},
        {"MEASU:MEAS4?", "Write MEASU:MEAS4 Request Failed"},
        {"MEASU:MEAS5?", "Write MEASU:MEAS5 Request Failed"},
        {"CH1?", "Write CH1 Request Failed"},
        {"CH2?", "Write CH2 Request Failed"},
        {"MATH?", "Write MATH Request Failed"},
        {"CH3?", "Write CH3 Request Failed"},
        {"CH4?", "Write CH4 Request Failed"},
    };
    const std::vector<std::uint32_t> bytes{14, 20, 14, 14, 14, 14, 14, 6, 6, 7, 6, 6};
    TestRig clean;
    clean.startAndReadSettings();
    std::vector<std::uint32_t> written;
    for (const SimCall& call : clean.d2xx.calls) {
        if (call.name == "FT_Write") {
            written.push_back(call.args.at(0));
        }
    }
    ASSERT_GE(written.size(), bytes.size());
    EXPECT_EQ(lastOf(written, 12), bytes) << "the byte counts, in order";

    for (const auto& [query, failure] : queries) {
        TestRig b;
        b.d2xx.addFault(query, SimFault::writeFails());
        b.startAndReadSettings();
        const Lines& log = b.form->Settings.List1.lines;
        const auto at = std::find(log.begin(), log.end(), failure);
        ASSERT_NE(at, log.end()) << query << "\n" << joined(log);
        EXPECT_EQ(*(at + 1), "Close Scope") << query;
        EXPECT_EQ(b.form->Settings.Text1.text, "RESET SCOPE") << query;
    }
}

TEST(GridTables, InvertTakesAnOffAnywhereAfterItsKeywordBeforeAnOn) {
    TestRig b;
    // The INVERT field reads ON, but an OFF follows further on: OFF it is.
    b.d2xx.addFault("CH1?", SimFault::answered(":CH1:SCALE 1E+01;POSITION 2E+00;COUPLING AC;INVERT ON;"
                                               "BANDWIDTH OFF;PROBE 2E+01;CURRENTPROBE 1E+00\r\n"));
    b.d2xx.addFault("CH2?", SimFault::answered(":CH2:SCALE 5E+00;POSITION 1E+00;COUPLING AC;INVERT ON;"
                                               "PROBE 1E+00;CURRENTPROBE 1E+01\r\n"));
    b.startAndReadSettings();
    ScopeSettings& s = b.form->Settings;
    EXPECT_EQ(s.Text27.text, "OFF");
    EXPECT_EQ(s.ChannelInvert[0], "OFF");
    EXPECT_EQ(s.Text28.text, "ON");
    EXPECT_EQ(s.Text29.text, "ON") << "MATH: one channel inverted";
    EXPECT_EQ(s.Text27.BackColor, Colours::White) << "no colour change";
}

TEST(GridTables, ACurrentChannelShowsItsSensorAndGainWhateverItsNumber) {
    TestRig b;
    b.scope.measurements[0].units = "A"; // CH1 measured in amps
    b.scope.measurements[3].units = "A"; // CH3 too
    b.scope.channels[2].scale = 0.5;
    b.startAndReadSettings();
    ScopeSettings& s = b.form->Settings;
    EXPECT_EQ(s.Text50.text, "1.0 V/A") << "CH1";
    EXPECT_EQ(s.Text52.text, "1.0 V/A") << "CH3";
    EXPECT_EQ(s.Text51.text, "100.0 mV/A") << "CH2";
    EXPECT_EQ(s.Text53.text, "100.0 mV/A") << "CH4";
    EXPECT_EQ(s.Text48.text, "500.0 mA/div");
    EXPECT_EQ(s.Text45.text, "10.0 A/div");
    EXPECT_EQ(s.SensorFactor[0], 1.0);
    EXPECT_EQ(s.SensorFactor[3], 0.1);
    EXPECT_EQ(s.Text32.BackColor, Colours::Black) << "a volt probe on a current row";
    EXPECT_EQ(s.Text32.ForeColor, Colours::Blue);
    EXPECT_EQ(s.Text36.BackColor, Colours::White) << "an amp probe on a current row";
}
