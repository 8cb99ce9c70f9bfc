#include "DatabaseTarget.h"
#include "LabResultsWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <string>

// The lab window over a database of many passes (LAB_URL, made by
// benchmarks/lab_store_benchmark.py): opening it until its plots are drawn,
// a poll that finds nothing new, and the memory it then holds.

namespace {

long residentKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

void BM_LabWindowOverManyPasses(benchmark::State& state) {
    const char* url = std::getenv("LAB_URL");
    if (url == nullptr) {
        state.SkipWithError("LAB_URL names no database (see benchmarks/lab_store_benchmark.py)");
        return;
    }
    auto target = databaseTarget(url);
    if (!std::holds_alternative<DatabaseTarget>(target)) {
        state.SkipWithError(std::get<std::string>(target).c_str());
        return;
    }
    for (auto _ : state) {
        QElapsedTimer open;
        open.start();
        LabResultsWindow window(std::get<DatabaseTarget>(target));
        window.show();
        QApplication::processEvents();
        state.counters["open_and_draw_ms"] = static_cast<double>(open.nsecsElapsed()) / 1e6;
        QElapsedTimer draw;
        draw.start();
        window.refresh();
        QApplication::processEvents();
        state.counters["group_and_draw_ms"] = static_cast<double>(draw.nsecsElapsed()) / 1e6;
        QElapsedTimer poll;
        poll.start();
        window.pollNow();
        state.counters["poll_nothing_new_ms"] = static_cast<double>(poll.nsecsElapsed()) / 1e6;
        state.counters["passes"] = static_cast<double>(window.shownPasses());
        state.counters["resident_MiB"] = static_cast<double>(residentKiB("VmRSS:")) / 1024.0;
        state.counters["peak_MiB"] = static_cast<double>(residentKiB("VmHWM:")) / 1024.0;
    }
}
BENCHMARK(BM_LabWindowOverManyPasses)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
