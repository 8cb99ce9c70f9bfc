#include "CharacterisationRun.h"
#include "MeasuringSession.h"
#include "NumberText.h"
#include "TestRig.h"

#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

// A characterisation run on the simulated bench through the session, as an
// operator would step it, against the circuit's own truth.

namespace {

struct Anybody final : PlanOperator {
    int stopAtPoint = -1; // the prompt of this point (0-based) is answered STOP
    int prompts = 0;
    bool ready(const std::string&) override { return prompts++ != stopAtPoint; }
};

// A session on a simulated bench of its own, its settings read; the bench
// moved to each point by the run.
struct SimCharacterisation {
    explicit SimCharacterisation(const SimBench& bench) {
        desk.scope.attach(bench);
        session.prepare();
        session.connect();
        session.openSettings();
        session.Settings.getSettings();
    }
    std::optional<CircuitTruthAt> truthAt(double volts) const {
        const CircuitTruth t = circuitTruth(desk.scope.bench->transformer, volts, 60, 10); // the plan's 10 uF
        return CircuitTruthAt{t.noLoadLoss, t.referredResistance, t.bestEfficiency, t.bestLoadOhms};
    }
    void wire(CharacterisationRun& run) {
        run.benchTo = [this](const CharacterisationPlan::Point& p) {
            desk.scope.bench->conditions.supplyVolts = parseNumber(p.supply).value_or(0);
            desk.scope.bench->conditions.loadOhms = parseNumber(p.load);
            desk.scope.bench->conditions.loadMicrofarads = 10;
        };
        run.truthAt = [this](double v) { return truthAt(v); };
    }
    SimulatedDesk<VirtualClock> desk{1000u};
    ScriptedPump pump;
    RecordingClipboard clipboard;
    RecordingKeys keys{desk.clock};
    RecordingCarets carets;
    MeasuringSession session{desk.platformOn(desk.d2xx, pump, clipboard, keys, carets)};
    Anybody op;
};

SimBench benchOf(const TransformerModel& t, double volts) {
    SimBench bench;
    bench.transformer = t;
    bench.conditions.supplyVolts = volts;
    return bench;
}

CharacterisationPlan planOf(TransformerKind kind, std::vector<std::string> supplies, int passes = 2) {
    CharacterisationPlan plan = defaultPlan(kind);
    plan.supplies = std::move(supplies);
    plan.passesPerPoint = passes;
    return plan;
}

} // namespace

// Noise and errors off: the fit finds the circuit through the scope's
// five-digit answers as it did through the circuit's exact readings.
TEST(CharacterisationRun, OnAnExactBenchTheFitFindsTheCircuit) {
    const struct {
        TransformerModel model;
        TransformerKind kind;
        std::vector<std::string> supplies;
    } cases[]{{TransformerModel::splitFlux(), TransformerKind::SplitFlux, {"10.0"}},
              {TransformerModel::standard(), TransformerKind::Standard, {"40.0", "50.0"}}};
    for (const auto& c : cases) {
        SimBench bench = benchOf(c.model, parseNumber(c.supplies.front()).value_or(0));
        bench.noiseDivisions = 0;
        SimCharacterisation sim(bench);
        CharacterisationRun run(sim.session, planOf(c.kind, c.supplies), sim.op);
        sim.wire(run);
        ASSERT_EQ(run.run(), CharacterisationRun::Ended::Finished) << run.problem << "\n" << joined(sim.session.panel.List1.lines);
        ASSERT_TRUE(run.result().problem.empty()) << run.result().problem;
        for (const SupplyFit& s : run.result().supplies) {
            const CircuitTruthAt t = *sim.truthAt(s.supplyVolts);
            const std::string where = c.model.name + " at " + std::to_string(s.supplyVolts);
            EXPECT_NEAR(s.p0.value / t.noLoadLoss, 1, 0.01) << where;
            EXPECT_NEAR(s.rEq.value / t.referredResistance, 1, 0.02) << where << ": " << s.rEq.value;
            EXPECT_NEAR(s.bestEfficiency.value / t.bestEfficiency, 1, 0.002) << where;
            EXPECT_NEAR(s.bestLoadOhms.value / t.bestLoadOhms, 1, 0.02) << where;
        }
        EXPECT_EQ(run.passIds().size(), run.plan().points().size() * 2);
    }
}
