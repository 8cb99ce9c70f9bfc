#include "UnitTestRun.h"
#include "MeasuringSession.h"
#include "NumberText.h"
#include "TestRig.h"
#include "UnitTestReport.h"
#include "UnitYield.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

// A unit's test on the simulated bench through the session: lots of seeded
// units whose true verdicts the circuit knows, stops, retests, and the plans
// and serials that must be refused.

namespace {

struct Anybody final : PlanOperator {
    int stopAtStep = -1; // the prompt of this step (0-based) is answered STOP
    int prompts = 0;
    bool ready(const std::string&) override { return prompts++ != stopAtStep; }
};

// A session on a simulated bench carrying one unit, its settings read.
struct SimUnit : SimSession {
    explicit SimUnit(const SimBench& bench) : SimSession(bench) {
        session.benchTruth = [this] {
            const auto& t = desk.scope.measuredTruth;
            return t ? std::optional<PassOutcome::Truth>({t->inputPower, t->outputPower}) : std::nullopt;
        };
    }
    void wire(UnitTestRun& run) {
        run.benchTo = [this](const UnitTestPlan::Step& s) {
            desk.scope.bench->conditions.supplyVolts = parseNumber(s.supply).value_or(0);
            desk.scope.bench->conditions.loadOhms = parseNumber(s.load);
            desk.scope.bench->conditions.loadMicrofarads = parseNumber(s.capacitor).value_or(0);
        };
    }
    Anybody op;
};

// Three steps of the split-flux transformer at 10 V, each judged on its
// efficiency under the guard-band rule.
const char* const LotPlan = R"j({"name": "lot test", "version": "1", "transformer": "SPLIT-FLUX TRANSFORMER #1",
  "preset": "SPLIT-FLUX TRANSFORMER #1", "steps": [
  {"name": "light load", "supply": "10.0", "load": "48.0", "capacitor": "10", "passes": 1, "prompt": "48 ohms",
   "limits": {"name": "light", "version": "1", "rule": "guard-band", "guard": 1,
              "limits": {"phase angle efficiency (%)": {"lower": 78.0}}}},
  {"name": "half load", "supply": "10.0", "load": "23.1", "capacitor": "10", "passes": 1, "prompt": "23.1 ohms",
   "limits": {"name": "half", "version": "1", "rule": "guard-band", "guard": 1,
              "limits": {"phase angle efficiency (%)": {"lower": 86.0}}}},
  {"name": "full load", "supply": "10.0", "load": "9.4", "capacitor": "10", "passes": 1, "prompt": "9.4 ohms",
   "limits": {"name": "full", "version": "1", "rule": "guard-band", "guard": 1,
              "limits": {"phase angle efficiency (%)": {"lower": 87.5}, "output power (W)": {"lower": 7.0}}}}]})j";

UnitTestPlan lotPlan() {
    return std::get<UnitTestPlan>(unitTestPlanFromJson(LotPlan, "."));
}

// A bench declared tighter than the defaults, so that the lot's verdicts
// spread over PASS, CONDITIONAL and FAIL.
Accuracy tightAccuracy() {
    Accuracy a;
    a.gainPercent = 1.0;
    a.voltageProbePercent = 0.5;
    a.currentProbePercent = 1.0;
    a.phaseLagDegrees = 0.3;
    a.offsetDivisions = 0.02;
    return a;
}

struct Tested {
    UnitTestResult result;
    UnitTestRun::Ended ended;
    std::vector<double> trueEfficiencies; // per pass, from the circuit's powers
};

Tested testUnit(unsigned seed, bool noisy, const SimBench::Errors& errors = {}, const std::string& folder = {},
                int stopAtStep = -1) {
    SimBench bench;
    bench.transformer = unitOf(TransformerModel::splitFlux(), seed);
    bench.noiseDivisions = noisy ? bench.noiseDivisions : 0;
    bench.seed = seed;
    bench.errors = errors;
    SimUnit sim(bench);
    sim.session.accuracy = tightAccuracy();
    sim.op.stopAtStep = stopAtStep;
    UnitTestRun run(sim.session, lotPlan(), sim.op, {"SN-" + std::to_string(seed), "ann", "lot 12", ""}, folder);
    sim.wire(run);
    Tested t{{}, run.run(), {}};
    t.result = run.result();
    for (const StepResult& s : t.result.steps) {
        for (const PassOutcome& p : s.passes) {
            t.trueEfficiencies.push_back(p.truth ? p.truth->outputPower / p.truth->inputPower * 100 : 0);
        }
    }
    return t;
}

} // namespace

// Noise and channel errors off: every unit of a lot of 50 gets its true
// verdict; with both on (the errors drawn within the declared accuracy), no
// unit of 400 whose true efficiency lies outside a limit passes.
TEST(UnitTestRun, ALotOfFiftyGetsItsTrueVerdicts) {
    QTemporaryDir dir;
    std::map<std::string, int> verdicts;
    LotYield expected; // from the true verdicts alone
    for (unsigned seed = 1; seed <= 50; ++seed) {
        // Every tenth unit is tested twice (a retest gets the same verdict here).
        const int times = seed % 10 == 0 ? 2 : 1;
        for (int n = 0; n < times; ++n) {
            const Tested t = testUnit(seed, false, {}, dir.path().toStdString());
            ASSERT_EQ(t.ended, UnitTestRun::Ended::Finished);
            ASSERT_TRUE(t.result.trueVerdict.has_value()) << seed;
            EXPECT_EQ(verdictName(t.result.verdict), std::string(verdictName(*t.result.trueVerdict)))
                << "unit " << seed << ": " << (t.result.reasons.empty() ? "" : t.result.reasons.front());
            EXPECT_EQ(t.result.attempt, n + 1);
            ++verdicts[verdictName(t.result.verdict)];
            const Verdict truly = *t.result.trueVerdict;
            expected.units += n == 0 ? 1 : 0;
            expected.retests += n;
            expected.firstPass += n == 0 && truly == Verdict::Pass ? 1 : 0;
            if (n == times - 1) {
                expected.finalPass += truly == Verdict::Pass ? 1 : 0;
                expected.conditionalPass += truly == Verdict::ConditionalPass ? 1 : 0;
                expected.conditionalFail += truly == Verdict::ConditionalFail ? 1 : 0;
                expected.fail += truly == Verdict::Fail ? 1 : 0;
            }
        }
    }
    // The Units tab's figures from the folder's unit-tests.csv.
    const auto yields = yieldOf(readUnitTests({dir.path().toStdString()}), {});
    ASSERT_EQ(yields.size(), 1u);
    const LotYield& y = yields.front();
    EXPECT_EQ(y.lot, "lot 12");
    EXPECT_EQ(y.plan, "lot test, version 1");
    for (auto [got, want, what] : {std::tuple{y.units, expected.units, "units"},
                                   {y.tests, 55, "tests"},
                                   {y.retests, expected.retests, "retests"},
                                   {y.firstPass, expected.firstPass, "first pass"},
                                   {y.finalPass, expected.finalPass, "final pass"},
                                   {y.conditionalPass, expected.conditionalPass, "conditional pass"},
                                   {y.conditionalFail, expected.conditionalFail, "conditional fail"},
                                   {y.fail, expected.fail, "fail"}}) {
        EXPECT_EQ(got, want) << what;
    }
    // The lot is no walk-over: its units spread over the verdicts.
    EXPECT_GE(verdicts["PASS"], 1);
    EXPECT_GE(55 - verdicts["PASS"], 5);
    EXPECT_GE(verdicts.size(), 3u);
    for (const auto& [word, count] : verdicts) {
        std::printf("exact bench: %-18s %d\n", word.c_str(), count);
    }

    const double limits[]{78.0, 86.0, 87.5};
    int passed = 0, outside = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        const Accuracy a = tightAccuracy();
        const Tested t = testUnit(seed, true,
                                  drawBenchErrors(seed + 1000, a.gainPercent, a.voltageProbePercent,
                                                  a.currentProbePercent, a.phaseLagDegrees));
        ASSERT_EQ(t.ended, UnitTestRun::Ended::Finished);
        bool trulyOutside = false;
        for (std::size_t step = 0; step < t.trueEfficiencies.size(); ++step) {
            trulyOutside = trulyOutside || t.trueEfficiencies[step] < limits[step];
        }
        outside += trulyOutside ? 1 : 0;
        passed += t.result.verdict == Verdict::Pass ? 1 : 0;
        EXPECT_FALSE(trulyOutside && t.result.verdict == Verdict::Pass) << "unit " << seed << " passed";
    }
    EXPECT_GE(outside, 5) << "the lot holds units truly outside a limit";
    std::printf("channel errors on: %d passed, %d truly outside a limit\n", passed, outside);
}

// Stopped at the second step: NO VERDICT, where it stopped, a row and a
// report that say so; the same unit again is a retest with an id of its own.
TEST(UnitTestRun, AStoppedTestHasNoVerdictAndARetestCounts) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    SimBench bench;
    bench.transformer = unitOf(TransformerModel::splitFlux(), 7);
    SimUnit sim(bench);
    sim.op.stopAtStep = 1;
    UnitTestRun first(sim.session, lotPlan(), sim.op, {"SN-7", "ann", "lot 12", ""}, folder);
    sim.wire(first);
    std::vector<ReportDocument> reports;
    const auto keep = [&reports](const UnitTestResult& r, std::string&) {
        reports.push_back(unitTestReport(r, LabProfile{"Bench lab", "1 Test Road", "", "lab.json"}, r.ended));
        return reportFileName(reports.back(), "pdf");
    };
    first.writeReport = keep;
    ASSERT_EQ(first.run(), UnitTestRun::Ended::Stopped);
    EXPECT_EQ(first.result().verdict, Verdict::NoVerdict);
    EXPECT_EQ(first.result().stoppedAt, "step 2 (half load): stopped by the operator");
    ASSERT_EQ(reports.size(), 1u);
    bool deviation = false;
    for (const auto& s : reports[0].sections) {
        for (const auto& line : s.lines) {
            deviation =
                deviation || (s.heading == "Deviations" && line.find("step 2 (half load)") != std::string::npos);
        }
    }
    EXPECT_TRUE(deviation);
    EXPECT_EQ(reports[0].verdict.front(), "UNIT VERDICT: NO VERDICT");

    // Resumed: the same test goes on at step 2; its report the next issue.
    sim.op.stopAtStep = -1;
    ASSERT_EQ(first.resume(), UnitTestRun::Ended::Finished);
    EXPECT_EQ(first.result().steps.size(), 3u);
    EXPECT_EQ(first.result().steps.front().passes.size(), 1u) << "step 1 not measured again";
    EXPECT_EQ(first.result().reportIssue, 2);
    EXPECT_EQ(first.result().replacesReport, first.result().id + "/1");
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].id, first.result().id + "/2");
    EXPECT_EQ(reports[1].replaces, first.result().id + "/1");
    EXPECT_EQ(UnitTestRun::testsOf(folder, "SN-7"), 1) << "a resumed test is one test";
    const auto yields = yieldOf(readUnitTests({folder}), {});
    ASSERT_EQ(yields.size(), 1u);
    EXPECT_EQ(yields[0].tests, 1);
    EXPECT_EQ(yields[0].noVerdict, 0) << "the resumed test's last row counts";
    reports.erase(reports.begin());

    UnitTestRun again(sim.session, lotPlan(), sim.op, {"SN-7", "ann", "lot 12", ""}, folder);
    sim.wire(again);
    again.writeReport = keep;
    ASSERT_EQ(again.run(), UnitTestRun::Ended::Finished);
    EXPECT_EQ(again.result().attempt, 2);
    EXPECT_NE(again.result().id, first.result().id);
    EXPECT_EQ(UnitTestRun::testsOf(folder, "SN-7"), 2);
    // Every pass names the unit, the operator, the lot, its test and step.
    for (const StepResult& s : again.result().steps) {
        for (const PassOutcome& p : s.passes) {
            EXPECT_EQ(p.belongs.unit, "SN-7");
            EXPECT_EQ(p.belongs.operatorName, "ann");
            EXPECT_EQ(p.belongs.lot, "lot 12");
            EXPECT_EQ(p.belongs.unitTestId, again.result().id);
            EXPECT_EQ(p.belongs.step, std::to_string(s.number) + " " + s.name);
        }
    }
    // The amendment names the report it replaces, under an id of its own.
    const ReportDocument amended = amendedReport(reports[1], "the lot is 12a", QDateTime::currentDateTime());
    EXPECT_EQ(amended.id, again.result().id + "/2");
    EXPECT_EQ(amended.replaces, again.result().id + "/1");
    EXPECT_NE(reportFileName(amended, "pdf"), reportFileName(reports[1], "pdf"));
    EXPECT_EQ(reportFromJson(reportJson(amended))->sections.size(), amended.sections.size());
}

// Plans and serials that must not run: one line each, nothing measured,
// nothing written.
TEST(UnitTestRun, BadPlansAndSerialsAreRefusedInOneLine) {
    QTemporaryDir dir;
    QFile limits(dir.filePath(QStringLiteral("full.json")));
    ASSERT_TRUE(limits.open(QIODevice::WriteOnly));
    limits.write(
        R"j({"name": "full", "version": "1", "rule": "simple", "limits": {"output power (W)": {"lower": 7}}})j");
    limits.close();
    const std::string step =
        R"j("name": "s", "supply": "10.0", "load": "9.4", "capacitor": "10", "passes": 1, "prompt": "p")j";
    const std::string inlineSet = R"j("limits": {"name": "x", "version": "1", "rule": "simple", "limits": )j";
    const auto plan = [](const std::string& steps, const std::string& extra = "") {
        return R"j({"name": "n", "version": "1", "transformer": "SPLIT-FLUX TRANSFORMER #1", )j" + extra +
               R"j("steps": [)j" + steps + "]}";
    };
    const struct {
        std::string json, says;
    } cases[]{
        {plan("{" + step + ", " + inlineSet + R"j({"efficiency": {"lower": 80}}}})j"), "unknown column \"efficiency\""},
        {plan(R"j({"name": "s", "supply": "10.0", "load": "9.4", "passes": 1, "prompt": "p", )j" + inlineSet +
              R"j({"output power (W)": {"lower": 7}}}})j"),
         "step 1: has no \"capacitor\""},
        {plan("{" + step + R"j(, "limits file": "full.json", "limits sha256": ")j" + std::string(64, '0') + "\"}"),
         "is not the one the plan was written for"},
        {plan("{" + step + R"j(, "limits file": "full.json"})j"), "needs \"limits sha256\""},
        {plan("{" + step + "}"), "needs \"limits\" (a limit set) or \"limits file\""},
        {plan("{" + step + ", " + inlineSet + R"j({"output power (W)": {"lower": 7}}}, "colour": 1})j"),
         "step 1: \"colour\" is not a key"},
        {plan("{" + step + ", " + inlineSet + R"j({"output power (W)": {"lower": 7}}}})j", R"j("speed": 2, )j"),
         "\"speed\" is not a key"},
        {plan(R"j({"name": "s", "supply": "12.0", "load": "9.4", "capacitor": "10", "passes": 1, "prompt": "p", )j" +
              inlineSet + R"j({"output power (W)": {"lower": 7}}}})j"),
         "\"supply\" is \"12.0\", not one of"},
        {plan(""), "\"steps\" is not a list of 1 to 100 steps"},
    };
    for (const auto& c : cases) {
        const auto read = unitTestPlanFromJson(c.json, dir.path().toStdString());
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << c.json;
        const std::string& why = std::get<std::string>(read);
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
        EXPECT_EQ(why.find('\n'), std::string::npos) << why;
    }
    // The file's own SHA-256 (in capitals too) reads.
    ASSERT_TRUE(limits.open(QIODevice::ReadOnly));
    const std::string sha =
        QCryptographicHash::hash(limits.readAll(), QCryptographicHash::Sha256).toHex().toUpper().toStdString();
    const auto good =
        unitTestPlanFromJson(plan("{" + step + R"j(, "limits file": "full.json", "limits sha256": ")j" + sha + "\"}"),
                             dir.path().toStdString());
    ASSERT_TRUE(std::holds_alternative<UnitTestPlan>(good)) << std::get<std::string>(good);
    EXPECT_EQ(std::get<UnitTestPlan>(good).steps.front().limits.sha256,
              QString::fromStdString(sha).toLower().toStdString());

    SimBench bench;
    SimUnit sim(bench);
    for (const std::string& serial : {std::string(""), std::string("   "),
                                      std::string("SN\x07"
                                                  "1"),
                                      std::string(65, 'x')}) {
        UnitTestRun run(sim.session, lotPlan(), sim.op, {serial, "ann", "", ""}, dir.path().toStdString());
        EXPECT_EQ(run.run(), UnitTestRun::Ended::Failed) << serial;
        EXPECT_NE(run.problem.find("the unit's serial"), std::string::npos) << run.problem;
    }
    EXPECT_EQ(sim.op.prompts, 0) << "nothing was run";
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("unit-tests.csv"))));
}
