#include "TestRig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

Lines valueLines(const char* query, const char* announcement, const std::string& answer) {
    return {query, announcement, answer + "\r\n"};
}

Lines concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

const Lines FrequencyLines =
    valueLines("MEASU:IMMED:VALUE?", ">> Read the RESONANT FREQUENCY in Hz", ":MEASUREMENT:IMMED:VALUE 6E+01");
const Lines InputVoltageLines =
    valueLines("MEASU:MEAS1:VALUE?", ">> Read the INPUT VOLTAGE in Volts RMS", ":MEASUREMENT:MEAS1:VALUE 1E+01");
const Lines InputCurrentLines =
    valueLines("MEASU:MEAS2:VALUE?", ">> Read the INPUT CURRENT in Amps RMS", ":MEASUREMENT:MEAS2:VALUE 1.2E+00");
const Lines InputPowerLines =
    valueLines("MEASU:MEAS3:VALUE?", ">> Read the REAL INPUT POWER in Watts", ":MEASUREMENT:MEAS3:VALUE 1E+01");
const Lines OutputVoltageLines =
    valueLines("MEASU:MEAS4:VALUE?", ">> Read the OUTPUT VOLTAGE in Volts RMS", ":MEASUREMENT:MEAS4:VALUE 9.2E+00");
const Lines OutputCurrentLines =
    valueLines("MEASU:MEAS5:VALUE?", ">> Read the OUTPUT CURRENT in Amps RMS", ":MEASUREMENT:MEAS5:VALUE 9.8E-01");
const Lines OutputPowerLines =
    valueLines("MEASU:MEAS3:VALUE?", ">> Read the REAL OUTPUT POWER in Watts", ":MEASUREMENT:MEAS3:VALUE 9E+00");
const std::string InputMath = "MATH:DEFINE \"CH1 * CH2\"";
const std::string OutputMath = "MATH:DEFINE \"CH3 * CH4\"";
const Lines Closing{InputMath, "STOP CALCULATION", "READY"};

struct PassRig : testing::Test {
    void SetUp() override {
        b.scope.readings.frequency = 60;
        b.scope.readings.crms = {10.0, 1.2, 9.2, 0.98};
        b.scope.readings.meanCh1Ch2 = 10.0;
        b.scope.readings.meanCh3Ch4 = 9.0;
        b.walkToReady("9.4", "10.0", "100");
        ASSERT_EQ(b.form->Text12.text, "READY");
        mark = b.d2xx.transcript.size();
        clockAtStart = b.clock.slept();
    }
    Form1& f() { return *b.form; }
    TestRig b;
    std::size_t mark = 0;
    std::uint64_t clockAtStart = 0;
};

void expectReady(Form1& f) {
    for (const TextBox* box : {static_cast<const TextBox*>(&f.Text1), static_cast<const TextBox*>(&f.Text12),
                               static_cast<const TextBox*>(&f.Settings.Text1)}) {
        EXPECT_EQ(box->text, "READY");
        EXPECT_EQ(box->BackColor, Colours::Green);
        EXPECT_EQ(box->ForeColor, Colours::Black);
    }
}

} // namespace

TEST_F(PassRig, ACompletePassLogsFillsEveryBoxAndRestoresMath) {
    f().startCalculation();
    const Lines expected = concat({
        {InputMath},
        FrequencyLines,
        InputVoltageLines,
        InputCurrentLines,
        InputPowerLines,
        {OutputMath},
        OutputVoltageLines,
        OutputCurrentLines,
        {"Apparent Power Multiplier Efficiency: 75.13"},
        OutputPowerLines,
        {"PERCENT EFFICIENCY DIFFERENCE: 0.047%", "Phase Angle Output Power Factor: 0.998",
         "Load Resistor Output Power Factor: 0.999"},
        Closing,
    });
    EXPECT_EQ(f().List1.lines, expected) << joined(f().List1.lines);
    EXPECT_EQ(f().Text3.text, "60.0");
    EXPECT_EQ(f().Text4.text, "10.0000");
    EXPECT_EQ(f().Text5.text, "1.2000");
    EXPECT_EQ(f().Text7.text, "10.0000");
    EXPECT_EQ(f().Text8.text, "9.2000");
    EXPECT_EQ(f().Text9.text, "0.9800");
    EXPECT_EQ(f().Text10.text, "9.0000");
    EXPECT_EQ(f().Text18.text, "12.0000");
    EXPECT_EQ(f().Text19.text, "9.0160");
    EXPECT_EQ(f().Text22.text, "0.7513");
    EXPECT_EQ(f().Text6.text, "33.5573");
    EXPECT_EQ(f().Text17.text, "3.4139");
    EXPECT_EQ(f().Text20.text, "6.6332");
    EXPECT_EQ(f().Text11.text, "90.00");
    EXPECT_EQ(f().Text23.text, "9.0043");
    EXPECT_EQ(f().Text16.text, "90.04");
    EXPECT_EQ(f().Text14.text.substr(0, 7), "12/8/26");
    EXPECT_EQ(f().measured.InputCurrentText, "1.2E+00");
    expectReady(f());
    EXPECT_FALSE(f().CalculationRunning);
    EXPECT_FALSE(f().DialogueRunning);

    EXPECT_EQ(b.linesSince(mark),
              (Lines{InputMath, "MEASU:IMMED:VALUE?", "MEASU:MEAS1:VALUE?", "MEASU:MEAS2:VALUE?", "MEASU:MEAS3:VALUE?",
                     OutputMath, "MEASU:MEAS4:VALUE?", "MEASU:MEAS5:VALUE?", "MEASU:MEAS3:VALUE?", InputMath}));
    EXPECT_EQ(b.scope.mathDefinition, "CH1 * CH2");
    EXPECT_EQ(b.clock.slept() - clockAtStart, 35000u + b.writeMsSince(mark))
        << "seven read time-outs and the line time of the ten lines written";
}

TEST_F(PassRig, StopDuringTheInputCurrentReadGoesStraightToTheClosingSteps) {
    // The press is handled at the next event-loop turn, after Text5 is written.
    b.pump.when([&] { return !f().Text5.text.empty(); }, [&] { f().stopCalculation(); });
    f().startCalculation();
    EXPECT_EQ(f().List1.lines, concat({{InputMath}, FrequencyLines, InputVoltageLines, InputCurrentLines, Closing}))
        << joined(f().List1.lines);
    for (const TextBox* box : {&f().Text3, &f().Text4, &f().Text5, &f().Text18, &f().Text14}) {
        EXPECT_EQ(box->text, "");
    }
    expectReady(f());
    EXPECT_TRUE(f().StopRequested) << "stays set until the next START";
}

TEST_F(PassRig, StopAtEachStopTestEndsThePassThere) {
    // The stop tests in pass order, each reached by a press at the yield after
    // the given line was logged.
    const std::vector<std::pair<std::string, std::size_t>> stops{
        {InputMath, 1},             // before the frequency query
        {"MEASU:MEAS1:VALUE?", 5},  // after a write, before its read
        {InputPowerLines[0], 11},   // the input power query, its second test
        {OutputMath, 14},           // before the output voltage query
        {"MEASU:MEAS5:VALUE?", 18}, // after the output current write
    };
    for (const auto& [line, kept] : stops) {
        TestRig c;
        c.walkToReady();
        Form1& g = *c.form;
        c.pump.whenLogged(g.List1, line, [&] { g.stopCalculation(); });
        g.startCalculation();
        ASSERT_GE(g.List1.lines.size(), 3u);
        EXPECT_EQ(g.List1.lines.size(), kept + 3) << line << "\n" << joined(g.List1.lines);
        EXPECT_EQ(lastOf(g.List1.lines, 3), Closing) << line;
        EXPECT_EQ(c.scope.mathDefinition, "CH1 * CH2");
    }
}

TEST_F(PassRig, ATooHighFrequencyResetsTheLinkBeforeTheOutputSide) {
    b.scope.readings.frequency = 60000;
    f().startCalculation();
    EXPECT_EQ(f().Text3.text, "----");
    EXPECT_EQ(f().Text3.BackColor, Colours::Red);
    EXPECT_EQ(f().Text3.ForeColor, Colours::White);
    const Lines tail = lastOf(f().List1.lines, 2);
    EXPECT_EQ(tail, (Lines{"RESONANT FREQUENCY must be <= 50.1KHz", "Close Scope"}));
    EXPECT_EQ(f().Text1.text, "RESET SCOPE");
    EXPECT_EQ(f().Text12.text, "FAULT");
    EXPECT_EQ(f().Settings.Text1.text, "RUNNING") << "the closing steps did not run";
    EXPECT_EQ(b.linesSince(mark), (Lines{InputMath, "MEASU:IMMED:VALUE?"}));
    EXPECT_FALSE(f().CalculationRunning);

    // The limit itself: 50100 is too high, just below is shown.
    TestRig c;
    c.scope.readings.frequency = 50099.96;
    c.walkToReady();
    c.form->startCalculation();
    EXPECT_EQ(c.form->Text3.text, "50,100.0");
}

TEST_F(PassRig, RangeRulesOverflowAndZeroTheirValues) {
    b.scope.readings.crms[1] = 150; // input current
    b.scope.readings.crms[2] = 0.4; // output voltage
    f().startCalculation();
    EXPECT_EQ(f().Text5.text, "OVERFLOW");
    EXPECT_EQ(f().measured.InputCurrent, 0);
    EXPECT_EQ(f().Text18.text, "0.0000");
    EXPECT_EQ(f().Text6.text, "FAULT");
    EXPECT_EQ(f().Text8.text, "0.0000");
    EXPECT_EQ(f().Text10.text, "0.0000");
    const Lines sent = b.linesSince(mark);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "MEASU:MEAS3:VALUE?"), 1) << "no output power is queried";
    EXPECT_EQ(last(f().List1.lines), "READY");
    EXPECT_NE(f().Text14.text, "") << "the timestamp is written";
}

TEST_F(PassRig, LimitsAreComparedExactlyAsWritten) {
    b.scope.readings.crms[0] = 999.9999; // input voltage: overflow, value kept
    b.scope.readings.crms[2] = 999.9999; // output voltage: still shown
    b.scope.readings.crms[3] = 99.9999;  // output current: overflow
    f().startCalculation();
    EXPECT_EQ(f().Text4.text, "OVERFLOW");
    EXPECT_EQ(f().measured.InputVoltage, 999.9999);
    EXPECT_EQ(f().Text8.text, "999.9999");
    EXPECT_EQ(f().Text9.text, "OVERFLOW");
    EXPECT_EQ(f().measured.OutputCurrent, 0);
}

TEST_F(PassRig, AValueThatIsNoNumberIsTreatedAsOutOfRange) {
    b.d2xx.addFault("MEASU:MEAS2:VALUE?", SimFault::answered(":MEASUREMENT:MEAS2:VALUE NONE\r\n"));
    b.d2xx.addFault("MEASU:MEAS1:VALUE?", SimFault::answered(":MEASUREMENT:MEAS1:VALUE \r\n"));
    f().startCalculation();
    EXPECT_EQ(f().Text4.text, "OVERFLOW");
    EXPECT_EQ(f().Text5.text, "OVERFLOW");
    ASSERT_FALSE(f().List1.lines.empty());
    EXPECT_EQ(last(f().List1.lines), "READY");
}

TEST_F(PassRig, AnAnswerUnderAnotherHeaderIsNoAnswerToTheQuery) {
    // The input current's query answered with the voltage's line, as a scope
    // that repeats itself would: logged as received, then the reset.
    b.d2xx.addFault("MEASU:MEAS2:VALUE?", SimFault::answered(":MEASUREMENT:MEAS1:VALUE 1E+01\r\n"));
    f().startCalculation();
    EXPECT_EQ(f().Text5.text, "");
    EXPECT_EQ(f().Text18.text, "") << "no apparent power from a voltage taken for a current";
    const Lines tail{":MEASUREMENT:MEAS1:VALUE 1E+01\r\n", "Close Scope", "Test Failed"};
    ASSERT_GE(f().List1.lines.size(), tail.size());
    EXPECT_EQ(lastOf(f().List1.lines, 3), tail) << joined(f().List1.lines);
    EXPECT_EQ(f().Text12.text, "FAULT");
    EXPECT_TRUE(f().TestFailed);
}

TEST_F(PassRig, ATimeOutOnTheOutputCurrentLeavesMathOnTheOutputSide) {
    b.d2xx.addFault("MEASU:MEAS5:VALUE?", SimFault::noAnswer());
    f().startCalculation();
    const Lines expected = concat({{InputMath},
                                   FrequencyLines,
                                   InputVoltageLines,
                                   InputCurrentLines,
                                   InputPowerLines,
                                   {OutputMath},
                                   OutputVoltageLines,
                                   {"MEASU:MEAS5:VALUE?", ">> Read the OUTPUT CURRENT in Amps RMS",
                                    "FT_Read timeout ftStatus =  0", "Close Scope"}});
    EXPECT_EQ(f().List1.lines, expected) << joined(f().List1.lines);
    EXPECT_EQ(b.scope.mathDefinition, "CH3 * CH4");
    EXPECT_EQ(f().Text12.text, "FAULT");
    EXPECT_FALSE(f().CalculationRunning);
    EXPECT_FALSE(f().DialogueRunning);
}

TEST_F(PassRig, FailedMathWritesAndMalformedAnswersReset) {
    b.d2xx.addFault(OutputMath, SimFault::writeFails());
    f().startCalculation();
    EXPECT_EQ(lastOf(f().List1.lines, 2), (Lines{"MATH Redefinition Failed", "Close Scope"}));

    TestRig c;
    c.walkToReady();
    c.d2xx.addFault("MEASU:MEAS4:VALUE?", SimFault::noCR());
    c.form->startCalculation();
    EXPECT_EQ(last(c.form->List1.lines), "Test Failed");
    EXPECT_TRUE(c.form->TestFailed);
}

TEST_F(PassRig, AStopBetweenAQuerysWriteAndItsReadDiscardsItsAnswer) {
    b.pump.whenLogged(f().List1, "MEASU:MEAS1:VALUE?", [this] { f().stopCalculation(); });
    f().startCalculation();
    ASSERT_EQ(last(f().List1.lines), "READY");
    // The query's write, the purge at the stop, then the closing MATH line.
    std::vector<std::string> tail;
    std::vector<std::uint32_t> sizes;
    for (const SimCall& call : lastOf(b.d2xx.calls, 4)) {
        tail.push_back(call.name);
        sizes.push_back(call.args.empty() ? 0 : call.args.front());
    }
    EXPECT_EQ(tail, (Lines{"FT_Purge", "FT_Write", "FT_Purge", "FT_Write"}));
    EXPECT_EQ(sizes, (std::vector<std::uint32_t>{FT_PURGE_RX, 20, FT_PURGE_RX, 25}));
}
