#include "MeasurementRecord.h"
#include "RecordFolder.h"
#include "ResultsTable.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// With --record, what the user-interface thread spends handing a pass's row
// over, and what the writing thread spends putting it on the disk (fsync).

namespace {

PassRecord typicalRow() {
    PassRecord row;
    row.when = QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5));
    row.transformer = "SPLIT-FLUX TRANSFORMER #1";
    row.supply = "10.0";
    row.loadResistor = "9.4";
    row.loadCapacitor = "100";
    row.sampleAverage = "16";
    for (std::size_t i = 0; i < PassOutcome::ValueCount; ++i) {
        row.outcome.answers[i] = "1.2345E+01";
        row.outcome.values[i] = 12.345 + static_cast<double>(i);
    }
    for (std::size_t i = 0; i < PassOutcome::FigureCount; ++i) {
        row.outcome.figures[i] = 1.0 / 3.0 + static_cast<double>(i);
    }
    row.boxes.fill("12.3450");
    return row;
}

void BM_HandingARowOverOnTheUserInterfaceThread(benchmark::State& state) {
    QTemporaryDir folder;
    MeasurementRecord record(folder.path().toStdString());
    const PassRecord row = typicalRow();
    for (auto _ : state) {
        record.passEnded(row);
    }
    record.finish();
}
BENCHMARK(BM_HandingARowOverOnTheUserInterfaceThread)->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_WritingARowToTheDisk(benchmark::State& state) {
    QTemporaryDir folder;
    const RecordFolder disk(folder.path().toStdString());
    const std::string header = ResultsTable::header();
    const std::string line = ResultsTable::row(typicalRow());
    for (auto _ : state) {
        benchmark::DoNotOptimize(disk.appendLine("results.csv", header, line));
    }
    state.counters["row_bytes"] = static_cast<double>(line.size());
}
BENCHMARK(BM_WritingARowToTheDisk)->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
