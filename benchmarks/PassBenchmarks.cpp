#include "Carets.h"
#include "Clipboard.h"
#include "Clock.h"
#include "CpuTime.h"
#include "EventPump.h"
#include "Form1.h"
#include "KeySynth.h"
#include "SimulatedDesk.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>

namespace {

// Virtual time to reach "READY" quickly, then the real clock for the pass.
struct SwitchClock final : Clock {
    std::uint32_t ticks() override { return real ? wall.ticks() : virtualTime.ticks(); }
    void sleep(std::uint32_t ms) override { real ? wall.sleep(ms) : virtualTime.sleep(ms); }
    bool real = false;
    RealClock wall;
    VirtualClock virtualTime;
};

struct ReadyRig : SimulatedDesk<SwitchClock> {
    explicit ReadyRig(bool walkToReady = true) {
        scope.attach(SimBench{}); // the simulated rig, as --simulate has it
        if (!walkToReady) {
            return;
        }
        form.Form_Load();
        form.openSettings();
        form.Settings.getSettings();
        for (auto [combo, item, action] : {std::tuple{&form.Combo1, "9.4", &Form1::loadResistorPicked},
                                           std::tuple{&form.Combo2, "10.0", &Form1::supplyVoltagePicked},
                                           std::tuple{&form.Combo4, "100", &Form1::loadCapacitorPicked}}) {
            combo->text = item;
            (form.*action)();
        }
    }
    NullEventPump pump;
    NoClipboard clipboard;
    NoKeys keys;
    NoCarets carets;
    Platform platform = platformOn(d2xx, pump, clipboard, keys, carets);
    Form1 form{platform};
};

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// A pass as the link is specified: every read waits out its 5-second time-out.
// The interesting figure is how far the pass exceeds the seven time-outs.
void BM_PassOnTheRealClock(benchmark::State& state) {
    ReadyRig rig;
    rig.clock.real = true;
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        rig.form.startCalculation();
        total += seconds(std::chrono::steady_clock::now() - start);
    }
    const double perPass = total / static_cast<double>(state.iterations());
    state.counters["overhead_ms_beyond_35s"] = (perPass - 35.0) * 1000.0;
}
BENCHMARK(BM_PassOnTheRealClock)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// An action with --fast-reads on the real clock beside the line time of the
// bytes it moved: 10 bits a byte at 9600 baud is the physical limit.
void reportLineTime(benchmark::State& state, ReadyRig& rig, const std::function<void()>& action) {
    rig.d2xx.fastReads = true;
    rig.clock.real = true;
    double wall = 0;
    double line = 0;
    for (auto _ : state) {
        const std::uint64_t bytes = rig.d2xx.bytesMoved();
        const auto start = std::chrono::steady_clock::now();
        action();
        wall += seconds(std::chrono::steady_clock::now() - start);
        line += static_cast<double>(rig.d2xx.bytesMoved() - bytes) * 10.0 / 9600.0;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["time_ms"] = wall / n * 1000.0;
    state.counters["line_ms"] = line / n * 1000.0;
    state.counters["ratio"] = wall / line;
}

void BM_LineTimeOfAFastPass(benchmark::State& state) {
    ReadyRig rig;
    reportLineTime(state, rig, [&] { rig.form.startCalculation(); });
}
BENCHMARK(BM_LineTimeOfAFastPass)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LineTimeOfAFastSettingsRead(benchmark::State& state) {
    ReadyRig rig;
    reportLineTime(state, rig, [&] { rig.form.Settings.getSettings(); });
}
BENCHMARK(BM_LineTimeOfAFastSettingsRead)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LineTimeOfAFastConnection(benchmark::State& state) {
    ReadyRig rig(false);
    reportLineTime(state, rig, [&] { rig.form.Form_Load(); });
}
BENCHMARK(BM_LineTimeOfAFastConnection)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// CAPTURE keeps the report on the screen for 5.5 s of waits; they sleep.
void BM_CaptureOnTheRealClock(benchmark::State& state) {
    ReadyRig rig;
    rig.clock.real = true;
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        rig.form.capture();
        cpu += processCpuSeconds() - before;
        wall += seconds(std::chrono::steady_clock::now() - start);
    }
    state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
}
BENCHMARK(BM_CaptureOnTheRealClock)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Many passes on virtual time: real time per pass and memory growth.
std::size_t residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            std::size_t kib = 0;
            status >> kib;
            return kib;
        }
    }
    return 0;
}

void BM_ThousandPassesOnVirtualTime(benchmark::State& state) {
    ReadyRig rig;                // the byte record is off, as in the running program
    rig.form.startCalculation(); // warm up the lists and strings
    const std::size_t before = residentKiB();
    for (auto _ : state) {
        rig.form.startCalculation();
    }
    state.counters["rss_growth_KiB"] = static_cast<double>(residentKiB()) - static_cast<double>(before);
}
BENCHMARK(BM_ThousandPassesOnVirtualTime)->Iterations(1000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
