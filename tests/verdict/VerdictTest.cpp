#include "LimitSet.h"
#include "PassMarks.h"
#include "TestRig.h"
#include "VerdictLook.h"

#include <cmath>
#include <limits>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
using V = Verdict;

} // namespace

// The boundaries under both rules, for a lower limit of 85, an upper limit
// of 50 and a band from 1 to 50; U = 2, guard 1 (w = 2).
TEST(Verdicts, TheBoundariesOfBothRules) {
    const Bounds lower{85, {}}, upper{{}, 50}, band{1, 50};
    const struct {
        const char* what;
        Bounds bounds;
        std::optional<double> value, U;
        V simple, guarded;
    } cases[]{
        {"well inside", lower, 90, 2, V::Pass, V::Pass},
        {"at the acceptance limit (limit + w)j", lower, 87, 2, V::Pass, V::Pass},
        {"inside, within w", lower, 86, 2, V::Pass, V::ConditionalPass},
        {"at the limit", lower, 85, 2, V::Pass, V::ConditionalPass},
        {"outside, within w", lower, 84, 2, V::Fail, V::ConditionalFail},
        {"at the limit - w", lower, 83, 2, V::Fail, V::ConditionalFail},
        {"beyond limit - w", lower, 82.9, 2, V::Fail, V::Fail},
        {"upper: at the limit", upper, 50, 2, V::Pass, V::ConditionalPass},
        {"upper: at limit - w", upper, 48, 2, V::Pass, V::Pass},
        {"upper: just outside", upper, 50.5, 2, V::Fail, V::ConditionalFail},
        {"upper: beyond limit + w", upper, 52.5, 2, V::Fail, V::Fail},
        {"band: inside", band, 25, 2, V::Pass, V::Pass},
        {"band: near the lower end", band, 2, 2, V::Pass, V::ConditionalPass},
        {"band: below it", band, 0.5, 2, V::Fail, V::ConditionalFail},
        {"band narrower than 2w: inside is never a pass", Bounds{10, 12}, 11, 2, V::Pass, V::ConditionalPass},
        {"no U", lower, 90, std::nullopt, V::Pass, V::NoVerdict},
        {"U not a number", lower, 90, NaN, V::Pass, V::NoVerdict},
        {"infinite U", lower, 90, Inf, V::Pass, V::NoVerdict},
        {"no value", lower, std::nullopt, 2, V::NoVerdict, V::NoVerdict},
        {"value not a number", lower, NaN, 2, V::NoVerdict, V::NoVerdict},
        {"value +infinity above a lower limit", lower, Inf, 2, V::Pass, V::Pass},
        {"value +infinity below an upper limit", upper, Inf, 2, V::Fail, V::Fail},
        {"infinite limits are absent", Bounds{-Inf, Inf}, -1e300, 2, V::Pass, V::Pass},
        {"U of zero: the limit itself", lower, 85, 0, V::Pass, V::Pass},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(judge(c.value, c.U, c.bounds, Rule::Simple, 1.0), c.simple) << c.what << " (simple)j";
        EXPECT_EQ(judge(c.value, c.U, c.bounds, Rule::GuardBand, 1.0), c.guarded) << c.what << " (guard-band)j";
    }
    EXPECT_EQ(judge(86.5, 1, lower, Rule::GuardBand, 2.0), V::ConditionalPass) << "w = guard x U = 2";
}

// Over random values, U, limits and rules: never PASS outside a limit, never
// FAIL with every figure inside its acceptance limit; the pass the worst.
TEST(Verdicts, NoPassOutsideALimitAndNoFailInsideTheAcceptanceLimits) {
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> any(-100, 100), positive(0, 20);
    std::bernoulli_distribution coin;
    for (int n = 0; n < 20000; ++n) {
        const Rule rule = coin(random) ? Rule::Simple : Rule::GuardBand;
        const double guard = positive(random) / 10;
        bool outside = false, allAccepted = true;
        V worst = V::Pass;
        for (int f = 0; f < 3; ++f) {
            Bounds b;
            const double a = any(random), c = any(random);
            b.lower = coin(random) ? std::optional<double>(std::min(a, c)) : std::nullopt;
            b.upper = !b.lower || coin(random) ? std::optional<double>(std::max(a, c)) : std::nullopt;
            const double value = any(random), U = positive(random);
            const double w = rule == Rule::GuardBand ? guard * U : 0;
            outside = outside || (b.lower && value < *b.lower) || (b.upper && value > *b.upper);
            allAccepted = allAccepted && (!b.lower || value >= *b.lower + w) && (!b.upper || value <= *b.upper - w);
            worst = std::max(worst, judge(value, U, b, rule, guard));
        }
        if (outside) {
            ASSERT_GT(worst, V::NoVerdict) << "a figure outside its limit, yet " << verdictName(worst);
        }
        if (allAccepted) {
            ASSERT_EQ(worst, V::Pass) << "every figure inside its acceptance limit, yet " << verdictName(worst);
        }
    }
}

// A limit set that cannot be taken is one line naming the problem.
TEST(Verdicts, ALimitSetIsTakenWholeOrRefusedWithItsProblemNamed) {
    const std::string good = R"j({"name": "F-54X acceptance", "version": "3", "rule": "guard-band", "guard": 1.0,
        "limits": {"phase angle efficiency (%)": {"lower": 85}, "input power (W)": {"lower": 1, "upper": 50}}})j";
    const auto set = limitSetFromJson(good);
    ASSERT_TRUE(std::holds_alternative<LimitSet>(set)) << std::get<std::string>(set);
    const LimitSet& s = std::get<LimitSet>(set);
    EXPECT_EQ(s.title(), "F-54X acceptance, version 3");
    EXPECT_EQ(s.limits.size(), 2u);
    EXPECT_EQ(s.sha256.size(), 64u);
    const struct {
        std::string json;
        const char* says;
    } bad[]{
        {"{", "not JSON"},
        {R"j({"rule": "simple", "limits": {"efficiency": {"lower": 85}}})j", "unknown column \"efficiency\""},
        {R"j({"rule": "simple", "limits": {"input power (W)": {"lower": 50, "upper": 1}}})j",
         "lower 50 is above upper 1"},
        {R"j({"rule": "simple", "limits": {"input power (W)": {"lower": "1"}}})j", "lower is not a number"},
        {R"j({"limits": {"input power (W)": {"lower": 1}}})j", "missing rule"},
        {R"j({"rule": "strict", "limits": {"input power (W)": {"lower": 1}}})j", "unknown rule \"strict\""},
        {R"j({"rule": "guard-band", "guard": -1, "limits": {"input power (W)": {"lower": 1}}})j", "guard is negative"},
        {R"j({"rule": "simple", "limits": {"input power (W)": {}}})j", "has neither lower nor upper"},
        {R"j({"rule": "simple", "limits": {}})j", "no limits"},
    };
    for (const auto& b : bad) {
        const auto read = limitSetFromJson(b.json);
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << b.json;
        const std::string& why = std::get<std::string>(read);
        EXPECT_NE(why.find(b.says), std::string::npos) << why;
        EXPECT_EQ(why.find('\n'), std::string::npos) << "one line";
    }
    // Infinite bounds are absent; a pass stopped has no verdict.
    const auto open = limitSetFromJson(
        R"j({"rule": "simple", "limits": {"input power (W)": {"lower": "-inf", "upper": "Infinity"}}})j");
    ASSERT_TRUE(std::holds_alternative<LimitSet>(open));
    PassOutcome pass;
    pass.values[PassOutcome::InputPower] = 10;
    EXPECT_EQ(judgePass(pass, std::get<LimitSet>(open)).verdict, V::Pass);
    pass.ending = PassOutcome::Ending::Stopped;
    const PassVerdict stopped = judgePass(pass, s);
    EXPECT_EQ(stopped.verdict, V::NoVerdict);
    EXPECT_EQ(stopped.reason, "the pass was stopped");
}

// The main window: the VERDICT box in its colour with the reason, each
// limited figure's ± in its own verdict's colour, kept until the next pass
// starts.
TEST(Verdicts, TheMainWindowShowsTheLastVerdictUntilTheNextPassStarts) {
    TestRig b;
    b.walkToReady();
    Form1& f = *b.form;
    f.session.limits = std::get<LimitSet>(limitSetFromJson(R"j({"name": "bench", "version": "2", "rule": "simple",
        "limits": {"phase angle efficiency (%)": {"lower": 95}, "input voltage (V rms)": {"upper": 500}}})j"));
    f.showLimits();
    EXPECT_EQ(f.VerdictReason.caption, "bench, version 2");
    f.startCalculation();
    EXPECT_EQ(f.TextVerdict.text, "FAIL");
    EXPECT_EQ(f.TextVerdict.BackColor, lookOf(Verdict::Fail).back);
    EXPECT_EQ(f.VerdictReason.caption.rfind("phase angle efficiency (%) ", 0), 0u) << f.VerdictReason.caption;
    EXPECT_NE(f.VerdictReason.caption.find("is below the lower limit 95 (simple)"), std::string::npos);
    EXPECT_EQ(f.PlusMinus[PassOutcome::PhaseEfficiencyBox].BackColor, lookOf(Verdict::Fail).back);
    EXPECT_EQ(f.PlusMinus[PassOutcome::InputVoltageBox].BackColor, lookOf(Verdict::Pass).back);
    EXPECT_FALSE(f.PlusMinus[PassOutcome::OutputVoltageBox].BackColor.has_value()) << "not limited";
    f.stopCalculation(); // STOP after the pass: the verdict stays
    EXPECT_EQ(f.TextVerdict.text, "FAIL");

    for (LimitSet::Limit& limit : f.session.limits->limits) {
        if (limit.column == "phase angle efficiency (%)") {
            limit.bounds.lower = 50;
        }
    }
    bool cleared = false;
    b.pump.when([&] { return f.CalculationRunning && !cleared; }, [&] { cleared = f.TextVerdict.text.empty(); });
    ASSERT_TRUE(f.Text12.is(CalculatorStatus::Ready)) << f.Text12.text;
    f.startCalculation();
    EXPECT_TRUE(cleared) << "emptied while the next pass runs";
    EXPECT_EQ(f.TextVerdict.text, "PASS");
    EXPECT_EQ(f.TextVerdict.BackColor, Colours::Green);
}

// The calibrated efficiencies may be limited: judged on the calibration's U;
// no verdict where no calibration applies or it does not fit the bench (the
// uncalibrated figure does not stand in); "decides" names the limits that
// make the pass's verdict.
TEST(Verdicts, CalibratedFiguresAreJudgedOnlyWhereTheCalibrationFits) {
    const auto set = [](const std::string& limits, const std::string& decides = "") {
        const auto read = limitSetFromJson(R"j({"name": "cal", "rule": "guard-band", "limits": {)j" + limits + "}" +
                                           (decides.empty() ? "" : ", \"decides\": " + decides) + "}");
        EXPECT_TRUE(std::holds_alternative<LimitSet>(read))
            << (std::holds_alternative<std::string>(read) ? std::get<std::string>(read) : "");
        return std::holds_alternative<LimitSet>(read) ? std::get<LimitSet>(read) : LimitSet{};
    };
    PassOutcome pass;
    pass.figures.PhaseEfficiency = 82.31;
    pass.uncertainty[Quantity::PhaseEfficiency] = {Expanded::State::Number, 8.3};
    pass.calibrated.calibration = "2026-12-09 CH3 x1.0000 CH4 x1.0510 phase +1.00 deg";
    pass.calibrated.applied = true;
    pass.calibrated.phaseEfficiency = 88.60;
    pass.calibrated.uPhaseEfficiency = {Expanded::State::Number, 0.94};
    const std::string both = R"j("phase angle efficiency (%)": {"lower": 80},
        "calibrated phase angle efficiency (%)": {"lower": 80})j";
    const struct {
        const char* what;
        std::string misfit, calibration;
        bool applied;
        std::string decides;
        Verdict pass, calibratedFigure;
        const char* reason; // the pass's reason begins so
    } cases[]{
        {"fits, both decide", "", pass.calibrated.calibration, true, "", V::ConditionalPass, V::Pass,
         "phase angle efficiency (%) 82.31 \u00b1 8.3 is above the lower limit 80 (guard-band, w = 8.3)"},
        {"fits, the calibrated decides", "", pass.calibrated.calibration, true,
         R"j("calibrated phase angle efficiency (%)")j", V::Pass, V::Pass, "every limited figure inside"},
        {"does not fit", "calibration does not fit this bench: its estimates differ by 4.62 % (U 1.31 %)",
         pass.calibrated.calibration, true, R"j(["calibrated phase angle efficiency (%)"])j", V::NoVerdict,
         V::NoVerdict,
         "calibrated phase angle efficiency (%) has no verdict: calibration does not fit this bench: its estimates "
         "differ by 4.62 % (U 1.31 %)"},
        {"none applies", "", "uncalibrated: calibrated on another bench (simulated bench, errors seed 7)", false,
         R"j("calibrated phase angle efficiency (%)")j", V::NoVerdict, V::NoVerdict,
         "calibrated phase angle efficiency (%) has no verdict: uncalibrated: calibrated on another bench"},
        {"none held", "", "", false, R"j("calibrated phase angle efficiency (%)")j", V::NoVerdict, V::NoVerdict,
         "calibrated phase angle efficiency (%) has no verdict: no channel calibration is held"},
    };
    for (const auto& c : cases) {
        PassOutcome p = pass;
        p.calibrated.misfit = c.misfit;
        p.calibrated.calibration = c.calibration;
        p.calibrated.applied = c.applied;
        const PassVerdict v = judgePass(p, set(both, c.decides));
        EXPECT_EQ(v.verdict, c.pass) << c.what << ": " << v.reason;
        EXPECT_EQ(v.reason.rfind(c.reason, 0), 0u) << c.what << ": " << v.reason;
        const auto figure = std::find_if(v.figures.begin(), v.figures.end(), [](const PassVerdict::Figure& f) {
            return f.column == "calibrated phase angle efficiency (%)";
        });
        ASSERT_NE(figure, v.figures.end());
        EXPECT_EQ(figure->verdict, c.calibratedFigure) << c.what;
    }
    const auto wrong = limitSetFromJson(R"j({"rule": "simple", "limits": {"input power (W)": {"lower": 1}},
        "decides": "output power (W)"})j");
    ASSERT_TRUE(std::holds_alternative<std::string>(wrong));
    EXPECT_EQ(std::get<std::string>(wrong),
              "limit set: decides names \"output power (W)\", which is not one of the set's limits");
}

// Every ± and mark reads on every background it can have: each verdict's
// colour with the ± marked (a low power factor, a clipped channel, an
// unusable figure) or not, no verdict at all, the verdict box itself, and a
// calibration that does not fit. WCAG's contrast of at least 4.5 : 1.
TEST(Verdicts, EveryMarkReadsOnEveryBackgroundItCanHave) {
    const auto readable = [](const std::optional<Colour>& fore, const std::optional<Colour>& back) {
        return contrastRatio(fore.value_or(Colours::Black), back.value_or(WindowBackground));
    };
    const std::optional<Verdict> verdicts[]{std::nullopt,       V::Pass, V::ConditionalPass, V::NoVerdict,
                                            V::ConditionalFail, V::Fail};
    const Expanded::State states[]{Expanded::State::Number, Expanded::State::Unusable, Expanded::State::Clipped};
    int checked = 0;
    for (const auto& verdict : verdicts) {
        for (const Expanded::State state : states) {
            for (const bool lowPowerFactor : {false, true}) {
                MainPanel panel;
                PassOutcome pass;
                pass.uncertainty[Quantity::PhaseEfficiency] = {state, 8.9};
                pass.uncertainty.outputLowPowerFactor = lowPowerFactor;
                pass.uncertainty.warnings = "low output power factor";
                pass.calibrated.calibration = "2026-12-09 CH3 x1.0000";
                pass.calibrated.applied = true;
                pass.calibrated.phaseEfficiency = 88.6;
                pass.calibrated.resistorEfficiency = 88.5;
                pass.calibrated.uPhaseEfficiency = {Expanded::State::Number, 0.9};
                pass.calibrated.uResistorEfficiency = {Expanded::State::Number, 5};
                pass.calibrated.misfit = lowPowerFactor ? "calibration does not fit this bench: x" : "";
                if (verdict) {
                    pass.verdict =
                        PassVerdict{*verdict, "why", "set", "", {{"phase angle efficiency (%)", *verdict, "why"}}};
                }
                showPassMarks(panel, pass);
                const Label& mark = panel.PlusMinus[PassOutcome::PhaseEfficiencyBox];
                ASSERT_FALSE(mark.caption.empty());
                EXPECT_GE(readable(mark.ForeColor, mark.BackColor), 4.5)
                    << mark.caption << " on " << (verdict ? verdictName(*verdict) : "the window");
                EXPECT_GE(readable(panel.CalibratedPhase.ForeColor, panel.CalibratedPhase.BackColor), 4.5)
                    << panel.CalibratedPhase.caption;
                if (verdict) {
                    EXPECT_GE(contrastRatio(panel.TextVerdict.ForeColor, panel.TextVerdict.BackColor), 4.5)
                        << verdictName(*verdict);
                }
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 36);
    // CONDITIONAL PASS and CONDITIONAL FAIL each have a colour of their own.
    EXPECT_NE(lookOf(V::ConditionalPass).back, lookOf(V::ConditionalFail).back);
    EXPECT_NE(lookOf(V::ConditionalFail).back, lookOf(V::Fail).back);
}

// A limit set's whole domain as the README gives it: edges accepted or
// refused, and each verdict's reason word for word against the figure, value,
// U, limit, rule and w judged, ties included.
TEST(Verdicts, TheDomainsEdgesAndTheReasonsWordForWord) {
    const auto set = [](const std::string& rule, const std::string& limits) {
        return limitSetFromJson(R"j({"name": "edges", "version": "1", )j" + rule + R"j(, "limits": {)j" + limits +
                                "}}");
    };
    const std::string guard = R"j("rule": "guard-band")j";
    const std::string simple = R"j("rule": "simple")j";
    // Accepted: equal bounds, one bound, an infinite or null other, a guard of 0 or large.
    for (const auto& [rule, limits] : std::initializer_list<std::pair<std::string, std::string>>{
             {simple, R"j("input power (W)": {"lower": 5, "upper": 5})j"},
             {simple, R"j("input power (W)": {"upper": 5})j"},
             {simple, R"j("input power (W)": {"lower": 5, "upper": "inf"})j"},
             {simple, R"j("input power (W)": {"lower": null, "upper": 5})j"},
             {guard + R"j(, "guard": 0)j", R"j("input power (W)": {"lower": 5})j"},
             {guard + R"j(, "guard": 1e6)j", R"j("input power (W)": {"lower": 5})j"},
         }) {
        const auto read = set(rule, limits);
        EXPECT_TRUE(std::holds_alternative<LimitSet>(read)) << limits << ": " << std::get<std::string>(read);
    }
    for (const auto& [rule, limits, says] : std::initializer_list<std::tuple<std::string, std::string, std::string>>{
             {guard + R"j(, "guard": "wide")j", R"j("input power (W)": {"lower": 5})j", "guard is not a number"},
             {guard + R"j(, "guard": -0.5)j", R"j("input power (W)": {"lower": 5})j", "guard is negative (-0.5)"},
             {simple, R"j("input power (W)": {"lower": 5.000001, "upper": 5})j", "lower 5 is above upper 5"},
         }) {
        const auto read = set(rule, limits);
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << limits;
        EXPECT_NE(std::get<std::string>(read).find(says), std::string::npos) << std::get<std::string>(read);
    }

    // One pass, its input and output power with known U.
    PassOutcome pass;
    pass.values[PassOutcome::InputPower] = 10;
    pass.values[PassOutcome::OutputPower] = 8;
    const auto withU = [&pass](Quantity q, std::optional<double> U) {
        pass.uncertainty[q] = U ? Expanded{Expanded::State::Number, *U} : Expanded{};
    };
    const struct {
        std::string rule, limits;
        std::optional<double> uIn, uOut;
        Verdict verdict;
        std::string reason;
    } cases[]{
        {simple, R"j("input power (W)": {"lower": 10, "upper": 10})j", 1, 1, V::Pass,
         "every limited figure inside its limit"},
        {guard, R"j("input power (W)": {"lower": 10})j", 0, 0, V::Pass,
         "every limited figure inside its acceptance limit"},
        {guard + R"j(, "guard": 0)j", R"j("input power (W)": {"lower": 10.5})j", 1, 1, V::Fail,
         "input power (W) 10 \u00b1 1 is below the lower limit 10.5 (guard-band, w = 0)"},
        {guard + R"j(, "guard": 2)j", R"j("input power (W)": {"lower": 11})j", 1, 1, V::ConditionalFail,
         "input power (W) 10 \u00b1 1 is below the lower limit 11 (guard-band, w = 2)"},
        {guard, R"j("input power (W)": {"upper": 10.5})j", 1, 1, V::ConditionalPass,
         "input power (W) 10 \u00b1 1 is below the upper limit 10.5 (guard-band, w = 1)"},
        {guard, R"j("input power (W)": {"lower": 5})j", std::nullopt, 1, V::NoVerdict,
         "input power (W) 10 has no U (the guard-band rule needs one)"},
        {simple, R"j("input power (W)": {"lower": 11})j", std::nullopt, 1, V::Fail,
         "input power (W) 10 is below the lower limit 11 (simple)"},
        // A tie: both FAIL; the first in the set's order (by title) is named.
        {simple, R"j("output power (W)": {"lower": 9}, "input power (W)": {"lower": 11})j", 1, 1, V::Fail,
         "input power (W) 10 \u00b1 1 is below the lower limit 11 (simple)"},
        // Not a tie: the worse verdict is named whatever its place.
        {guard, R"j("input power (W)": {"lower": 9.5}, "output power (W)": {"lower": 20})j", 1, 1, V::Fail,
         "output power (W) 8 \u00b1 1 is below the lower limit 20 (guard-band, w = 1)"},
    };
    for (const auto& c : cases) {
        const auto read = set(c.rule, c.limits);
        ASSERT_TRUE(std::holds_alternative<LimitSet>(read)) << c.limits << ": " << std::get<std::string>(read);
        withU(Quantity::InputPower, c.uIn);
        withU(Quantity::OutputPower, c.uOut);
        const PassVerdict v = judgePass(pass, std::get<LimitSet>(read));
        EXPECT_EQ(v.verdict, c.verdict) << c.limits << ": " << v.reason;
        EXPECT_EQ(v.reason, c.reason) << c.limits;
    }
}
