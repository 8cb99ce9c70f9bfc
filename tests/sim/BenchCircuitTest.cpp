#include "NumberText.h"
#include "ScopeExchange.h"
#include "TestRig.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// The scope's answer to a value query, as a number.
double valueOf(SimScope& scope, const std::string& query) {
    const auto answer = scope.execute(query);
    EXPECT_TRUE(answer.has_value()) << query;
    const std::string text = answer.value_or("");
    // With headers on, the value follows the 25-character header.
    const auto value = first(text) == ':' ? AnswerValue(text, firstPosition(text, '\r'))
                                          : parseNumber(text.substr(0, text.find('\r')));
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(0);
}

SimScope scopeOn(const SimBench& rig) {
    SimScope scope;
    scope.attach(rig);
    return scope;
}

double spread(SimScope& scope, const char* query, int count) {
    double sum = 0, sum2 = 0;
    for (int i = 0; i < count; ++i) {
        const double v = valueOf(scope, query);
        sum += v;
        sum2 += v * v;
    }
    const double m = sum / count;
    return std::sqrt(std::max(0.0, sum2 / count - m * m));
}

} // namespace

TEST(Circuit, EfficiencyIsBelowOneAndFallsAsLossesRise) {
    for (const TransformerModel& t : {TransformerModel::splitFlux(), TransformerModel::standard()}) {
        const double volts = t.turnsRatio > 2 ? 120.0 : 10.0;
        const CircuitSolution s = solve(t, {volts, 60, 9.4, 0});
        EXPECT_GT(s.efficiency(), 0.5) << t.name;
        EXPECT_LT(s.efficiency(), 1.0) << t.name;
        // The power balance: what goes in is what comes out plus the losses.
        const double copper = std::norm(s.inputCurrent) * t.primaryR + std::norm(s.outputCurrent) * t.secondaryR;
        EXPECT_GT(s.inputPower, s.outputPower + copper * 0.99) << t.name;
        TransformerModel lossy = t;
        lossy.primaryR *= 3;
        lossy.coreLossR /= 3;
        EXPECT_LT(solve(lossy, {volts, 60, 9.4, 0}).efficiency(), s.efficiency()) << t.name;
    }
}

TEST(Circuit, TheScopeMeasuresTheCircuitWithinItsNoise) {
    SimBench rig;
    SimScope scope = scopeOn(rig);
    const CircuitSolution s = solve(rig.transformer, rig.conditions);
    EXPECT_NEAR(valueOf(scope, "MEASU:MEAS1:VALUE?"), std::abs(s.inputVoltage), 0.01 * 10);
    EXPECT_NEAR(valueOf(scope, "MEASU:MEAS2:VALUE?"), std::abs(s.inputCurrent), 0.02);
    EXPECT_NEAR(valueOf(scope, "MEASU:MEAS4:VALUE?"), std::abs(s.outputVoltage), 0.1);
    EXPECT_NEAR(valueOf(scope, "MEASU:MEAS5:VALUE?"), std::abs(s.outputCurrent), 0.02);
    EXPECT_NEAR(valueOf(scope, "MEASU:MEAS3:VALUE?"), s.inputPower, 0.02 * s.inputPower);
    scope.execute("MATH:DEFINE \"CH3 * CH4\"");
    EXPECT_NEAR(valueOf(scope, "MEASU:MEAS3:VALUE?"), s.outputPower, 0.02 * s.outputPower);
    EXPECT_EQ(valueOf(scope, "MEASU:IMMED:VALUE?"), 60.0);
}

TEST(Circuit, AWrongProbeFactorScalesTheReadingByTheRatio) {
    SimBench rig;
    SimScope scope = scopeOn(rig);
    const double right = valueOf(scope, "MEASU:MEAS1:VALUE?");
    scope.execute("CH1:PROBE 10X"); // 20X is attached
    EXPECT_NEAR(valueOf(scope, "MEASU:MEAS1:VALUE?"), right / 2, 0.01 * right);
    scope.execute("CH4:CURRENTPROBE 100");
    const CircuitSolution s = solve(rig.transformer, rig.conditions);
    EXPECT_NEAR(valueOf(scope, "MEASU:MEAS5:VALUE?"), 10 * std::abs(s.outputCurrent),
                0.05 * std::abs(s.outputCurrent) * 10);
}

TEST(Circuit, MoreAveragingGivesASmallerSpread) {
    SimBench rig;
    rig.noiseDivisions = 0.2;
    SimScope scope = scopeOn(rig);
    scope.execute("ACQ:NUMAVG 1");
    const double single = spread(scope, "MEASU:MEAS3:VALUE?", 60);
    scope.execute("ACQ:NUMAVG 128");
    const double averaged = spread(scope, "MEASU:MEAS3:VALUE?", 60);
    EXPECT_GT(single, 3 * averaged) << single << " vs " << averaged;
}

TEST(Circuit, ATraceOffScreenIsAnInvalidMeasurementShownAsOverflow) {
    TestRig b;
    b.scope.attach(SimBench{});
    b.walkToReady();
    b.scope.execute("CH2:SCALE 0.01"); // about 1 A on 10 mA/div leaves the digitiser's range
    EXPECT_EQ(valueOf(b.scope, "MEASU:MEAS2:VALUE?"), SimScope::InvalidMeasurement);
    b.form->startCalculation();
    EXPECT_EQ(b.form->Text5.text, "OVERFLOW");
    EXPECT_EQ(last(b.form->List1.lines), "READY");
}

TEST(Circuit, ThePassShowsTheCircuitsEfficiencyBothWays) {
    TestRig b;
    SimBench rig;
    rig.noiseDivisions = 0.005;
    b.scope.attach(rig);
    b.walkToReady("9.4", "10.0", "100");
    b.form->startCalculation();
    const CircuitSolution s = solve(rig.transformer, rig.conditions);
    const double truth = 100 * s.efficiency();
    EXPECT_NEAR(b.form->figures.PhaseEfficiency.value(), truth, 0.01 * truth);
    EXPECT_NEAR(b.form->figures.ResistorEfficiency.value(), truth, 0.01 * truth)
        << "the operator picked the bench's resistor";
    EXPECT_LT(b.form->figures.PhaseEfficiency.value(), 100);
}

TEST(Circuit, EveryPresetOnEveryBandEndsWithEveryTraceOnScreen) {
    struct Case {
        TransformerModel transformer;
        std::string supply;
        void (ScopeSettings::*preset)();
    };
    const std::vector<Case> cases{
        {TransformerModel::splitFlux(), "11.0", &ScopeSettings::splitFluxPreset},
        {TransformerModel::splitFlux(), "10.0", &ScopeSettings::splitFluxPreset},
        {TransformerModel::splitFlux(), "5.0", &ScopeSettings::splitFluxPreset},
        {TransformerModel::splitFlux(), "2.0", &ScopeSettings::splitFluxPreset},
        {TransformerModel::standard(), "130.0", &ScopeSettings::standardPreset},
        {TransformerModel::standard(), "40.0", &ScopeSettings::standardPreset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transformer.name + " at " + c.supply);
        TestRig b;
        SimBench rig;
        rig.transformer = c.transformer;
        rig.conditions.supplyVolts = *parseNumber(c.supply);
        b.scope.attach(rig);
        Form1& f = *b.form;
        ScopeSettings& s = f.Settings;
        b.startAndReadSettings();
        b.pick(f.Combo1, "9.4", &Form1::loadResistorPicked);
        if (kindNamed(s.Text70.text) != kindNamed(c.transformer.name)) {
            b.pick(f.Combo2, f.Combo2.items[1], &Form1::supplyVoltagePicked);
            f.Text12.set(CalculatorStatus::Wait);
            (s.*c.preset)(); // switches to this transformer's supply list
        }
        b.pick(f.Combo2, c.supply, &Form1::supplyVoltagePicked);
        for (int press = 0; press < 3 && f.Text12.text == "WAIT"; ++press) {
            (s.*c.preset)();
        }
        const auto gains = recommendedGains(kindNamed(c.transformer.name), rig.conditions.supplyVolts);
        for (int row = 0; row < 5; ++row) {
            EXPECT_EQ(s.gainBox(row).text, (*gains)[static_cast<std::size_t>(row)]);
        }
        b.pick(f.Combo4, "10", &Form1::loadCapacitorPicked);
        ASSERT_EQ(f.Text12.text, "READY");
        f.startCalculation();
        for (const TextBox* box : {&f.Text4, &f.Text5, &f.Text7, &f.Text8, &f.Text9, &f.Text10, &f.Text11, &f.Text16}) {
            EXPECT_NE(box->text, "OVERFLOW");
            EXPECT_NE(box->text, "----");
            EXPECT_NE(box->text, "0.0000");
        }
    }
}
