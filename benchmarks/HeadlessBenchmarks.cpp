#include "Clock.h"
#include "HeadlessRun.h"
#include "MeasurementRecord.h"
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

double lineSeconds(std::uint64_t bytes) { return static_cast<double>(bytes) * 10.0 / 9600.0; }

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

} // namespace

BENCHMARK_MAIN();
