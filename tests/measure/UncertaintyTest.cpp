#include "Uncertainty.h"
#include "Calibration.h"
#include "FigureMath.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

namespace {

constexpr double Pi = 3.14159265358979323846;

// A pass's values and figures as the calculator computes them from the
// channels' readings: V, I and P of each side.
struct Reading {
    Measurements m;
    Figures f;
};
Reading readingOf(double vin, double iin, double pin, double vout, double iout, double pout, double ohms) {
    Reading r;
    r.m.InputVoltage = vin;
    r.m.InputCurrent = iin;
    r.m.InputPower = pin;
    r.m.OutputVoltage = vout;
    r.m.OutputCurrent = iout;
    r.m.OutputPower = pout;
    r.f.ApparentInputPower = vin * iin;
    r.f.ApparentOutputPower = vout * iout;
    r.f.InputPhaseAngle = std::acos(pin / (vin * iin)) * 180 / Pi;
    r.f.OutputPhaseAngle = std::acos(pout / (vout * iout)) * 180 / Pi;
    r.f.PhaseEfficiency = pout / pin * 100;
    r.f.ResistorOutputPower = vout * vout / ohms;
    r.f.ResistorEfficiency = *r.f.ResistorOutputPower / pin * 100;
    r.f.EfficiencyDifference = efficiencyDifference(r.f.PhaseEfficiency, r.f.ResistorEfficiency);
    return r;
}

} // namespace

// Published figures: the real power's error from a phase error, as the
// power-analyser and calibrator manuals state it.
TEST(Uncertainty, APhaseErrorMovesTheRealPowerAsTheManualsSay) {
    const struct {
        double pf, degrees, percent, within;
    } cases[]{{0.9, 1, 0.85, 0.005},
              {0.5, 1, 3.02, 0.005},
              {0.1, 1, 17.4, 0.05},
              {0.5, 0.05, 0.151, 0.0005},
              {0.25, 0.05, 0.338, 0.0005}};
    for (const auto& c : cases) {
        EXPECT_NEAR(phasePowerError(c.pf, c.degrees) * 100, c.percent, c.within) << "PF " << c.pf;
        // The exact form agrees to first order; at PF 0.1 both say 17.4 %.
        EXPECT_NEAR(std::fabs(phasePowerErrorExact(c.pf, c.degrees)) * 100, c.percent, c.percent * 0.02) << c.pf;
    }
}

// The linear U of the efficiency against 100,000 draws of the declared
// errors (each channel's gain and probe, each current probe's lag) on a
// bench whose truth is known.
TEST(Uncertainty, TheLinearUOfTheEfficiencyAgreesWithMonteCarlo) {
    const Accuracy a; // the defaults
    for (const double pfIn : {0.2, 0.5, 0.95}) {
        const double vin = 120, iin = 0.5, vout = 24, iout = 2.2, pfOut = 0.97, ohms = 11;
        const Reading truth = readingOf(vin, iin, vin * iin * pfIn, vout, iout, vout * iout * pfOut, ohms);
        const double eta = *truth.f.PhaseEfficiency;
        const PassUncertainty u = uncertaintyOf(truth.m, truth.f, a, {});
        ASSERT_EQ(u[Quantity::PhaseEfficiency].state, Expanded::State::Number) << pfIn;

        std::mt19937 random(7);
        const auto within = [&random](double halfWidth) {
            return std::uniform_real_distribution<double>(-halfWidth, halfWidth)(random);
        };
        const auto power = [&](double v, double i, double pf) {
            const double gains = (1 + within(a.gainPercent / 100)) * (1 + within(a.voltageProbePercent / 100)) *
                                 (1 + within(a.gainPercent / 100)) * (1 + within(a.currentProbePercent / 100));
            return gains * v * i * std::cos(std::acos(pf) + within(a.phaseLagDegrees) * Pi / 180);
        };
        double sum = 0, squares = 0;
        const int draws = 100000;
        for (int n = 0; n < draws; ++n) {
            const double measured = power(vout, iout, pfOut) / power(vin, iin, pfIn) * 100;
            sum += measured - eta;
            squares += (measured - eta) * (measured - eta);
        }
        const double mean = sum / draws;
        const double monteCarloU = a.coverage * std::sqrt(squares / draws - mean * mean);
        EXPECT_NEAR(u[Quantity::PhaseEfficiency].U, monteCarloU, 0.10 * monteCarloU)
            << "input PF " << pfIn << ": linear " << u[Quantity::PhaseEfficiency].U << ", Monte Carlo " << monteCarloU;
    }
}

// The marks: a low power factor names its terms, a phase term above 10 %
// leaves the phase-dependent figures unusable (not numbers), a peak beyond
// the screen leaves the channel's figures clipped, without a U.
TEST(Uncertainty, LowPowerFactorAndClippingAreMarkedNotNumbered) {
    const Accuracy a;
    const struct {
        const char* what;
        double pfIn;
        double ch1Scale; // units a division
        Expanded::State inputPower, phaseEfficiency, inputVoltage, outputVoltage;
        const char* warning; // part of the warnings, "" for none
    } cases[]{
        {"good", 0.95, 50, Expanded::State::Number, Expanded::State::Number, Expanded::State::Number,
         Expanded::State::Number, ""},
        {"PF 0.25: the phase term leads", 0.25, 50, Expanded::State::Number, Expanded::State::Number,
         Expanded::State::Number, Expanded::State::Number, "low input power factor: phase term"},
        {"PF 0.05: unusable", 0.05, 50, Expanded::State::Unusable, Expanded::State::Unusable, Expanded::State::Number,
         Expanded::State::Number, "(phase-dependent figures unusable)"},
        {"CH1 peak 170 V on 40 V a division", 0.95, 40, Expanded::State::Clipped, Expanded::State::Clipped,
         Expanded::State::Clipped, Expanded::State::Number, "CH1 clipped"},
    };
    for (const auto& c : cases) {
        const Reading r = readingOf(120, 0.5, 60 * c.pfIn, 24, 2.2, 24 * 2.2 * 0.97, 11);
        ChannelScales scales;
        scales.scale = {c.ch1Scale, 0.2, 10, 1};
        const PassUncertainty u = uncertaintyOf(r.m, r.f, a, scales);
        EXPECT_EQ(u[Quantity::InputPower].state, c.inputPower) << c.what;
        EXPECT_EQ(u[Quantity::PhaseEfficiency].state, c.phaseEfficiency) << c.what;
        EXPECT_EQ(u[Quantity::InputVoltage].state, c.inputVoltage) << c.what;
        EXPECT_EQ(u[Quantity::OutputVoltage].state, c.outputVoltage) << c.what;
        if (*c.warning == '\0') {
            EXPECT_EQ(u.warnings, "") << c.what;
        } else {
            EXPECT_NE(u.warnings.find(c.warning), std::string::npos) << c.what << ": " << u.warnings;
        }
    }
    // The angle's U is the lag alone (k x 1 / sqrt 3 degrees), whatever the gains.
    const Reading r = readingOf(120, 0.5, 57, 24, 2.2, 51, 11);
    EXPECT_NEAR(uncertaintyOf(r.m, r.f, a, {})[Quantity::InputPhaseAngle].U, 2 / std::sqrt(3.0), 1e-12);
    const struct {
        double U;
        const char* text;
    } texts[]{{1.1547, "\u00b11.2"}, {8.96, "\u00b19.0"}, {0.0712, "\u00b10.071"},
              {12.3, "\u00b112"},    {99.7, "\u00b1100"}, {1234.5, "\u00b11234"}};
    for (const auto& t : texts) {
        EXPECT_EQ(uncertaintyText({Expanded::State::Number, t.U}), t.text);
    }
    EXPECT_EQ(uncertaintyText({Expanded::State::Unusable, 0}), "unusable");
    EXPECT_EQ(uncertaintyText({}), "");
}

// The README's worked example, from a row of the simulated bench (CH1 and CH3
// at 5 V a division, CH2 and CH4 at 2 A), worked by hand there: 8.98 points.
TEST(Uncertainty, TheWorkedExampleOfTheReadme) {
    const Reading r = readingOf(9.9997, 1.1043, 9.8945, 9.0863, 0.9671, 8.785, 9.4);
    ChannelScales scales;
    scales.scale = {5.0, 2.0, 5.0, 2.0};
    const PassUncertainty u = uncertaintyOf(r.m, r.f, Accuracy{}, scales);
    EXPECT_NEAR(u[Quantity::PhaseEfficiency].U, 8.98, 0.005);
    EXPECT_NEAR(u[Quantity::InputPower].U / 9.8945, 2 * 0.03595, 0.0001);
}

// Whether a kept calibration applies to a pass: the same adapter, the same
// ranges and within its days; kept and read back whole, a damaged text none.
TEST(Uncertainty, ACalibrationAppliesOnlyToItsAdapterRangesAndDays) {
    ChannelCalibration c;
    c.adapter = "A1B2";
    c.date = QDate(2026, 12, 1);
    c.ranges = {"10.00", "5.00", "10.00", "5.00"};
    c.currentRatio = 1.051;
    c.phaseDegrees = -0.98;
    c.uPhaseDegrees = 0.02;
    PassOutcome pass;
    pass.instrument.adapter = "A1B2";
    for (std::size_t ch = 0; ch < 4; ++ch) {
        pass.scopeSetUp.channels[ch].scale = c.ranges[ch];
    }
    const struct {
        const char* adapter;
        const char* ch3;
        QDate today;
        const char* why;
    } cases[]{{"A1B2", "10.00", QDate(2026, 12, 31), ""},
              {"A1B2", "10.00", QDate(2027, 1, 1), "calibrated 2026-12-01, 31 days ago (good for 30)"},
              {"A1B2", "10.00", QDate(2026, 11, 30), "calibrated 2026-12-01, after today"},
              {"A1B2", "2.00", QDate(2026, 12, 2), "CH3 on 2.00, calibrated on 10.00"},
              {"C3D4", "10.00", QDate(2026, 12, 2), "calibrated on adapter A1B2"}};
    for (const auto& t : cases) {
        pass.instrument.adapter = t.adapter;
        pass.scopeSetUp.channels[2].scale = t.ch3;
        EXPECT_EQ(whyUncalibrated(c, pass, 30, t.today), t.why) << t.adapter << " " << t.ch3;
    }
    const auto back = ChannelCalibration::fromText(c.text());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->text(), c.text());
    for (const std::string bad : {"", "{}", "not json", R"({"adapter":"A1B2","date":"2026-12-01"})"}) {
        EXPECT_FALSE(ChannelCalibration::fromText(bad).has_value()) << bad;
    }
    std::string negative = c.text();
    negative.replace(negative.find("\"current ratio\":1.051"), 21, "\"current ratio\":-1.051");
    EXPECT_FALSE(ChannelCalibration::fromText(negative).has_value());
}

// The two estimates agree within the U of their ratio on either side of 1:
// the resistor estimate too high or too low by more than U disagrees alike.
TEST(Uncertainty, TheEstimatesAgreeOnBothSidesOfTheirRatio) {
    ChannelScales scales;
    scales.scale = {5.0, 2.0, 5.0, 2.0};
    const struct {
        double ohms;
        bool agree;
    } cases[]{{9.4, true}, {9.4 * 1.10, false}, {9.4 / 1.10, false}, {9.4 * 1.005, true}, {9.4 / 1.005, true}};
    for (const auto& c : cases) {
        const Reading r = readingOf(9.9997, 1.1043, 9.8945, 9.0863, 0.9671, 8.785, c.ohms);
        const PassUncertainty u = uncertaintyOf(r.m, r.f, Accuracy{}, scales);
        ASSERT_TRUE(u.estimateRatio && u.estimatesAgree) << c.ohms;
        // The ratio's U here (k = 2): some 6 %; 10 % apart is beyond it, 0.5 % within.
        EXPECT_GT(*u.estimateRatio, 0.02);
        EXPECT_LT(*u.estimateRatio, 0.10);
        EXPECT_EQ(*u.estimatesAgree, c.agree) << "R " << c.ohms << ", ratio U " << *u.estimateRatio;
    }
}
