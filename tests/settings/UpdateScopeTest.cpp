#include "CommandNumber.h"
#include "TestRig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct UpdateRig : testing::Test {
    void SetUp() override {
        b.startAndReadSettings();
        mark = b.d2xx.transcript.size();
        s().List1.Clear();
    }
    ScopeSettings& s() { return b.form->Settings; }
    Form1& f() { return *b.form; }
    Lines sent() const { return b.linesSince(mark); }
    TestRig b;
    std::size_t mark = 0;
};

} // namespace

TEST_F(UpdateRig, NothingChangedSendsNothingAndHandsTheMainWindowBack) {
    f().Combo3.text = "64";
    s().updateScope();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(last(f().List1.lines), "Update Scope Settings Button Pressed");
    EXPECT_EQ(f().Text12.text, "SELECT LOAD RESISTOR");
    EXPECT_EQ(f().Text1.text, "READY");
    EXPECT_EQ(s().Text1.text, "READY");
    EXPECT_EQ(f().Combo3.items, (Lines{"4", "16", "64", "128"}));
    EXPECT_EQ(f().Combo3.text, "64");
    EXPECT_EQ(s().SavedAverage, 64);
    EXPECT_FALSE(s().SettingsBusy);
    EXPECT_EQ(s().Text32.BackColor, Colours::White);
    EXPECT_EQ(s().Text33.BackColor, Colours::Black) << "volt probe on a current row";
    EXPECT_EQ(s().Text33.ForeColor, Colours::Blue);
}

TEST_F(UpdateRig, AnEmptyBoxOrABusyWindowRefusesThePress) {
    s().Text44.text.clear();
    const std::size_t mainLines = f().List1.lines.size();
    s().updateScope();
    EXPECT_EQ(f().List1.lines.size(), mainLines);
    EXPECT_TRUE(s().List1.lines.empty());

    s().Text44.text = "5.00";
    s().Text40.text = "2";
    int inner = 0;
    b.pump.whenLogged(s().List1, "CH1:SCALE  2", [&] {
        ++inner;
        s().updateScope(); // a second press while the first runs
    });
    s().updateScope();
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(sent(), (Lines{"CH1:SCALE  2"}));
}

TEST_F(UpdateRig, AProbeChangeIsSentThenTheScaleReadBack) {
    s().Text32.text = "10x";
    s().updateScope();
    EXPECT_EQ(s().Text32.text, "10X");
    EXPECT_EQ(sent(), (Lines{"CH1:PROBE  10X", "CH1:SCALE?", "CH1:SCALE  5"}));
    EXPECT_EQ(b.d2xx.transcript.at(mark).bytes.size(), 16u);
    EXPECT_EQ(s().List1.lines, (Lines{"CH1:PROBE  10X", "CH1:SCALE?", ":CH1:SCALE 5E+00\r\n", "CH1:SCALE  5"}));
    EXPECT_EQ(s().Text40.text, "5.00");
    EXPECT_EQ(s().Text45.text, "5.0 V/div");
    EXPECT_EQ(s().ProbeFactor[0], 10);
    EXPECT_EQ(s().ScaleSetting[0], 5);

    // A second press sends only what still differs: nothing.
    const std::size_t again = b.d2xx.transcript.size();
    s().updateScope();
    EXPECT_EQ(b.linesSince(again), Lines{});
}

TEST_F(UpdateRig, OnlyTheChannelOneVoltageProbeCarriesTheLetter) {
    s().Text32.text = "1000X";
    s().Text34.text = "1000X";
    s().Text37.text = "100X";
    s().updateScope();
    const Lines lines = sent();
    EXPECT_EQ(lines.at(0), "CH1:PROBE  1000X");
    EXPECT_EQ(lines.at(2), "CH3:PROBE  1000");
    EXPECT_EQ(lines.at(4), "CH2:CURRENTPROBE  100");
    EXPECT_EQ(lines.at(5), "CH2:SCALE?");
}

TEST_F(UpdateRig, RejectedProbeEntriesTurnRedAndLaterRowsGoOn) {
    s().Text32.text = "10";   // no letter
    s().Text34.text = "15X";  // not an accepted factor
    s().Text35.text = "abcX"; // no number
    s().Text39.text = "5X";
    s().updateScope();
    for (const TextBox* box : {&s().Text32, &s().Text34, &s().Text35}) {
        EXPECT_EQ(box->BackColor, Colours::Red);
        EXPECT_EQ(box->ForeColor, Colours::White);
    }
    EXPECT_EQ(s().Text34.text, "15X") << "a rejected entry is left as typed";
    EXPECT_EQ(sent(), (Lines{"CH4:CURRENTPROBE  5", "CH4:SCALE?", "CH4:SCALE  2.5"}));
    EXPECT_EQ(s().Text49.text, "2.5 A/div");
    EXPECT_EQ(s().Text53.text, "100.0 mV/A");
}

TEST_F(UpdateRig, AFractionalCurrentProbeKeepsItsDecimals) {
    s().Text37.text = "0.2X";
    s().updateScope();
    EXPECT_EQ(s().Text37.text, "0.2X");
    EXPECT_EQ(first(sent()), "CH2:CURRENTPROBE  .2");
    const std::size_t again = b.d2xx.transcript.size();
    s().updateScope();
    EXPECT_EQ(s().Text37.BackColor, Colours::White) << "accepted again on the next press";
    EXPECT_TRUE(b.linesSince(again).empty());
}

TEST_F(UpdateRig, ScalesAreSentUnroundedAndShownRounded) {
    s().Text40.text = "0.5";
    s().Text43.text = "1";
    s().Text41.text = "0.123";
    s().updateScope();
    EXPECT_EQ(sent(), (Lines{"CH1:SCALE  .5", "CH2:SCALE  .123", "CH3:SCALE  1"}));
    EXPECT_EQ(s().Text40.text, "0.50");
    EXPECT_EQ(s().Text45.text, "500.0 mV/div");
    EXPECT_EQ(s().Text50.text, "NONE");
    EXPECT_EQ(s().Text50.ForeColor, Colours::Blue);
    EXPECT_EQ(s().Text41.text, "0.12");
    EXPECT_EQ(s().Text46.text, "123.0 mA/div");
    EXPECT_EQ(s().Text43.text, "1.00");
    EXPECT_EQ(s().Text48.text, "1.0 V/div");
    EXPECT_EQ(s().ScaleSetting[1], 0.123);
    EXPECT_EQ(s().Text47.text, "50.0 VA/div") << "unchanged MATH row not redrawn";
}

TEST_F(UpdateRig, TheMathGainNeedsOneVoltageAndOneCurrentOnChannelsOneAndTwo) {
    s().Text42.text = "20";
    s().updateScope();
    EXPECT_EQ(sent(), (Lines{"MATH:VERTICAL:SCALE  20"}));
    EXPECT_EQ(s().Text47.text, "20.0 VA/div");

    s().ChannelUnits[1] = "V";
    s().Text42.text = "0.5";
    s().updateScope();
    EXPECT_EQ(s().Text42.text, "0.50");
    EXPECT_EQ(s().Text47.text, "20.0 VA/div") << "not redrawn: CH1 and CH2 both in volts";
}

TEST_F(UpdateRig, ATimeOutOnTheFirstReadBackClosesTheLinkAndStops) {
    s().Text32.text = "10X";
    s().Text34.text = "10X";
    b.d2xx.addFault("CH1:SCALE?", SimFault::noAnswer());
    s().updateScope();
    EXPECT_EQ(s().List1.lines, (Lines{"CH1:PROBE  10X", "CH1:SCALE?", "FT_Read timeout ftStatus =  0", "Close Scope"}));
    EXPECT_EQ(sent(), (Lines{"CH1:PROBE  10X", "CH1:SCALE?"}));
    EXPECT_EQ(s().Text34.text, "10X") << "later rows untouched";
    EXPECT_EQ(s().Text1.text, "RESET SCOPE");
    EXPECT_EQ(f().Text12.text, "WAIT");
    EXPECT_EQ(f().Text1.text, "RUNNING");
    EXPECT_FALSE(s().SettingsBusy);
    EXPECT_FALSE(f().DialogueRunning);
    EXPECT_EQ(s().ProbeFactor[0], 20) << "known values advance only on success";
}

TEST_F(UpdateRig, WriteFailuresNameTheirStep) {
    const std::vector<std::tuple<const char*, const char*, const char*, std::string>> cases{
        {"Text32", "10X", "CH1:PROBE  10X", "Set CH1 Attenuation Factor Failed"},
        {"Text32", "10X", "CH1:SCALE?", "Set CH1 Attenuation Factor Failed"},
        {"Text39", "5X", "CH4:CURRENTPROBE  5", "Set CH4 Attenuation Factor Failed"},
        {"Text39", "5X", "CH4:SCALE?", "Read CH4 Scale Failed"},
        {"Text42", "20", "MATH:VERTICAL:SCALE  20", "Set MATH Scale Factor Failed"},
        {"Text43", "2", "CH3:SCALE  2", "Set CH3 Scale Factor Failed"},
    };
    for (const auto& [box, value, failing, line] : cases) {
        TestRig c;
        c.startAndReadSettings();
        ScopeSettings& cs = c.form->Settings;
        const int number = std::stoi(std::string(box).substr(4));
        cs.textBox(number)->text = value;
        c.d2xx.addFault(failing, SimFault::writeFails());
        cs.updateScope();
        const auto& log = cs.List1.lines;
        const auto at = std::find(log.begin(), log.end(), line);
        ASSERT_NE(at, log.end()) << failing << "\n" << joined(log);
        EXPECT_EQ(*(at + 1), "Close Scope") << failing;
        EXPECT_EQ(at + 2, log.end()) << failing;
        EXPECT_EQ(cs.Text1.text, "RESET SCOPE");
    }
}

TEST_F(UpdateRig, ANumberWhoseCommandWouldNotFitOneLineLeavesItsRow) {
    s().Text40.text = "1e300";  // 312 characters as a plain decimal
    s().Text41.text = "1e-320"; // a subnormal: 332 characters
    s().Text42.text = "20";
    s().updateScope();
    EXPECT_EQ(sent(), (Lines{"MATH:VERTICAL:SCALE  20"}));
    EXPECT_EQ(s().Text40.text, "1e300") << "left as typed, as a text that is no number";
    EXPECT_EQ(s().Text41.text, "1e-320");
    EXPECT_EQ(s().ScaleSetting[0], 10.0);
    EXPECT_EQ(s().ScaleSetting[1], 5.0);
    for (const std::string& line : b.d2xx.writtenLines()) {
        EXPECT_TRUE(isSendable(line)) << line;
    }
}

TEST_F(UpdateRig, EachActionTakesTheMainWindowsHandleAsItIsThen) {
    // The link closed by DISCONNECT and opened again by RECONNECT has a new
    // handle; the settings window opened after that writes to it.
    const FT_HANDLE before = f().lngHandle;
    s().closeWindow();
    f().disconnect();
    f().reconnect();
    ASSERT_EQ(f().Text1.text, "READY");
    ASSERT_NE(f().lngHandle, before);
    f().openSettings();
    const std::size_t firstCall = b.d2xx.calls.size();
    s().Text32.text = "10X";
    s().Text33.text = "1X";
    s().Text34.text = "20X";
    s().Text35.text = "1X";
    for (int n = 36; n <= 44; ++n) {
        s().textBox(n)->text = n == 36 || n == 38 ? "1X" : n < 40 ? "10X" : "5";
    }
    s().updateScope();
    EXPECT_EQ(s().lngHandle, f().lngHandle);
    EXPECT_EQ(s().Text1.text, "READY") << joined(s().List1.lines);
    ASSERT_FALSE(s().List1.lines.empty());
    EXPECT_EQ(first(s().List1.lines), "CH1:PROBE  10X");
    for (std::size_t i = firstCall; i < b.d2xx.calls.size(); ++i) {
        EXPECT_EQ(b.d2xx.calls.at(i).handle, f().lngHandle) << b.d2xx.calls.at(i).name;
    }

    for (const auto& [box, text] :
         {std::pair{54, "3"}, {55, "1"}, {56, "0"}, {57, "-1"}, {58, "-2"}, {59, "CH1 * CH2"}}) {
        s().textBox(box)->text = text;
    }
    s().updateTrace();
    EXPECT_EQ(s().Text1.text, "READY") << joined(s().List1.lines);
    EXPECT_EQ(b.scope.channels[0].position, 3.0);
}

TEST_F(UpdateRig, AVoltageProbeShowsAWholeNumberAndACurrentProbeItsDecimals) {
    b.scope.channels[0].probe = 12.6;
    b.scope.channels[1].currentProbe = 0.2;
    f().Settings.getSettings();
    EXPECT_EQ(s().Text32.text, "13X");
    EXPECT_EQ(s().ProbeFactor[0], 12.6);
    EXPECT_EQ(s().Text37.text, "0.2X");
}
