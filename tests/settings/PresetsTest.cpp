#include "TestRig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const Lines StandardSupplies{"OFF", "130.0", "120.0", "110.0", "100.0", "50.0", "40.0"};

struct PresetRig : testing::Test {
    ScopeSettings& s() { return b.form->Settings; }
    Form1& f() { return *b.form; }
    Lines gains() {
        Lines all;
        for (int row = 0; row < 5; ++row) {
            all.push_back(s().gainBox(row).text);
        }
        return all;
    }
    TestRig b;
};

} // namespace

TEST_F(PresetRig, TheFirstPressSwitchesTheMainWindowToTheTransformer) {
    b.walkToReady();
    s().Text70.text.clear();
    s().standardPreset();
    EXPECT_EQ(f().Combo2.items, StandardSupplies);
    EXPECT_EQ(f().Combo2.text, "OFF");
    EXPECT_EQ(lastOf(f().List1.lines, 3),
              (Lines{"", "Demonstrate STANDARD TRANSFORMER F-54X", "9.4 OHM Load Resistor Selected"}));
    EXPECT_EQ(f().Text12.text, "SELECT PWR SUPPLY VOLTAGE");
    EXPECT_EQ(f().Text12.BackColor, Colours::Yellow);
    EXPECT_EQ(s().Text70.text, "STANDARD TRANSFORMER F-54X");
    EXPECT_EQ(f().Text15.text, "");
}

TEST_F(PresetRig, TheSecondPressAppliesReadsBackAndChecksTheGains) {
    b.walkToReady();
    s().standardPreset(); // split-flux named: switches
    b.pick(f().Combo2, "120.0", &Form1::supplyVoltagePicked);
    ASSERT_EQ(f().Text12.text, "WAIT") << "the scope is still set for the split-flux transformer";
    const std::size_t mark = b.d2xx.transcript.size();
    s().standardPreset();
    const Lines sent = b.linesSince(mark);
    // The probes change first, and the scope moves CH3's scale with its probe,
    // so the first application reads back another CH3 scale than recommended.
    EXPECT_EQ(Lines(sent.begin(), sent.begin() + 2), (Lines{"CH3:PROBE  1", "CH3:SCALE?"}));
    EXPECT_EQ(s().Text48.text, "500.0 mV/div");
    EXPECT_EQ(last(f().List1.lines), "Run STANDARD TRANSFORMER F-54X setup again");
    EXPECT_EQ(last(s().List1.lines), "Run STANDARD TRANSFORMER F-54X setup again");
    EXPECT_EQ(f().Text12.text, "WAIT");
    EXPECT_EQ(f().Text1.text, "RUN SETUP AGAIN");
    EXPECT_EQ(s().Text1.text, "RUN SETUP AGAIN");

    // Run again: the probes now agree, so the recommended scales go out as they are.
    const std::size_t again = b.d2xx.transcript.size();
    s().standardPreset();
    const Lines second = b.linesSince(again);
    EXPECT_EQ(Lines(second.begin(), second.begin() + 1), (Lines{"CH3:SCALE  5"}));
    EXPECT_EQ(gains(), (Lines{"20.0 V/div", "500.0 mA/div", "10.0 VA/div", "5.0 V/div", "500.0 mA/div"}));
    EXPECT_NE(last(f().List1.lines), "Run STANDARD TRANSFORMER F-54X setup again");
    EXPECT_EQ(f().Text12.text, "READY");
    EXPECT_EQ(f().Text15.text, "STANDARD TRANSFORMER F-54X");
}

TEST_F(PresetRig, TheSplitFluxBandsFollowTheSupplyVoltage) {
    const std::vector<std::pair<std::string, Lines>> bands{
        {"10.5", {"20.0 V/div", "5.0 A/div", "100.0 VA/div", "20.0 V/div", "5.0 A/div"}},
        {"10.0", {"10.0 V/div", "5.0 A/div", "50.0 VA/div", "10.0 V/div", "5.0 A/div"}},
        {"5.0", {"5.0 V/div", "2.0 A/div", "10.0 VA/div", "5.0 V/div", "2.0 A/div"}},
    };
    for (const auto& [supply, expected] : bands) {
        TestRig c;
        c.walkToReady("9.4", "10.0", "100");
        c.form->Combo2.text = supply;
        const std::size_t mark = c.d2xx.transcript.size();
        c.form->Settings.splitFluxPreset();
        Lines shown;
        for (int row = 0; row < 5; ++row) {
            shown.push_back(c.form->Settings.gainBox(row).text);
        }
        EXPECT_EQ(shown, expected) << supply;
        const Lines sent = c.linesSince(mark);
        EXPECT_EQ(last(sent), "CH4?") << "UPDATE SCOPE, then the read";
        EXPECT_EQ(c.form->Text12.text, "READY") << supply;
        EXPECT_EQ(c.form->Text15.text, "SPLIT-FLUX TRANSFORMER #1");
    }
}

TEST_F(PresetRig, PresetsAreRefusedUnlessWaitingOrReady) {
    b.startAndReadSettings();
    for (const CalculatorStatus refusing :
         {CalculatorStatus::NotReady, CalculatorStatus::Running, CalculatorStatus::SelectSupplyVoltage}) {
        f().Text12.set(refusing);
        const std::string status = wordsOf(refusing);
        const Lines before = f().List1.lines;
        const std::size_t mark = b.d2xx.transcript.size();
        s().splitFluxPreset();
        s().standardPreset();
        EXPECT_EQ(f().List1.lines, before) << status;
        EXPECT_EQ(b.d2xx.transcript.size(), mark) << status;
        EXPECT_EQ(f().Text12.text, status);
    }
}

TEST_F(PresetRig, APresetInsideAnotherDialogueIsRefused) {
    b.walkToReady();
    int presses = 0;
    b.pump.whenLogged(s().List1, "CH1?", [&] {
        ++presses;
        f().Text12.set(CalculatorStatus::Ready);
        s().splitFluxPreset();
    });
    const std::size_t mark = b.d2xx.transcript.size();
    s().getSettings();
    EXPECT_EQ(presses, 1);
    const Lines sent = b.linesSince(mark);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "MEASU:IMMED?"), 1) << "one read only";
    EXPECT_EQ(s().Text1.text, "READY");
}

TEST_F(PresetRig, SkipLogsItsLineAndMarksBothWindowsReady) {
    b.start();
    f().openSettings();
    f().Text12.set(CalculatorStatus::NotReady);
    s().skipSetup();
    EXPECT_EQ(last(f().List1.lines), "Skip  setup");
    EXPECT_EQ(last(s().List1.lines), "Skip  setup");
    EXPECT_EQ(f().Text12.text, "NOT READY");
    EXPECT_EQ(f().Text1.text, "READY");
    EXPECT_EQ(s().Text1.text, "READY");
    EXPECT_EQ(s().Text1.BackColor, Colours::Green);

    s().Text70.text = "GENERAL TRANSFORMER";
    f().Text12.set(CalculatorStatus::Wait);
    s().skipSetup();
    EXPECT_EQ(last(f().List1.lines), "Skip GENERAL TRANSFORMER setup");
    EXPECT_EQ(f().Text12.text, "SELECT PWR SUPPLY VOLTAGE");
    f().Combo2.text = "10.0";
    f().Text12.set(CalculatorStatus::Ready);
    s().skipSetup();
    EXPECT_EQ(f().Text12.text, "SELECT LOAD CAPACITOR");
}

TEST(OperatorWalk, FromStartUpToAFinishedPassUsingOnlyTheButtonsAndLists) {
    TestRig b;
    Form1& f = *b.form;
    ScopeSettings& s = f.Settings;
    b.start();
    EXPECT_EQ(f.Text12.text, "PRESS SETTINGS");
    f.openSettings();
    EXPECT_EQ(f.Text12.text, "GET SETTINGS");
    EXPECT_EQ(s.Text1.text, "GET SETTINGS");
    s.getSettings();
    EXPECT_EQ(f.Text12.text, "SELECT LOAD RESISTOR");
    EXPECT_EQ(f.Text15.text, "SPLIT-FLUX TRANSFORMER #1");
    b.pick(f.Combo1, "9.4", &Form1::loadResistorPicked);
    EXPECT_EQ(f.Text12.text, "SELECT PWR SUPPLY VOLTAGE");
    b.pick(f.Combo2, "10.5", &Form1::supplyVoltagePicked); // the scope is set for 10 V and below
    EXPECT_EQ(f.Text12.text, "WAIT");
    EXPECT_EQ(f.Text1.text, "RUN SETUP AGAIN");
    s.splitFluxPreset(); // the transformer is named: this press applies the upper band
    EXPECT_EQ(s.Text45.text, "20.0 V/div");
    EXPECT_EQ(f.Text12.text, "SELECT LOAD CAPACITOR");
    EXPECT_EQ(f.Text1.text, "READY");
    EXPECT_EQ(s.Text1.text, "READY");
    b.pick(f.Combo4, "100", &Form1::loadCapacitorPicked);
    EXPECT_EQ(f.Text12.text, "READY");
    f.startCalculation();
    EXPECT_EQ(last(f.List1.lines), "READY");
    EXPECT_NE(f.Text11.text, "");
    EXPECT_NE(f.Text16.text, "");
    EXPECT_EQ(b.scope.channels[0].scale, 20);
    EXPECT_EQ(b.scope.mathDefinition, "CH1 * CH2");
    for (const TextBox* box : {static_cast<const TextBox*>(&f.Text1), static_cast<const TextBox*>(&f.Text12),
                               static_cast<const TextBox*>(&s.Text1)}) {
        EXPECT_EQ(box->text, "READY");
    }
}
