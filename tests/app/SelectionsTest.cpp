#include "TestRig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct SelectRig : testing::Test {
    void SetUp() override { b.startAndReadSettings(); }
    Form1& f() { return *b.form; }
    ScopeSettings& s() { return b.form->Settings; }
    void pick(ComboBox& combo, const std::string& item, void (Form1::*action)()) { b.pick(combo, item, action); }
    void resistor(const std::string& item) { pick(f().Combo1, item, &Form1::loadResistorPicked); }
    void supply(const std::string& item) { pick(f().Combo2, item, &Form1::supplyVoltagePicked); }
    void average(const std::string& item) { pick(f().Combo3, item, &Form1::sampleAveragePicked); }
    void capacitor(const std::string& item) { pick(f().Combo4, item, &Form1::loadCapacitorPicked); }
    void setGains(const Lines& gains) {
        for (int row = 0; row < 5; ++row) {
            s().gainBox(row).text = gains[static_cast<std::size_t>(row)];
        }
    }
    TestRig b;
};

const Lines Middle{"10.0 V/div", "5.0 A/div", "50.0 VA/div", "10.0 V/div", "5.0 A/div"};
const Lines Lowest{"5.0 V/div", "2.0 A/div", "10.0 VA/div", "5.0 V/div", "2.0 A/div"};

} // namespace

TEST_F(SelectRig, TheWalkToReadyLogsEachChoice) {
    resistor("9.4");
    EXPECT_EQ(f().Text12.text, "SELECT PWR SUPPLY VOLTAGE");
    EXPECT_EQ(f().Combo2.items.size(), 20u) << "the split-flux supply list";
    EXPECT_EQ(f().Combo2.text, "OFF");
    EXPECT_EQ(last(f().List1.lines), "9.4 OHM Load Resistor Selected");
    supply("10.0");
    EXPECT_EQ(last(f().List1.lines), "10.0 VOLTS RMS Pwr Supply Voltage Selected");
    EXPECT_EQ(f().Text12.text, "SELECT LOAD CAPACITOR");
    EXPECT_EQ(f().Combo3.items, (Lines{"4", "16", "64", "128"}));
    EXPECT_EQ(f().Combo3.text, "16");
    capacitor("100");
    EXPECT_EQ(last(f().List1.lines), "100 uF Load Capacitor Selected");
    EXPECT_EQ(f().LoadCapacitance, 100);
    for (const TextBox* box : {static_cast<const TextBox*>(&f().Text12), static_cast<const TextBox*>(&f().Text1),
                               static_cast<const TextBox*>(&s().Text1)}) {
        EXPECT_EQ(box->text, "READY");
        EXPECT_EQ(box->BackColor, Colours::Green);
    }
    f().startCalculation();
    EXPECT_EQ(last(f().List1.lines), "READY");
    EXPECT_NE(f().Text16.text, "");
}

TEST_F(SelectRig, TheSupplyBandLimitsAreStrict) {
    resistor("9.4");
    supply("10.0"); // middle band: matches the scope
    EXPECT_EQ(f().Text12.text, "SELECT LOAD CAPACITOR");

    TestRig c;
    c.scope.channels[0].scale = 5;
    c.scope.channels[1].scale = 2;
    c.scope.mathScale = 10;
    c.scope.channels[2].scale = 5;
    c.scope.channels[3].scale = 2;
    c.startAndReadSettings();
    c.pick(c.form->Combo1, "9.4", &Form1::loadResistorPicked);
    c.pick(c.form->Combo2, "5.0", &Form1::supplyVoltagePicked); // lowest band
    EXPECT_EQ(c.form->Text12.text, "SELECT LOAD CAPACITOR");
    c.pick(c.form->Combo2, "5.5", &Form1::supplyVoltagePicked); // middle band: mismatch
    EXPECT_EQ(c.form->Text12.text, "WAIT");
}

TEST_F(SelectRig, GainsNeverReadAlwaysAskForTheSetupAgain) {
    for (const char* kind : {"SPLIT-FLUX TRANSFORMER #1", "STANDARD TRANSFORMER F-54X"}) {
        TestRig c;
        c.start();
        c.form->Text15.text = kind;
        c.form->Settings.Text70.text = kind;
        c.pick(c.form->Combo1, "NO LOAD", &Form1::loadResistorPicked);
        c.pick(c.form->Combo2, c.form->Combo2.items[1], &Form1::supplyVoltagePicked);
        const std::string again = std::string("Run ") + kind + " setup again";
        EXPECT_EQ(last(c.form->List1.lines), again);
        EXPECT_EQ(last(c.form->Settings.List1.lines), again);
        EXPECT_EQ(c.form->Text12.text, "WAIT");
        EXPECT_EQ(c.form->Text1.text, "RUN SETUP AGAIN");
        EXPECT_EQ(c.form->Text1.BackColor, Colours::Yellow);
        EXPECT_EQ(c.form->Settings.Text1.text, "RUN SETUP AGAIN");

        // In "WAIT" the selections are ignored; a capacitor snaps back.
        const Lines before = c.form->List1.lines;
        c.pick(c.form->Combo1, "5.0", &Form1::loadResistorPicked);
        c.pick(c.form->Combo4, "200", &Form1::loadCapacitorPicked);
        EXPECT_EQ(c.form->Combo4.text, "NO LOAD");
        EXPECT_EQ(c.form->List1.lines, before);
        EXPECT_EQ(c.form->Text12.text, "WAIT");
    }
}

TEST_F(SelectRig, OffNoLoadAndTheCapacitorWithoutSupply) {
    resistor("NO LOAD");
    EXPECT_EQ(last(f().List1.lines), "INFINITE OHM Load Resistor Selected");
    capacitor("50"); // no supply yet: snaps back
    EXPECT_EQ(f().Combo4.text, "NO LOAD");
    EXPECT_EQ(f().LoadCapacitance, 0);
    EXPECT_EQ(last(f().List1.lines), "0.0 uF Load Capacitor Selected");
    EXPECT_EQ(f().Text12.text, "SELECT PWR SUPPLY VOLTAGE") << "unchanged";
    supply("10.0");
    capacitor("50");
    EXPECT_EQ(f().Text12.text, "READY");
    supply("OFF");
    EXPECT_EQ(last(f().List1.lines), "0.0 VOLTS RMS Pwr Supply Voltage Selected");
    EXPECT_EQ(f().Text12.text, "SELECT PWR SUPPLY VOLTAGE");
    capacitor("NO LOAD");
    EXPECT_EQ(f().Text12.text, "SELECT LOAD CAPACITOR");
    EXPECT_EQ(last(f().List1.lines), "0.0 uF Load Capacitor Selected");
    // A capacitor picked while "WAIT" goes back to the last one applied.
    supply("10.0");
    capacitor("300");
    f().Text12.set(CalculatorStatus::Wait);
    capacitor("400");
    EXPECT_EQ(f().Combo4.text, "300");
}

TEST_F(SelectRig, TheSampleAverageIsSentOnlyWhenEverythingIsReady) {
    resistor("9.4");
    supply("10.0");
    ASSERT_EQ(f().Text12.text, "SELECT LOAD CAPACITOR");
    std::size_t mark = b.d2xx.transcript.size();
    average("64");
    EXPECT_EQ(f().Combo3.text, " 16");
    EXPECT_EQ(b.d2xx.transcript.size(), mark);

    capacitor("100");
    average("128");
    EXPECT_EQ(last(f().List1.lines), "ACQ:NUMAVG 128");
    EXPECT_EQ(last(b.d2xx.transcript).bytes, "ACQ:NUMAVG 128\r\n");
    EXPECT_EQ(last(b.d2xx.transcript).bytes.size(), 16u);
    EXPECT_EQ(b.scope.numAverages, 128);
    EXPECT_EQ(f().SampleAverage, 128);

    // The refill keeps the count shown.
    supply("10.0");
    EXPECT_EQ(f().Combo3.text, "128");
    EXPECT_EQ(f().Combo3.items, (Lines{"4", "16", "64", "128"}));

    // A failed write is reported; the new count is kept, nothing else happens.
    b.d2xx.forcedStatus["FT_Write"] = FT_IO_ERROR;
    average("4");
    EXPECT_EQ(last(f().List1.lines), "ACQUIRE NUMERICAL AVERAGE Failed");
    EXPECT_EQ(f().SampleAverage, 4);
    EXPECT_EQ(f().Text1.text, "READY");
}

TEST_F(SelectRig, NothingHappensWithoutALinkAndTypedTextIsSafe) {
    TestRig c;
    c.d2xx.devices.clear();
    c.start();
    const Lines before = c.form->List1.lines;
    c.pick(c.form->Combo1, "9.4", &Form1::loadResistorPicked);
    c.pick(c.form->Combo2, "10.0", &Form1::supplyVoltagePicked);
    c.pick(c.form->Combo3, "64", &Form1::sampleAveragePicked);
    c.pick(c.form->Combo4, "100", &Form1::loadCapacitorPicked);
    EXPECT_EQ(c.form->List1.lines, before);
    EXPECT_EQ(c.form->Combo4.text, "100") << "only the shown text changed";
    EXPECT_EQ(c.form->LoadCapacitance, 0);

    // A sample average typed as words keeps the count last applied.
    resistor("9.4");
    f().Combo3.text = "lots";
    supply("10.0");
    EXPECT_EQ(f().SampleAverage, 16);
    EXPECT_EQ(f().Combo3.text, "16");
}

TEST_F(SelectRig, AKindWithoutASupplyListIsNotChecked) {
    f().Text15.text = "GENERAL TRANSFORMER";
    s().Text70.text = "GENERAL TRANSFORMER";
    f().Combo2.items = {"OFF", "12.0"};
    resistor("9.4");
    EXPECT_EQ(f().Combo2.items, (Lines{"OFF", "12.0"})) << "left as it is";
    const std::string status = f().Text12.text;
    const std::size_t lines = f().List1.lines.size();
    supply("12.0");
    EXPECT_EQ(f().Text12.text, status);
    EXPECT_EQ(f().List1.lines.size(), lines);
}

TEST_F(SelectRig, OnlyAListedCountGoesToTheScopeAsPlainDigits) {
    resistor("9.4");
    supply("10.0");
    capacitor("100");
    ASSERT_EQ(f().Text12.text, "READY");
    // Typed texts that are no listed count are put back like a refused pick.
    for (const char* typed : {" 10 ", "-5", "-0", "1000000", "64x", "", "\xE2\x82\xAC"}) {
        const std::size_t mark = b.d2xx.transcript.size();
        f().Combo3.text = typed;
        f().sampleAveragePicked();
        EXPECT_EQ(b.d2xx.transcript.size(), mark) << "sent for [" << typed << "]";
        EXPECT_EQ(f().Combo3.text, " 16") << typed;
        EXPECT_EQ(f().SampleAverage, 16) << typed;
    }
    // A listed count with blanks or a tab around it (" 16" is what a refused
    // pick puts back) goes out as its digits alone.
    for (const auto& [typed, digits] : {std::pair{" 64 ", "64"}, std::pair{"\t16", "16"}}) {
        f().Combo3.text = typed;
        f().sampleAveragePicked();
        ASSERT_FALSE(b.d2xx.transcript.empty());
        EXPECT_EQ(last(b.d2xx.transcript).bytes, "ACQ:NUMAVG " + std::string(digits) + "\r\n");
        EXPECT_EQ(f().Combo3.text, digits);
        EXPECT_EQ(last(f().List1.lines), "ACQ:NUMAVG " + std::string(digits));
    }
    f().Combo3.text = "64";
    f().sampleAveragePicked();
    // Nor does a refill apply a count the list does not hold.
    f().Combo3.text = "1000000";
    supply("10.0");
    EXPECT_EQ(f().SampleAverage, 64);
    EXPECT_EQ(f().Combo3.text, "64");
}

TEST_F(SelectRig, TheAverageNeedsAllThreeStatusBoxesReady) {
    resistor("9.4");
    supply("10.0");
    capacitor("100");
    // Each box in turn reads something else: nothing is sent.
    const auto refused = [&] {
        const std::size_t mark = b.d2xx.transcript.size();
        average("64");
        EXPECT_EQ(b.d2xx.transcript.size(), mark);
        EXPECT_EQ(f().Combo3.text, " 16");
    };
    f().Text12.set(CalculatorStatus::Wait);
    refused();
    f().Text12.set(CalculatorStatus::Ready);
    f().Text1.set(ScopeStatus::RunSetupAgain);
    refused();
    f().Text1.set(ScopeStatus::Ready);
    s().Text1.set(ScopeStatus::RunSetupAgain);
    refused();
    s().Text1.set(ScopeStatus::Ready);
    average("64");
    EXPECT_EQ(last(b.d2xx.writtenLines()), "ACQ:NUMAVG 64");
}
