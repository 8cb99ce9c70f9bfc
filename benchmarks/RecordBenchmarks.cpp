#include "MeasurementRecord.h"
#include "RecordFolder.h"
#include "ResultsTable.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// With --record, what the user-interface thread spends handing a pass's row
// over, and what the writing thread spends putting it on the disk (fsync).

namespace {

PassOutcome typicalRow() {
    PassOutcome row;
    row.when = QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5));
    row.setUp = {"SPLIT-FLUX TRANSFORMER #1", "10.0", "9.4", "100", "16", "unit 4711"};
    for (std::size_t i = 0; i < PassOutcome::ValueCount; ++i) {
        row.answers[i] = "1.2345E+01";
        row.values[i] = 12.345 + static_cast<double>(i);
    }
    double next = 1.0 / 3.0;
    for (std::optional<double> Figures::*figure :
         {&Figures::ApparentInputPower, &Figures::InputPhaseAngle, &Figures::ReactiveInputPower,
          &Figures::ApparentOutputPower, &Figures::ApparentMultiplier, &Figures::ApparentMultiplierEfficiency,
          &Figures::OutputPhaseAngle, &Figures::ReactiveOutputPower, &Figures::PhaseEfficiency,
          &Figures::ResistorOutputPower, &Figures::ResistorEfficiency, &Figures::EfficiencyDifference,
          &Figures::PhaseOutputPowerFactor, &Figures::ResistorOutputPowerFactor}) {
        row.figures.*figure = next++;
    }
    row.shown.fill("12.3450");
    return row;
}

void BM_HandingARowOverOnTheUserInterfaceThread(benchmark::State& state) {
    QTemporaryDir folder;
    MeasurementRecord record(folder.path().toStdString());
    const PassOutcome row = typicalRow();
    for (auto _ : state) {
        record.passEnded(row);
    }
    record.finish();
}
BENCHMARK(BM_HandingARowOverOnTheUserInterfaceThread)->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_WritingARowToTheDisk(benchmark::State& state) {
    QTemporaryDir folder;
    RecordFolder disk(folder.path().toStdString());
    const std::string header = ResultsTable::header();
    const std::deque<std::string> line{ResultsTable::row(typicalRow())};
    for (auto _ : state) {
        benchmark::DoNotOptimize(disk.appendLines("results.csv", header, line));
    }
    state.counters["row_bytes"] = static_cast<double>(line.size());
}
BENCHMARK(BM_WritingARowToTheDisk)->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
