#include "Clock.h"
#include "CpuTime.h"
#include "Delay.h"
#include "EventPump.h"

#include <benchmark/benchmark.h>
#include <ctime>

namespace {

// A wait on the real clock should cost no processor time: it sleeps between
// its 100 ms marks instead of polling the tick count.
void BM_RealDelayTwoSeconds(benchmark::State& state) {
    RealClock clock;
    NullEventPump pump;
    double cpu = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        delay(clock, pump, 2000);
        cpu += processCpuSeconds() - before;
    }
    const double wall = 2.0 * static_cast<double>(state.iterations());
    state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
}
BENCHMARK(BM_RealDelayTwoSeconds)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
