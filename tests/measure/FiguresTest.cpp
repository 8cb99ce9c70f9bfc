#include "Controls.h"
#include "EfficiencyFigures.h"

#include "Checked.h"
#include <cmath>

#include <gtest/gtest.h>

namespace {

struct Boxes {
    TextBox Text6, Text11, Text16, Text17, Text18, Text19, Text20, Text21, Text22, Text23;
    ListBox List1;
};

// All the figures of a pass, in the pass's order.
void computeAll(const Measurements& m, Figures& f, Boxes& b, const std::string& resistor) {
    showApparentInputPower(m, f, b.Text18);
    showInputPhaseAngle(m, f, b.Text6);
    showReactiveInputPower(f, b.Text20);
    showApparentOutputPower(m, f, b.Text19, b.Text22, b.List1);
    showOutputPhaseAngle(m, f, b.Text17);
    showReactiveOutputPower(f, b.Text21);
    showPhaseEfficiency(m, f, b.Text11);
    showResistorFigures(m, f, resistor, b.Text23, b.Text16, b.List1);
    logEfficiencyDifference(f, b.List1);
    logOutputPowerFactors(m, f, b.List1);
}

Measurements typical() {
    Measurements m;
    m.InputVoltage = 10.0;
    m.InputCurrent = 1.2;
    m.InputPower = 10.0;
    m.OutputVoltage = 9.2;
    m.OutputCurrent = 0.98;
    m.OutputPower = 9.0;
    return m;
}

} // namespace

TEST(PhaseAngle, ArcCosineOfThePowerFactorWithItsClamp) {
    const PhaseAngleResult half = PhaseAngle(5, 10);
    EXPECT_NEAR(half.degrees, 60.0, 1e-4);
    EXPECT_NEAR(half.radians, std::acos(0.5), 1e-12);
    // P = S and P > S: factor 1, angle 0, clamped.
    for (double p : {10.0, 12.0}) {
        const PhaseAngleResult r = PhaseAngle(p, 10);
        EXPECT_TRUE(r.clamped);
        EXPECT_EQ(r.degrees, 0.0);
        EXPECT_EQ(r.radians, 0.0);
    }
    EXPECT_TRUE(PhaseAngle(1, 0).apparentPowerZero);
    // A negative factor gives an angle above 90 degrees.
    EXPECT_NEAR(PhaseAngle(-5, 10).degrees, 120.0, 1e-4);
}

TEST(Figures, ATypicalPassGivesEveryBoxAndResultLine) {
    const Measurements m = typical();
    Figures f;
    Boxes b;
    computeAll(m, f, b, "9.4");
    EXPECT_EQ(b.Text18.text, "12.0000");
    EXPECT_EQ(b.Text6.text, "33.5573");
    EXPECT_EQ(b.Text20.text, "6.6332");
    EXPECT_EQ(b.Text19.text, "9.0160");
    EXPECT_EQ(b.Text22.text, "0.7513");
    EXPECT_EQ(b.Text17.text, "3.4139");
    EXPECT_EQ(b.Text11.text, "90.00");
    EXPECT_EQ(b.Text23.text, "9.0043");
    EXPECT_EQ(b.Text16.text, "90.04");
    EXPECT_EQ(b.List1.lines, (std::vector<std::string>{"Apparent Power Multiplier Efficiency: 75.13",
                                                       "PERCENT EFFICIENCY DIFFERENCE: 0.047%",
                                                       "Phase Angle Output Power Factor: 0.998",
                                                       "Load Resistor Output Power Factor: 0.999"}));
    EXPECT_EQ(b.Text6.BackColor, Colours::White);
}

TEST(Figures, PowerFactorOneOrAboveShowsZeroDegreesOnYellow) {
    for (double power : {12.0, 14.0}) { // equal to, then above the apparent power
        Measurements m = typical();
        m.InputPower = power;
        Figures f;
        Boxes b;
        computeAll(m, f, b, "9.4");
        EXPECT_EQ(b.Text6.text, "0.0000");
        EXPECT_EQ(b.Text6.BackColor, Colours::Yellow);
        EXPECT_EQ(b.Text6.ForeColor, Colours::Black);
        EXPECT_EQ(b.Text20.text, "0.0000");
    }
}

TEST(Figures, HalfPowerFactorGivesSixtyDegreesAndRootThreeOverTwoReactive) {
    Measurements m = typical();
    m.InputPower = 6.0; // of 12 VA
    Figures f;
    Boxes b;
    computeAll(m, f, b, "9.4");
    EXPECT_EQ(b.Text6.text, "60.0000");
    EXPECT_NEAR(f.ReactiveInputPower.value(), 12.0 * std::sqrt(3.0) / 2, 1e-9);
}

TEST(Figures, NoLoadResistorHasNoResistorFigures) {
    const Measurements m = typical();
    Figures f;
    Boxes b;
    computeAll(m, f, b, "NO LOAD");
    EXPECT_EQ(b.Text23.text, "----");
    EXPECT_EQ(b.Text16.text, "----");
    EXPECT_EQ(f.LoadResistance, 99999999.9999);
    EXPECT_EQ(b.List1.lines.at(1), "PERCENT EFFICIENCY DIFFERENCE: ----%");
    EXPECT_EQ(b.List1.lines.at(3), "Load Resistor Output Power Factor: 0.000");
}

TEST(Figures, ResistorPowerAndTheEfficiencyDifference) {
    Measurements m = typical();
    m.OutputVoltage = 20.0;
    m.OutputCurrent = 0.5;
    m.OutputPower = 9.0;
    Figures f;
    Boxes b;
    computeAll(m, f, b, "40.0");
    EXPECT_EQ(b.Text23.text, "10.0000");

    // 90 % against 110 %: |110 - 90| / 100 = 20 %.
    Figures g;
    g.PhaseEfficiency = 90;
    g.ResistorEfficiency = 110;
    ListBox list;
    logEfficiencyDifference(g, list);
    EXPECT_EQ(last(list.lines), "PERCENT EFFICIENCY DIFFERENCE: 20.000%");
}

TEST(Figures, OverflowedInputCurrentCountsAsZero) {
    Measurements m = typical();
    m.InputCurrent = 0; // the range rule zeroed it
    Figures f;
    Boxes b;
    computeAll(m, f, b, "9.4");
    EXPECT_EQ(b.Text18.text, "0.0000");
    EXPECT_EQ(b.Text6.text, "FAULT");
    EXPECT_EQ(b.Text6.BackColor, Colours::Red);
    EXPECT_EQ(b.Text6.ForeColor, Colours::White);
    EXPECT_EQ(b.Text22.text, "----");
    EXPECT_EQ(b.List1.lines.at(0), "Apparent Power Multiplier Efficiency: ----");
}

TEST(Figures, LimitsAndResistorEdgeValues) {
    Measurements m = typical();
    Figures f;
    Boxes b;
    computeAll(m, f, b, "0");
    EXPECT_EQ(b.Text23.text, "OVERFLOW");
    EXPECT_EQ(f.ResistorOutputPower, 999.9999);

    Boxes c;
    Figures g;
    computeAll(m, g, c, "0.00001"); // 9.2^2 / 0.00001 W: over 999.9999 W and 9999999.9 %
    EXPECT_EQ(c.Text23.text, "OVERFLOW");
    EXPECT_EQ(c.Text16.text, "OVERFLOW");
    EXPECT_DOUBLE_EQ(g.ResistorOutputPower.value(), 9.2 * 9.2 / 0.00001) << "the value stays";

    // Far more apparent power out than in: grouped, then over the limits.
    Measurements small = typical();
    small.InputCurrent = 0.001;
    Figures h;
    Boxes d;
    computeAll(small, h, d, "9.4");
    EXPECT_EQ(d.Text22.text, "901.6000");
    EXPECT_EQ(d.List1.lines.at(0), "Apparent Power Multiplier Efficiency: 90,160.00");
    small.InputCurrent = 0.0001;
    Figures k;
    Boxes e;
    computeAll(small, k, e, "9.4");
    EXPECT_EQ(e.Text22.text, "OVERFLOW");
    EXPECT_EQ(e.List1.lines.at(0), "Apparent Power Multiplier Efficiency: OVERFLOW");
}

TEST(Figures, UndefinedRatiosShowDashesNeverInfOrNan) {
    // No measured input power while the output is present.
    Measurements m = typical();
    m.InputPower = 0;
    Figures f;
    Boxes b;
    computeAll(m, f, b, "9.4");
    EXPECT_EQ(b.Text11.text, "----");
    EXPECT_EQ(b.Text16.text, "----");
    EXPECT_EQ(b.List1.lines.at(1), "PERCENT EFFICIENCY DIFFERENCE: ----%");

    // No apparent output power: both factor lines have no value.
    Measurements none = typical();
    none.OutputVoltage = 0;
    none.OutputPower = 0;
    Figures g;
    Boxes c;
    computeAll(none, g, c, "9.4");
    EXPECT_EQ(c.Text17.text, "----");
    EXPECT_EQ(c.List1.lines.at(2), "Phase Angle Output Power Factor: ----");
    EXPECT_EQ(c.List1.lines.at(3), "Load Resistor Output Power Factor: ----");

    // Efficiencies of equal size and opposite sign.
    Figures opposite;
    opposite.PhaseEfficiency = 50;
    opposite.ResistorEfficiency = -50;
    ListBox list;
    logEfficiencyDifference(opposite, list);
    EXPECT_EQ(last(list.lines), "PERCENT EFFICIENCY DIFFERENCE: ----%");

    // A typed load resistor that is no number.
    Figures h;
    Boxes d;
    computeAll(typical(), h, d, "forty");
    EXPECT_EQ(d.Text23.text, "----");
    EXPECT_EQ(d.Text16.text, "----");
    EXPECT_EQ(d.List1.lines.at(1), "LOAD RESISTOR NOT A NUMBER: forty");

    // A power factor beyond the range of a double has no figure to show.
    Measurements huge = typical();
    huge.OutputCurrent = 1e-300;
    huge.OutputPower = 1e308;
    Figures k;
    Boxes e;
    computeAll(huge, k, e, "9.4");
    EXPECT_EQ(e.List1.lines.at(2), "Phase Angle Output Power Factor: ----");

    for (const Boxes* all : {&b, &c, &d}) {
        for (const TextBox* box : {&all->Text6, &all->Text11, &all->Text16, &all->Text17, &all->Text18, &all->Text19,
                                   &all->Text20, &all->Text21, &all->Text22, &all->Text23}) {
            EXPECT_EQ(box->text.find("inf"), std::string::npos) << box->text;
            EXPECT_EQ(box->text.find("nan"), std::string::npos) << box->text;
        }
    }
}

TEST(Figures, AnEfficiencyBeyondTheRangeOfADoubleIsAnOverflow) {
    // 9.9E37 W out of 1E-300 W in: the ratio is larger than any double.
    Measurements m = typical();
    m.InputPower = 1e-300;
    m.OutputPower = 9.9e37;
    Figures f;
    Boxes b;
    computeAll(m, f, b, "0.0000001");
    EXPECT_EQ(b.Text11.text, "OVERFLOW");
    EXPECT_TRUE(std::isinf(f.PhaseEfficiency.value())) << "the value stays";
    EXPECT_EQ(b.Text16.text, "OVERFLOW");
    EXPECT_EQ(b.List1.lines.at(1), "PERCENT EFFICIENCY DIFFERENCE: ----%");

    // The same ratio below zero has no figure to show.
    m.OutputPower = -9.9e37;
    Figures g;
    Boxes c;
    computeAll(m, g, c, "9.4");
    EXPECT_EQ(c.Text11.text, "----");
    EXPECT_FALSE(g.PhaseEfficiency) << "no efficiency";
}

TEST(Figures, EveryFigureLimitIsComparedExactlyAsWritten) {
    // The multiplier at exactly 999.9 is an overflow; its percentage line at
    // exactly 99999.99 too.
    Measurements m = typical();
    m.InputVoltage = 1;
    m.InputCurrent = 1;
    m.OutputVoltage = 999.9;
    m.OutputCurrent = 1;
    Figures f;
    Boxes b;
    computeAll(m, f, b, "9.4");
    EXPECT_EQ(f.ApparentMultiplier, 999.9);
    EXPECT_EQ(b.Text22.text, "OVERFLOW");
    m.OutputVoltage = 999.8;
    Figures g;
    Boxes c;
    computeAll(m, g, c, "9.4");
    EXPECT_EQ(c.Text22.text, "999.8000");

    // The efficiencies: shown grouped up to the limit, an overflow at it.
    const struct {
        double outputPower;
        const char* shown;
    } efficiencies[]{
        {5e6 / 100 * 10, "5,000,000.00"}, {9999999.8 / 100 * 10, "9,999,999.80"}, {9999999.9 / 100 * 10, "OVERFLOW"}};
    for (const auto& e : efficiencies) {
        Measurements n = typical();
        n.InputPower = 10;
        n.OutputPower = e.outputPower;
        Figures h;
        Boxes d;
        computeAll(n, h, d, "9.4");
        EXPECT_EQ(d.Text11.text, e.shown) << e.outputPower;
    }
}

TEST(PhaseAngle, DegreesUseThePiOfTheCalculatorNotTheFullOne) {
    // The arc cosine of 0.5 is a third of pi; in degrees through 3.1415926
    // it is 60.0000010, which every record at full precision keeps.
    const PhaseAngleResult r = PhaseAngle(5, 10);
    EXPECT_NEAR(r.radians, std::acos(0.5), 1e-15);
    EXPECT_NEAR(r.degrees, 60.0000010235, 1e-9);
    EXPECT_GT(r.degrees, 60.000001);
}

TEST(Figures, AFigureHasNoNumberExactlyWhereItsBoxShowsNone) {
    // Each case changes the typical pass; every figure with a box of its own
    // is none exactly where that box shows "----" ("FAULT" for the input angle).
    const struct {
        const char* what;
        void (*change)(Measurements&);
        const char* resistor;
    } cases[]{{"typical", [](Measurements&) {}, "9.4"},
              {"no load", [](Measurements&) {}, "NO LOAD"},
              {"a resistor that is no number", [](Measurements&) {}, "forty"},
              {"a zero resistor", [](Measurements&) {}, "0"},
              {"no input power", [](Measurements& m) { m.InputPower = 0; }, "9.4"},
              {"no input current", [](Measurements& m) { m.InputCurrent = 0; }, "9.4"},
              {"no output",
               [](Measurements& m) {
                   m.OutputVoltage = 0;
                   m.OutputPower = 0;
               },
               "9.4"},
              {"no output power", [](Measurements& m) { m.OutputPower = 0; }, "9.4"},
              {"beyond a double",
               [](Measurements& m) {
                   m.InputPower = 1e-300;
                   m.OutputPower = 9.9e37;
               },
               "9.4"}};
    for (const auto& c : cases) {
        Measurements m = typical();
        c.change(m);
        Figures f;
        Boxes b;
        computeAll(m, f, b, c.resistor);
        const std::pair<const std::optional<double>*, const TextBox*> pairs[]{{&f.ApparentMultiplier, &b.Text22},
                                                                              {&f.OutputPhaseAngle, &b.Text17},
                                                                              {&f.PhaseEfficiency, &b.Text11},
                                                                              {&f.ResistorOutputPower, &b.Text23},
                                                                              {&f.ResistorEfficiency, &b.Text16}};
        for (const auto& [figure, box] : pairs) {
            EXPECT_EQ(!figure->has_value(), box->text == "----") << c.what << ": " << box->text;
        }
        EXPECT_EQ(!f.InputPhaseAngle.has_value(), b.Text6.text == "FAULT") << c.what;
        const bool differenceShown = b.List1.lines.at(b.List1.lines.size() - 3).find("----") == std::string::npos;
        EXPECT_EQ(f.EfficiencyDifference.has_value(), differenceShown) << c.what;
        for (const auto* always :
             {&f.ApparentInputPower, &f.ReactiveInputPower, &f.ApparentOutputPower, &f.ReactiveOutputPower}) {
            EXPECT_TRUE(always->has_value()) << c.what;
        }
    }
}
