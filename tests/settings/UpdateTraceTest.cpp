#include "TestRig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct TraceRig : testing::Test {
    void SetUp() override {
        b.startAndReadSettings();
        mark = b.d2xx.transcript.size();
        clockMark = b.clock.slept();
        s().List1.Clear();
    }
    ScopeSettings& s() { return b.form->Settings; }
    Form1& f() { return *b.form; }
    Lines sent() const { return b.linesSince(mark); }
    TestRig b;
    std::size_t mark = 0;
    std::uint64_t clockMark = 0;
};

} // namespace

TEST_F(TraceRig, NothingChangedStillWaitsTwoSecondsAndHandsBack) {
    s().updateTrace();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(b.clock.slept() - clockMark, 2000u);
    EXPECT_EQ(last(f().List1.lines), "Update Trace Position");
    EXPECT_EQ(s().Text1.text, "READY");
    EXPECT_EQ(f().Text1.text, "READY");
    EXPECT_EQ(f().Text12.text, "SELECT LOAD RESISTOR");
    EXPECT_EQ(s().Text57.text, "-1.0");
}

TEST_F(TraceRig, AnEmptyBoxRefusesThePress) {
    s().Text58.text.clear();
    const std::size_t mainLines = f().List1.lines.size();
    s().updateTrace();
    EXPECT_EQ(f().List1.lines.size(), mainLines);
    EXPECT_EQ(b.clock.slept(), clockMark);
}

TEST_F(TraceRig, ChangedPositionsAreSentAndRemembered) {
    s().Text54.text = "0.5";
    s().Text57.text = "-1"; // known: nothing sent, rewritten
    s().Text58.text = "-3";
    s().Text56.text = "1.35";
    s().updateTrace();
    EXPECT_EQ(sent(), (Lines{"CH1:POSITION  .5", "MATH:VERTICAL:POSITION  1.35", "CH4:POSITION -3"}));
    EXPECT_EQ(b.d2xx.transcript.at(mark).bytes.size(), 18u);
    EXPECT_EQ(s().Text54.text, "0.5");
    EXPECT_EQ(s().Text57.text, "-1.0");
    EXPECT_EQ(s().Text56.text, "1.4");
    EXPECT_EQ(s().PositionSetting[4], -3);
    EXPECT_EQ(b.scope.channels[3].position, -3);
    EXPECT_EQ(s().List1.lines, sent());
}

TEST_F(TraceRig, TheMathDefinitionIsSentOnlyWhenItDiffersExactly) {
    s().Text59.text = "CH3 * CH4";
    s().updateTrace();
    EXPECT_EQ(sent(), (Lines{"MATH:DEFINE \"CH3 * CH4\""}));
    EXPECT_EQ(b.d2xx.transcript.at(mark).bytes.size(), 25u);
    EXPECT_FALSE(s().Label12.visible);
    EXPECT_TRUE(s().Label13.visible);
    EXPECT_EQ(s().MathDefinition, "CH3 * CH4");

    s().Text59.text = "ch1 * ch2";
    s().updateTrace();
    EXPECT_EQ(last(sent()), "MATH:DEFINE \"ch1 * ch2\"");
    EXPECT_FALSE(s().Label12.visible);
    EXPECT_FALSE(s().Label13.visible);
}

TEST_F(TraceRig, ADefinitionThatWouldSmuggleCommandsIsRefused) {
    for (const char* bad : {"CH1 * CH2\";ACQ:STATE OFF;\"", "CH1;CH2", "CH1\r\nRESET"}) {
        s().Text59.text = bad;
        s().Text59.setColours(Colours::White, Colours::Black);
        s().updateTrace();
        EXPECT_EQ(s().Text59.BackColor, Colours::Red) << bad;
        EXPECT_EQ(s().Text59.ForeColor, Colours::White) << bad;
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(b.scope.acquiring);
    EXPECT_EQ(s().MathDefinition, "CH1 * CH2");
    EXPECT_EQ(s().Text1.text, "READY") << "the rest of the press still runs";
}

TEST_F(TraceRig, APositionThatIsNoNumberLeavesItsRowAndAWriteFailureRecovers) {
    s().Text55.text = "up";
    s().Text54.text = "3";
    s().Text57.text = "4";
    b.d2xx.addFault("CH3:POSITION  4", SimFault::writeFails());
    s().updateTrace();
    EXPECT_EQ(s().Text55.text, "up");
    EXPECT_EQ(s().List1.lines, (Lines{"CH1:POSITION  3", "Set CH3 Position Failed", "Close Scope"}));
    EXPECT_EQ(s().PositionSetting[0], 3) << "written positions stay remembered";
    EXPECT_EQ(f().Text12.text, "WAIT");
    EXPECT_EQ(f().Text1.text, "RUNNING");
    EXPECT_EQ(b.clock.slept(), clockMark + b.writeMsSince(mark))
        << "only the line time of the one write: the 2-second wait is skipped";
}

TEST_F(TraceRig, OnlyShortPrintableDefinitionsAndFittingPositionsAreSent) {
    const std::string oneMegabyte(1 << 20, 'A');
    for (const std::string& definition :
         {oneMegabyte, std::string(41, 'A'), std::string("CH1 \xE2\x82\xAC CH2"), std::string("CH1\t* CH2")}) {
        s().Text59.text = definition;
        s().Text59.setColours(Colours::White, Colours::Black);
        s().Text54.text = "1e300";
        s().updateTrace();
        EXPECT_EQ(s().Text59.BackColor, Colours::Red) << definition.size();
        EXPECT_EQ(s().Text54.text, "1e300");
        EXPECT_TRUE(sent().empty()) << joined(sent());
    }
    // Forty characters are a definition like any other.
    const std::string forty = "CH1 * CH2 + CH3 * CH4 - CH1 * CH4 + CH2 ";
    ASSERT_EQ(forty.size(), 40u);
    s().Text59.text = forty;
    s().Text54.text = "2";
    s().updateTrace();
    EXPECT_EQ(sent(), (Lines{"MATH:DEFINE \"" + forty + "\""}));
    EXPECT_EQ(b.scope.mathDefinition, forty);
}
