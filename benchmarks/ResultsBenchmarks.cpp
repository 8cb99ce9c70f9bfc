#include "ResultsTable.h"
#include "ResultsWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

// The results window on a record of 100,000 passes (offscreen): opening it
// until table and plots show, the memory it then holds, and the work one
// appended row costs at that size.

namespace {

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

PassOutcome passNumber(int n) {
    PassOutcome pass;
    pass.when = QDateTime(QDate(2026, 12, 8), QTime(8, 0)).addSecs(n * 30);
    const bool standard = n % 2 == 1;
    pass.setUp = {standard ? "STANDARD TRANSFORMER F-54X" : "SPLIT-FLUX TRANSFORMER #1",
                  standard ? (n % 3 == 0 ? "120.0" : "100.0") : (n % 3 == 0 ? "10.0" : "7.5"),
                  n % 5 == 0 ? "23.1" : "9.4", n % 7 == 0 ? "200" : "100", "16", "campaign " + std::to_string(n / 1000)};
    for (std::size_t v = 0; v < PassOutcome::ValueCount; ++v) {
        pass.values[v] = 1.0 + static_cast<double>(v) + (n % 17) * 0.001;
        pass.answers[v] = "1.2345E+00";
    }
    pass.instrument = {"1.1.0", "ID BENCHSIM DS40,FV:v1.00", "BS40A001", " 3"};
    for (auto& channel : pass.scopeSetUp.channels) {
        channel = {"20X", "1X", "10.00", "10.0 V/div"};
    }
    pass.scopeSetUp.mathScale = "50.00";
    pass.scopeSetUp.mathGain = "50.0 VA/div";
    pass.scopeSetUp.recognised = pass.setUp.transformer;
    for (std::optional<double> Figures::*f :
         {&Figures::InputPhaseAngle, &Figures::ReactiveInputPower, &Figures::ApparentOutputPower,
          &Figures::ApparentMultiplier, &Figures::ApparentMultiplierEfficiency, &Figures::OutputPhaseAngle,
          &Figures::ReactiveOutputPower, &Figures::ResistorOutputPower, &Figures::EfficiencyDifference,
          &Figures::PhaseOutputPowerFactor, &Figures::ResistorOutputPowerFactor}) {
        pass.figures.*f = 1.0 / 3.0 + n % 11;
    }
    pass.figures.PhaseEfficiency = 85.0 + (n % 23) * 0.1;
    pass.figures.ResistorEfficiency = 85.0 + (n % 19) * 0.1;
    pass.figures.ApparentInputPower = 11.0;
    pass.shown.fill("88.87");
    return pass;
}

void BM_ResultsWindowOnAHundredThousandPasses(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("results.csv");
    {
        std::string bytes = ResultsTable::header();
        for (int n = 0; n < 100000; ++n) {
            bytes += ResultsTable::row(passNumber(n));
        }
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    const long before = residentKiB();
    for (auto _ : state) {
        QElapsedTimer open;
        open.start();
        ResultsWindow window({dir.path()});
        window.show();
        while (window.reading()) {
            window.readNew();
        }
        QApplication::processEvents(); // table and plots painted
        const double openMs = static_cast<double>(open.nsecsElapsed()) / 1e6;
        const long resident = residentKiB();

        QFile file(path);
        file.open(QIODevice::Append);
        const std::string row = ResultsTable::row(passNumber(100000));
        file.write(row.data(), static_cast<qint64>(row.size()));
        file.close();
        QElapsedTimer append;
        append.start();
        window.readNew();
        const double appendMs = static_cast<double>(append.nsecsElapsed()) / 1e6;
        append.restart();
        QApplication::processEvents(); // painted
        const double paintMs = static_cast<double>(append.nsecsElapsed()) / 1e6;

        state.counters["rows"] = window.model().rowCount();
        state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
        state.counters["open_and_show_ms"] = openMs;
        state.counters["resident_MiB"] = static_cast<double>(resident) / 1024.0;
        state.counters["resident_growth_MiB"] = static_cast<double>(resident - before) / 1024.0;
        state.counters["one_appended_row_ms"] = appendMs;
        state.counters["its_repaint_ms"] = paintMs;
    }
}
BENCHMARK(BM_ResultsWindowOnAHundredThousandPasses)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
