#include "TestRig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

void expectColours(const TextBox& box, Colour back, Colour fore, const char* what) {
    EXPECT_EQ(box.BackColor, back) << what;
    EXPECT_EQ(box.ForeColor, fore) << what;
}

struct ReadRig : testing::Test {
    void SetUp() override {
        b.start();
        b.form->openSettings();
    }
    ScopeSettings& s() { return b.form->Settings; }
    Form1& f() { return *b.form; }
    TestRig b;
};

const Lines SplitFluxSet2Notes{"",
                               "Recommended Scope Gain Settings for SPLIT-FLUX TRANSFORMER #1:",
                               "POWER SUPPLY VOLTAGE > 5.0 V RMS <= 10.0 V RMS",
                               "  CH1: 10.0 V/div",
                               "  CH2: 5.0 A/div",
                               "  MATH: 50.0 VA/div",
                               "  CH3: 10.0 V/div",
                               "  CH4: 5.0 A/div",
                               ""};

} // namespace

TEST_F(ReadRig, SettingsOpensTheWindowAndRefusesASecondOne) {
    EXPECT_EQ(f().List1.lines, (Lines{"Oscilloscope Settings Window Button Pressed"}));
    EXPECT_TRUE(s().isVisible());
    EXPECT_EQ(s().Text1.text, "GET SETTINGS");
    expectColours(s().Text1, Colours::Blue, Colours::White, "status");
    EXPECT_EQ(f().Text12.text, "GET SETTINGS");
    EXPECT_EQ(s().Text60.text, "BENCHSIM DS40");
    expectColours(s().Text60, Colours::Blue, Colours::White, "identity");
    EXPECT_EQ(s().Label12.font, (Font{15, true}));
    EXPECT_EQ(s().Label2.font, (Font{10, true}));
    EXPECT_EQ(s().Text40.font, (Font{12, true}));

    s().Text40.text = "typed";
    f().openSettings();
    EXPECT_EQ(f().List1.lines,
              (Lines{"Oscilloscope Settings Window Button Pressed", "", "Oscilloscope Settings Window Already Open"}));
    EXPECT_EQ(s().Text40.text, "typed");
}

TEST_F(ReadRig, AScopeSetUpAsExpectedShowsNoRedAndRecognisesTheSplitFluxSet) {
    s().getSettings();
    const Lines expectedLog{
        "MEASU:IMMED?",
        ":MEASUREMENT:IMMED:TYPE FREQUENCY;UNITS \"Hz\";SOURCE1 CH1\r\n",
        "MEASU:IMMED:VALUE?",
        "Read the RESONANT FREQUENCY in Hz",
        ":MEASUREMENT:IMMED:VALUE 6E+01\r\n",
        "MEASU:MEAS1?",
        ":MEASUREMENT:MEAS1:TYPE CRMS;UNITS \"V\";SOURCE CH1\r\n",
        "MEASU:MEAS2?",
        ":MEASUREMENT:MEAS2:TYPE CRMS;UNITS \"A\";SOURCE CH2\r\n",
        "MEASU:MEAS3?",
        ":MEASUREMENT:MEAS3:TYPE MEAN;UNITS \"VA\";SOURCE MATH\r\n",
        "MEASU:MEAS4?",
        ":MEASUREMENT:MEAS4:TYPE CRMS;UNITS \"V\";SOURCE CH3\r\n",
        "MEASU:MEAS5?",
        ":MEASUREMENT:MEAS5:TYPE CRMS;UNITS \"A\";SOURCE CH4\r\n",
        "CH1?",
        ":CH1:SCALE 1E+01;POSITION 2E+00;COUPLING AC;BANDWIDTH OFF;PROBE 2E+01;CURRENTPROBE "
        "1E+00;INVERT OFF\r\n",
    };
    ASSERT_GE(s().List1.lines.size(), expectedLog.size());
    EXPECT_EQ(Lines(s().List1.lines.begin(), s().List1.lines.begin() + 17), expectedLog);
    EXPECT_EQ(lastOf(s().List1.lines, 9), SplitFluxSet2Notes);
    EXPECT_EQ(b.d2xx.writtenBytes().substr(b.d2xx.writtenBytes().find("MEASU:IMMED?")),
              "MEASU:IMMED?\r\nMEASU:IMMED:VALUE?\r\nMEASU:MEAS1?\r\nMEASU:MEAS2?\r\n"
              "MEASU:MEAS3?\r\nMEASU:MEAS4?\r\nMEASU:MEAS5?\r\nCH1?\r\nCH2?\r\nMATH?\r\nCH3?\r\n"
              "CH4?\r\n");

    // The grid, row by row.
    const Lines channels{"CH1", "CH2", "MATH", "CH3", "CH4"};
    const Lines units{"V", "A", "VA", "V", "A"};
    const Lines types{"CRMS", "CRMS", "MEAN", "CRMS", "CRMS"};
    const Lines scales{"10.00", "5.00", "50.00", "10.00", "5.00"};
    const Lines gains{"10.0 V/div", "5.0 A/div", "50.0 VA/div", "10.0 V/div", "5.0 A/div"};
    const Lines positions{"2.0", "1.0", "0.0", "-1.0", "-2.0"};
    const std::vector<Colour> swatches{Colours::Yellow, Colours::Blue, Colours::Red, Colours::Magenta, Colours::Green};
    for (int row = 0; row < 5; ++row) {
        const auto r = static_cast<std::size_t>(row);
        EXPECT_EQ(s().measurementBox(row).text, ":MEAS" + std::to_string(row + 1) + ":");
        EXPECT_EQ(s().channelBox(row).text, channels[r]);
        EXPECT_EQ(s().unitsBox(row).text, units[r]);
        EXPECT_EQ(s().typeBox(row).text, types[r]);
        EXPECT_EQ(s().couplingBox(row).text, "AC");
        EXPECT_EQ(s().invertBox(row).text, "OFF");
        EXPECT_EQ(s().scaleBox(row).text, scales[r]);
        EXPECT_EQ(s().gainBox(row).text, gains[r]);
        EXPECT_EQ(s().positionBox(row).text, positions[r]);
        EXPECT_EQ(s().colourBox(row).BackColor, swatches[r]);
        for (int n = 2; n <= 49; ++n) {
            EXPECT_NE(s().textBox(n)->BackColor, Colours::Red) << "Text" << n;
        }
    }
    EXPECT_EQ(s().Text66.ForeColor, Colours::White);
    EXPECT_EQ(s().Text65.ForeColor, Colours::Black);
    EXPECT_EQ((Lines{s().Text32.text, s().Text33.text, s().Text34.text, s().Text35.text}),
              (Lines{"20X", "1X", "20X", "1X"}));
    EXPECT_EQ((Lines{s().Text36.text, s().Text37.text, s().Text38.text, s().Text39.text}),
              (Lines{"1X", "10X", "1X", "10X"}));
    EXPECT_EQ((Lines{s().Text50.text, s().Text51.text, s().Text52.text, s().Text53.text}),
              (Lines{"NONE", "100.0 mV/A", "NONE", "100.0 mV/A"}));
    EXPECT_EQ((Lines{s().Text61.text, s().Text62.text, s().Text63.text, s().Text64.text}),
              (Lines{":IMMED:", " CH1", "Hz", "FREQUENCY"}));
    EXPECT_EQ(s().Text59.text, "CH1 * CH2");
    EXPECT_TRUE(s().Label12.visible);
    EXPECT_FALSE(s().Label13.visible);

    // Stored values, and the status boxes.
    EXPECT_EQ(s().ProbeFactor, (std::array<double, 4>{20, 1, 20, 1}));
    EXPECT_EQ(s().CurrentProbeFactor, (std::array<double, 4>{1, 10, 1, 10}));
    EXPECT_EQ(s().ScaleSetting, (std::array<double, 5>{10, 5, 50, 10, 5}));
    EXPECT_EQ(s().PositionSetting, (std::array<double, 5>{2, 1, 0, -1, -2}));
    EXPECT_EQ(s().SensorFactor[1], 0.1);
    EXPECT_EQ(s().MathDefinition, "CH1 * CH2");
    EXPECT_EQ(s().Text1.text, "READY");
    expectColours(s().Text1, Colours::Green, Colours::Black, "settings status");
    EXPECT_EQ(f().Text1.text, "READY");
    EXPECT_EQ(f().Text12.text, "SELECT LOAD RESISTOR") << "the load resistor list shows NO LOAD";
    EXPECT_EQ(f().Combo1.items, (Lines{"NO LOAD", "97.2", "48.0", "23.1", "9.4", "5.0"}));
    EXPECT_EQ(f().Text15.text, "SPLIT-FLUX TRANSFORMER #1");
    EXPECT_EQ(s().Text70.text, "SPLIT-FLUX TRANSFORMER #1");
    EXPECT_EQ(f().List1.lines, (Lines{"Oscilloscope Settings Window Button Pressed", "Get Settings Button Pressed", "",
                                      "Demonstrate SPLIT-FLUX TRANSFORMER #1"}));
    EXPECT_FALSE(s().SettingsBusy);
    EXPECT_FALSE(f().DialogueRunning);
}

TEST_F(ReadRig, TheMainCalculatorStatusFollowsTheLoadLists) {
    f().Combo1.text = "9.4";
    s().getSettings();
    EXPECT_EQ(f().Text12.text, "SELECT LOAD CAPACITOR");
    f().Combo4.text = "100";
    s().getSettings();
    EXPECT_EQ(f().Text12.text, "READY");
    expectColours(f().Text12, Colours::Green, Colours::Black, "calculator status");
    EXPECT_EQ(f().Combo1.items, (Lines{"NO LOAD"})) << "refilled only while it shows NO LOAD";
}

TEST_F(ReadRig, MismatchesAreMarkedFalseInRedAndTheReadGoesOn) {
    b.scope.measurements[0].source = "CH2";
    b.scope.channels[2].coupling = "DC";
    s().getSettings();
    EXPECT_EQ(s().Text7.text, "False");
    expectColours(s().Text7, Colours::Red, Colours::White, "channel");
    EXPECT_EQ(s().MeasurementChannel[0], "CH2");
    EXPECT_EQ(s().Text25.text, "False");
    EXPECT_EQ(s().ChannelCoupling[3], "DC");
    EXPECT_EQ(s().Text1.text, "READY");

    // A box marked red stays red until it is marked again.
    b.scope.measurements[0].source = "CH1";
    s().getSettings();
    EXPECT_EQ(s().Text7.text, "CH1");
    EXPECT_EQ(s().Text7.BackColor, Colours::Red);
}

TEST_F(ReadRig, UnitsDecideTheProbeSensorAndGainMarkings) {
    b.scope.channels[1].scale = 0.5;
    s().getSettings();
    expectColours(s().Text32, Colours::White, Colours::Black, "CH1 volt probe");
    expectColours(s().Text36, Colours::Black, Colours::Blue, "CH1 amp probe");
    EXPECT_EQ(s().Text50.text, "NONE");
    expectColours(s().Text50, Colours::Black, Colours::Blue, "CH1 sensor");
    expectColours(s().Text33, Colours::Black, Colours::Blue, "CH2 volt probe");
    expectColours(s().Text37, Colours::White, Colours::Black, "CH2 amp probe");
    EXPECT_EQ(s().Text46.text, "500.0 mA/div");
    EXPECT_EQ(s().Text51.text, "100.0 mV/A");

    b.scope.channels[1].scale = 1;
    b.scope.measurements[2].units = "W"; // MATH units need not be VA for its gain
    s().getSettings();
    EXPECT_EQ(s().Text46.text, "1.0 A/div");
    EXPECT_EQ(s().Text47.text, "50.0 VA/div");

    // CH1 measured in amps: its sensor is 1.0 V/A, and its NONE box keeps white on CH2.
    b.scope.measurements[0].units = "A";
    b.scope.measurements[1].units = "V";
    s().getSettings();
    EXPECT_EQ(s().Text50.text, "1.0 V/A");
    EXPECT_EQ(s().Text51.text, "NONE");
    expectColours(s().Text51, Colours::Black, Colours::White, "CH2 sensor NONE");
    EXPECT_EQ(s().Text47.text, "50.0 VA/div") << "A and V also give the MATH gain";

    b.scope.measurements[1].units = "X";
    s().getSettings();
    EXPECT_EQ(s().Text46.text, "");
    EXPECT_EQ(s().Text51.text, "");
    EXPECT_EQ(s().Text47.text, "") << "no MATH gain without one V and one A";
}

TEST_F(ReadRig, TheMathDefinitionMovesTheXMarkers) {
    b.scope.mathDefinition = "CH3 * CH4";
    s().getSettings();
    EXPECT_FALSE(s().Label12.visible);
    EXPECT_TRUE(s().Label13.visible);
    b.scope.mathDefinition = "CH1 + CH2";
    s().getSettings();
    EXPECT_FALSE(s().Label12.visible);
    EXPECT_FALSE(s().Label13.visible);
    EXPECT_EQ(s().Text59.text, "CH1 + CH2");
}

TEST_F(ReadRig, TheMathInvertFollowsTheInputChannels) {
    const auto mathInvert = [&](bool ch1, bool ch2) {
        b.scope.channels[0].invert = ch1;
        b.scope.channels[1].invert = ch2;
        s().getSettings();
        return s().Text29.text;
    };
    EXPECT_EQ(mathInvert(false, true), "ON");
    EXPECT_EQ(mathInvert(true, false), "ON");
    EXPECT_EQ(mathInvert(true, true), "OFF");
    EXPECT_EQ(mathInvert(false, false), "OFF");
    EXPECT_EQ(s().Text27.text, "OFF");
}

TEST_F(ReadRig, ATimeOutOnTheFirstChannelKeepsTheSlotsAndEndsInTheResetPath) {
    b.d2xx.addFault("CH1?", SimFault::noAnswer());
    s().getSettings();
    EXPECT_EQ(s().Text7.text, "CH1");
    EXPECT_EQ(s().Text32.text, "");
    EXPECT_EQ(s().Text40.text, "");
    const auto& log = s().List1.lines;
    const auto timeout = std::find(log.begin(), log.end(), "FT_Read timeout ftStatus =  0");
    ASSERT_NE(timeout, log.end());
    EXPECT_EQ(*(timeout + 1), "Close Scope");
    EXPECT_EQ(*(timeout + 3), "Gain Settings for GENERAL TRANSFORMER:");
    EXPECT_EQ(s().Text1.text, "RESET SCOPE");
    expectColours(s().Text1, Colours::Red, Colours::White, "settings status");
    EXPECT_EQ(f().Text1.text, "RUNNING") << "the main window keeps its boxes";
    EXPECT_EQ(f().Text12.text, "WAIT");
    EXPECT_EQ(f().ScopeOpen, 1);
    EXPECT_FALSE(s().SettingsBusy);
    EXPECT_FALSE(f().DialogueRunning);
}

TEST_F(ReadRig, AnAnswerWithoutLineFeedEndsWithTestFailed) {
    b.d2xx.addFault("MEASU:MEAS3?", SimFault::noLF());
    s().getSettings();
    const auto& log = s().List1.lines;
    const auto raw = std::find(log.begin(), log.end(), ":MEASUREMENT:MEAS3:TYPE MEAN;UNITS \"VA\";SOURCE MATH\r");
    ASSERT_NE(raw, log.end());
    EXPECT_EQ(*(raw + 1), "Close Scope");
    EXPECT_EQ(*(raw + 2), "Test Failed");
    EXPECT_TRUE(s().TestFailed);
    EXPECT_FALSE(f().TestFailed) << "the settings window has its own flag";

    // A later failure logs "Test Failed" again until the window is shown again.
    b.d2xx.clearFaults();
    s().getSettings();
    EXPECT_EQ(s().List1.lines.at(0), "Read MEASU:IMMED Request Failed") << "the link is closed";
    EXPECT_EQ(s().List1.lines.at(1), "CyclePort failed");
    EXPECT_EQ(s().List1.lines.at(2), "Test Failed");
}

TEST_F(ReadRig, AFailureBeforeTheChannelsRecognisesTheGeneralSetUpWithEmptyGains) {
    b.d2xx.addFault("MEASU:IMMED:VALUE?", SimFault::writeFails());
    s().getSettings();
    EXPECT_EQ(s().List1.lines,
              (Lines{"MEASU:IMMED?", ":MEASUREMENT:IMMED:TYPE FREQUENCY;UNITS \"Hz\";SOURCE1 CH1\r\n",
                     "FREQUENCY Request Failed", "Close Scope", "", "Gain Settings for GENERAL TRANSFORMER:", "  CH1: ",
                     "  CH2: ", "  MATH: ", "  CH3: ", "  CH4: ", ""}));
    EXPECT_EQ(f().Text15.text, "GENERAL TRANSFORMER");
    EXPECT_EQ(last(f().List1.lines), "Demonstrate GENERAL TRANSFORMER");
}

TEST_F(ReadRig, TheDemonstrateLineIsAddedOnlyWhenTheSetUpChanges) {
    s().getSettings(); // GET SETTINGS empties Text70 first: always a line
    s().getSettings();
    EXPECT_EQ(std::count(f().List1.lines.begin(), f().List1.lines.end(), "Demonstrate SPLIT-FLUX TRANSFORMER #1"), 2);
    // Called with the set-up already named: no line.
    s().Text70.text = "SPLIT-FLUX TRANSFORMER #1";
    const std::size_t before = f().List1.lines.size();
    s().ReadScopeSettings();
    EXPECT_EQ(f().List1.lines.size(), before);
    // Named another set-up than the probes show: the found one is announced.
    s().Text70.text = "STANDARD TRANSFORMER F-54X";
    s().ReadScopeSettings();
    EXPECT_EQ(last(f().List1.lines), "Demonstrate SPLIT-FLUX TRANSFORMER #1");
    // The standard set-up is recognised from its 1X CH3 probe, and always lists its gains.
    b.scope.channels[2].probe = 1;
    s().getSettings();
    EXPECT_EQ(f().Text15.text, "STANDARD TRANSFORMER F-54X");
    EXPECT_EQ(lastOf(s().List1.lines, 8),
              (Lines{"", "Recommended Scope Gain Settings for STANDARD TRANSFORMER F-54X:", "  CH1: 20.0 V/div",
                     "  CH2: 500.0 mA/div", "  MATH: 10.0 VA/div", "  CH3: 5.0 V/div", "  CH4: 500.0 mA/div", ""}));
}

TEST_F(ReadRig, ButtonsAreRefusedWhileAReadRunsAndCloseUnloadsOnlyTheControls) {
    b.pump.whenLogged(s().List1, "CH2?", [&] {
        const std::size_t mainLines = f().List1.lines.size();
        s().closeWindow();
        s().getSettings();
        EXPECT_EQ(f().List1.lines.size(), mainLines);
        EXPECT_TRUE(s().isVisible());
    });
    s().getSettings();
    EXPECT_TRUE(b.pump.allDone());

    s().closeWindow();
    EXPECT_FALSE(s().isVisible());
    EXPECT_EQ(last(f().List1.lines), "Close Settings Window Button Pressed");
    EXPECT_EQ(s().ScaleSetting[0], 10) << "the variables live on";
    // Writes while the window is not shown land in its state.
    s().Text1.set(ScopeStatus::Ready);
    s().List1.AddItem("kept");
    f().openSettings();
    EXPECT_EQ(s().List1.lines, (Lines{"kept"}));
    EXPECT_EQ(s().Text1.text, "GET SETTINGS");
    for (int n = 2; n <= 70; ++n) {
        if (n == 60) {
            continue;
        }
        EXPECT_EQ(s().textBox(n)->text, "") << n;
        EXPECT_EQ(s().textBox(n)->BackColor, Colours::White) << n;
    }
    EXPECT_TRUE(s().Label12.visible);
    EXPECT_TRUE(s().Label13.visible);
}

TEST_F(ReadRig, NoSecondDialogueStartsInsideAPassOrARead) {
    // GET SETTINGS pressed while a measurement pass runs (the window was open).
    TestRig c;
    c.walkToReady();
    ScopeSettings& cs = c.form->Settings;
    c.pump.whenLogged(c.form->List1, "MEASU:MEAS1:VALUE?", [&] { cs.getSettings(); });
    const std::size_t mark = c.d2xx.transcript.size();
    c.form->startCalculation();
    const Lines sent = c.linesSince(mark);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "MEASU:IMMED?"), 0);
    EXPECT_EQ(last(c.form->List1.lines), "READY");
    EXPECT_EQ(c.form->Text5.text, "1.1000");

    // START pressed inside a read, after the status was walked to READY.
    c.pump.whenLogged(cs.List1, "CH1?", [&] {
        c.form->Text12.set(CalculatorStatus::Ready);
        c.form->startCalculation();
    });
    const std::size_t mark2 = c.d2xx.transcript.size();
    cs.getSettings();
    const Lines sent2 = c.linesSince(mark2);
    EXPECT_EQ(std::count(sent2.begin(), sent2.end(), "MATH:DEFINE \"CH1 * CH2\""), 0);
    EXPECT_FALSE(c.form->CalculationRunning);
    EXPECT_EQ(cs.Text1.text, "READY");
}

TEST_F(ReadRig, MalformedFieldsAreShownEmptyOrMarkedAndTheReadGoesOn) {
    b.d2xx.addFault("CH1?", SimFault::answered(":CH1:SCALE abc;POSITION 2\r\n"));
    b.d2xx.addFault("MEASU:MEAS2?", SimFault::answered(":MEASUREMENT:MEAS2:\r\n"));
    b.d2xx.addFault("MATH?", SimFault::answered(":MATH:DEFINE \r\n"));
    s().getSettings();
    EXPECT_EQ(s().Text40.text, "") << "scale no number";
    EXPECT_EQ(s().Text54.text, "") << "position without its ;";
    EXPECT_EQ(s().Text32.text, "") << "no PROBE field";
    EXPECT_EQ(s().Text22.text, "False") << "no COUPLING field";
    EXPECT_EQ(s().Text27.text, "False") << "no INVERT field: stored text compared with OFF";
    EXPECT_EQ(s().Text8.text, "False") << "no SOURCE field";
    EXPECT_EQ(s().Text59.text, "");
    EXPECT_EQ(s().Text1.text, "READY");
    EXPECT_EQ(s().Text41.text, "5.00") << "the later channels are read";
}
