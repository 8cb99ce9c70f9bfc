#include "CpuTime.h"
#include "ResultsTable.h"
#include "ResultsWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

// The results window on a record of 100,000 passes (offscreen): opening it
// until table and plots show, the memory it then holds, and the work one
// appended row costs at that size.

namespace {

long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}
long residentKiB() {
    return statusKiB("VmRSS:");
}

double childCpuSeconds() {
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) * 1e-6;
}

PassOutcome passNumber(int n) {
    PassOutcome pass;
    pass.when = QDateTime(QDate(2026, 12, 8), QTime(8, 0)).addSecs(n * 30);
    const bool standard = n % 2 == 1;
    pass.setUp = {standard ? "STANDARD TRANSFORMER F-54X" : "SPLIT-FLUX TRANSFORMER #1",
                  standard ? (n % 3 == 0 ? "120.0" : "100.0") : (n % 3 == 0 ? "10.0" : "7.5"),
                  n % 5 == 0 ? "23.1" : "9.4",
                  n % 7 == 0 ? "200" : "100",
                  "16",
                  "campaign " + std::to_string(n / 1000)};
    for (std::size_t v = 0; v < PassOutcome::ValueCount; ++v) {
        pass.values[v] = 1.0 + static_cast<double>(v) + (n % 17) * 0.001;
        pass.answers[v] = "1.2345E+00";
    }
    pass.instrument = {"1.1.0", "ID BENCHSIM DS40,FV:v1.00", "BS40A001", " 3", ""};
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

// A record of `rows` passes, written a few megabytes at a time; `when`
// (none: every 30 s in order) gives pass n its time.
void writeRecord(const QString& path, int rows, const std::function<QDateTime(int)>& when = nullptr) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray::fromStdString(ResultsTable::header()));
    std::string bytes;
    for (int n = 0; n < rows; ++n) {
        PassOutcome pass = passNumber(n);
        if (when) {
            pass.when = when(n);
        }
        bytes += ResultsTable::row(pass);
        if (bytes.size() > (8 << 20)) {
            file.write(bytes.data(), static_cast<qint64>(bytes.size()));
            bytes.clear();
        }
    }
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void BM_ResultsWindowOnAHundredThousandPasses(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("results.csv");
    writeRecord(path, 100000);
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

// Years of passes: a record of PASSES rows (1,000,000 unless the environment
// says otherwise), the processor time and memory the results window needs to
// show it, and beside it, in the same run, pandas' read_csv of the same file.
void BM_ResultsWindowAgainstPandas(benchmark::State& state) {
    const char* rowsText = std::getenv("PASSES");
    const int rows = rowsText != nullptr ? std::atoi(rowsText) : 1000000;
    QTemporaryDir dir;
    const QString path = dir.filePath("results.csv");
    writeRecord(path, rows);
    const long before = residentKiB();
    for (auto _ : state) {
        const double cpu = processCpuSeconds();
        QElapsedTimer open;
        open.start();
        {
            ResultsWindow window({dir.path()});
            window.show();
            while (window.reading()) {
                window.readNew();
            }
            state.counters["reading_cpu_s"] = processCpuSeconds() - cpu;
            QApplication::processEvents();
            state.counters["window_cpu_s"] = processCpuSeconds() - cpu;
            state.counters["window_wall_s"] = static_cast<double>(open.nsecsElapsed()) / 1e9;
            state.counters["window_resident_MiB"] = static_cast<double>(residentKiB()) / 1024.0;
            state.counters["window_growth_MiB"] = static_cast<double>(residentKiB() - before) / 1024.0;
            state.counters["rows"] = window.model().rowCount();
        }
        const double children = childCpuSeconds();
        const std::string command =
            "/usr/bin/python3 -c 'import pandas, sys; pandas.read_csv(sys.argv[1])' '" + path.toStdString() + "'";
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("pandas could not read the file");
        }
        state.counters["pandas_cpu_s"] = childCpuSeconds() - children;
        state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
        state.counters["window_peak_MiB"] = static_cast<double>(statusKiB("VmHWM:")) / 1024.0;
    }
}
BENCHMARK(BM_ResultsWindowAgainstPandas)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The window over folders, its processor time and peak memory beside pandas'
// read_csv of the same files (each a child process of its own).
void windowAgainstPandas(benchmark::State& state, const QStringList& folders, const QStringList& files) {
    const double cpu = processCpuSeconds();
    {
        ResultsWindow window(folders);
        window.show();
        while (window.reading()) {
            window.readNew();
        }
        QApplication::processEvents();
        state.counters["window_cpu_s"] = processCpuSeconds() - cpu;
        state.counters["rows"] = window.model().rowCount();
        state.counters["window_peak_MiB"] = static_cast<double>(statusKiB("VmHWM:")) / 1024.0;
    }
    const double children = childCpuSeconds();
    std::string command = "/usr/bin/python3 -c 'import pandas, sys; [pandas.read_csv(f) for f in sys.argv[1:]]'";
    for (const QString& file : files) {
        command += " '" + file.toStdString() + "'";
    }
    if (std::system(command.c_str()) != 0) {
        state.SkipWithError("pandas could not read the files");
    }
    state.counters["pandas_cpu_s"] = childCpuSeconds() - children;
    state.counters["ratio"] = state.counters["window_cpu_s"] / state.counters["pandas_cpu_s"];
}

int passesFromEnvironment(const char* name, int otherwise) {
    const char* text = std::getenv(name);
    return text != nullptr ? std::atoi(text) : otherwise;
}

// Four benches' folders of PASSES_EACH passes each (250,000 unless the
// environment says otherwise), their times interleaved: a lab comparing its
// benches.
void BM_FourBenchesInterleavedAgainstPandas(benchmark::State& state) {
    const int each = passesFromEnvironment("PASSES_EACH", 250000);
    // KEEP_FOLDERS=DIR keeps the records there for the next run (profiling).
    const char* keep = std::getenv("KEEP_FOLDERS");
    std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    QStringList folders, files;
    for (int bench = 0; bench < 4; ++bench) {
        dirs.push_back(std::make_unique<QTemporaryDir>());
        const QString folder = keep != nullptr
                                   ? QStringLiteral("%1/bench-%2").arg(QString::fromLocal8Bit(keep)).arg(bench)
                                   : dirs.back()->path();
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/results.csv");
        if (!QFileInfo::exists(path)) {
            writeRecord(path, each, [bench](int n) {
                return QDateTime(QDate(2026, 12, 8), QTime(8, 0)).addSecs(n * 30 + bench * 7);
            });
        }
        folders << folder;
        files << path;
    }
    for (auto _ : state) {
        windowAgainstPandas(state, folders, files);
    }
}
BENCHMARK(BM_FourBenchesInterleavedAgainstPandas)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// One folder of PASSES passes (1,000,000 unless the environment says
// otherwise) whose times are shuffled: a bench whose clock was set back.
void BM_ShuffledTimesAgainstPandas(benchmark::State& state) {
    const int rows = passesFromEnvironment("PASSES", 1000000);
    std::vector<int> order(static_cast<std::size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    QTemporaryDir dir;
    const QString path = dir.filePath("results.csv");
    writeRecord(path, rows, [&order](int n) {
        return QDateTime(QDate(2026, 12, 8), QTime(8, 0)).addSecs(order[static_cast<std::size_t>(n)] * 30LL);
    });
    for (auto _ : state) {
        windowAgainstPandas(state, {dir.path()}, {path});
    }
}
BENCHMARK(BM_ShuffledTimesAgainstPandas)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
