#include "CharacterisationPlan.h"
#include "Clock.h"
#include "HeadlessCharacterisation.h"
#include "HeadlessRun.h"
#include "LineOperator.h"
#include "MeasurementRecord.h"
#include "NumberText.h"
#include "PassOutcome.h"
#include "SimD2xx.h"
#include "SimScope.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>

// A headless run with --fast-reads on the simulated bench and the real clock,
// beside the line time of the bytes it moved: 10 bits a byte at 9600 baud is
// the physical limit. Two figures: from the start to the first row (the
// connection, GET SETTINGS and a pass), and one pass (from one row to the next).

namespace {

double lineSeconds(std::uint64_t bytes) {
    return static_cast<double>(bytes) * 10.0 / 9600.0;
}

void BM_HeadlessRunBesideItsLineTime(benchmark::State& state) {
    double toFirstRow = 0, toFirstRowLine = 0, pass = 0, passLine = 0;
    for (auto _ : state) {
        RealClock clock;
        SimScope scope;
        scope.attach(SimBench{});
        SimD2xx d2xx(scope, clock);
        d2xx.fastReads = true;
        HeadlessChoices choices;
        choices.loadResistor = "9.4";
        choices.supply = "10";
        choices.capacitor = "100";
        choices.passes = 2;
        HeadlessRun run(choices, d2xx, clock);
        run.simulated = true;
        std::FILE* nowhere = std::fopen("/dev/null", "w");
        run.rows = nowhere;
        run.events = nowhere;
        std::vector<std::pair<std::chrono::steady_clock::time_point, std::uint64_t>> rows;
        run.rowWritten = [&](const PassOutcome&) {
            rows.emplace_back(std::chrono::steady_clock::now(), d2xx.bytesMoved());
        };
        const auto start = std::chrono::steady_clock::now();
        run.run();
        std::fclose(nowhere);
        if (rows.size() != 2) {
            state.SkipWithError("the run did not give two rows");
            return;
        }
        toFirstRow += std::chrono::duration<double>(rows[0].first - start).count();
        toFirstRowLine += lineSeconds(rows[0].second);
        pass += std::chrono::duration<double>(rows[1].first - rows[0].first).count();
        passLine += lineSeconds(rows[1].second - rows[0].second);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["first_row_ms"] = toFirstRow / n * 1000;
    state.counters["first_row_line_ms"] = toFirstRowLine / n * 1000;
    state.counters["first_row_ratio"] = toFirstRow / toFirstRowLine;
    state.counters["pass_ms"] = pass / n * 1000;
    state.counters["pass_line_ms"] = passLine / n * 1000;
    state.counters["pass_ratio"] = pass / passLine;
}
BENCHMARK(BM_HeadlessRunBesideItsLineTime)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// A whole characterisation plan of each transformer run without windows on
// the simulated bench with --fast-reads and the real clock: its wall time
// beside the line time of every byte it moved (the picks, the set-up runs and
// the passes), and beside its passes' own.
void BM_CharacterisationBesideItsLineTime(benchmark::State& state) {
    const auto kind = static_cast<TransformerKind>(state.range(0));
    double wall = 0, line = 0, passesWall = 0, passesLine = 0;
    for (auto _ : state) {
        RealClock clock;
        SimScope scope;
        SimBench bench;
        const CharacterisationPlan plan = defaultPlan(kind);
        bench.transformer =
            kind == TransformerKind::Standard ? TransformerModel::standard() : TransformerModel::splitFlux();
        scope.attach(bench);
        SimD2xx d2xx(scope, clock);
        d2xx.fastReads = true;
        HeadlessRun run(HeadlessChoices{}, d2xx, clock);
        run.simulated = true;
        std::FILE* nowhere = std::fopen("/dev/null", "w");
        run.rows = nowhere;
        run.events = nowhere;
        HeadlessCharacterisation characterisation;
        characterisation.plan = plan;
        characterisation.events = nowhere;
        characterisation.benchTo = [&scope, &plan](const CharacterisationPlan::Point& p) {
            scope.bench->conditions.supplyVolts = parseNumber(p.supply).value_or(0);
            scope.bench->conditions.loadOhms = parseNumber(p.load);
            scope.bench->conditions.loadMicrofarads = parseNumber(plan.capacitor).value_or(0);
        };
        LineOperator op(true, nowhere);
        int status = -1;
        run.plan = [&](MeasuringSession& session, std::function<void()>& stopHook) {
            return status = characterisation.run(session, op, stopHook);
        };
        // Each pass timed from its start (the row before it, or the plan's
        // start) to its row; its bytes likewise.
        auto last = std::chrono::steady_clock::now();
        std::uint64_t lastBytes = 0;
        run.rowWritten = [&](const PassOutcome&) {
            const auto now = std::chrono::steady_clock::now();
            passesWall += std::chrono::duration<double>(now - last).count();
            passesLine += lineSeconds(d2xx.bytesMoved() - lastBytes);
            last = now;
            lastBytes = d2xx.bytesMoved();
        };
        const auto start = std::chrono::steady_clock::now();
        run.run();
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        line += lineSeconds(d2xx.bytesMoved());
        std::fclose(nowhere);
        if (status != 0) {
            state.SkipWithError("the characterisation did not finish");
            return;
        }
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["wall_s"] = wall / n;
    state.counters["line_s"] = line / n;
    state.counters["ratio"] = wall / line;
    state.counters["rows_ratio"] = passesWall / passesLine;
}
BENCHMARK(BM_CharacterisationBesideItsLineTime)
    ->Arg(static_cast<int>(TransformerKind::SplitFlux))
    ->Arg(static_cast<int>(TransformerKind::Standard))
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
