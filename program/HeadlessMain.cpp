#include "HeadlessMain.h"

#include "Clock.h"
#include "Counted.h"
#include "HeadlessCharacterisation.h"
#include "HeadlessRun.h"
#include "HeadlessUnitTest.h"
#include "LineOperator.h"
#include "MeasurementRecord.h"
#include "NumberText.h"
#include "PassUploader.h"
#include "ProgramParts.h"
#include "ReportPdf.h"
#include "SpoolReader.h"
#include "StopSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>
#include <cstdio>
#include <memory>

namespace {

// The simulated bench as the operator would set it up for these picks: the
// transformer a preset names, the supply, the load resistor and capacitor.
SimBench benchFor(const HeadlessChoices& choices) {
    SimBench bench;
    if (choices.preset &&
        QString::fromStdString(*choices.preset).simplified().toUpper().startsWith(QStringLiteral("STANDARD"))) {
        bench.transformer = TransformerModel::standard();
    }
    bench.conditions.supplyVolts = parseNumber(choices.supply).value_or(bench.conditions.supplyVolts);
    bench.conditions.loadOhms = parseNumber(choices.loadResistor);
    bench.conditions.loadMicrofarads = parseNumber(choices.capacitor).value_or(0);
    return bench;
}

// The simulated bench as a plan's first set-up finds it: the plan's
// transformer at its first supply.
SimBench benchForPlan(TransformerKind kind, const std::string& firstSupply) {
    SimBench bench;
    bench.transformer =
        kind == TransformerKind::Standard ? TransformerModel::standard() : TransformerModel::splitFlux();
    bench.conditions.supplyVolts = parseNumber(firstSupply).value_or(bench.conditions.supplyVolts);
    return bench;
}

} // namespace

// --upload: the waiting passes up, then the end; 1 when some still wait.
int runUpload(int argc, char** argv, const ProgramOptions& options) {
    QCoreApplication app(argc, argv);
    const QString folder = QString::fromStdString(uploadFolder(options));
    {
        PassUploader uploader(*options.database, folder);
        uploader.finish(std::chrono::seconds(60));
        for (const std::string& line : uploader.events()) {
            std::fprintf(stderr, "%s\n", line.c_str());
        }
        std::fprintf(stderr, "%s: %s uploaded\n", ProgramName,
                     counted(static_cast<long long>(uploader.uploadedCount()), "pass", "passes").c_str());
    }
    const std::size_t waiting = SpoolReader(folder).waiting();
    if (waiting != 0) {
        std::fprintf(stderr, "%s: %s still %s in %s\n", ProgramName,
                     counted(static_cast<long long>(waiting), "pass", "passes").c_str(),
                     waiting == 1 ? "waits" : "wait", qPrintable(folder));
    }
    return waiting == 0 ? 0 : 1;
}

namespace {

// The record and the lab database a run without windows writes to.
struct RunWiring {
    std::unique_ptr<MeasurementRecord> record;
    std::unique_ptr<PassUploader> uploader;
    std::string folder; // the record's, empty without one

    RunWiring(const ProgramOptions& options, HeadlessRun& run) {
        if (options.database) {
            folder = uploadFolder(options);
            record = std::make_unique<MeasurementRecord>(folder);
            uploader = std::make_unique<PassUploader>(*options.database, QString::fromStdString(folder));
            run.uploader = uploader.get();
            run.databaseWaiting = [where = folder] {
                const auto waiting = static_cast<long long>(SpoolReader(QString::fromStdString(where)).waiting());
                return waiting == 0
                           ? std::string("every pass is in the database")
                           : counted(waiting, "pass", "passes") + (waiting == 1 ? " still waits" : " still wait") +
                                 " for the database in " + where;
            };
        } else if (options.recordFolder) {
            folder = *options.recordFolder;
            record = std::make_unique<MeasurementRecord>(folder);
        }
        run.record = record.get();
    }
};

// The simulated bench set up, the run told of it, and its truth.
void wireSimulatedBench(const ProgramOptions& options, DeviceLibraries& devices, const SimBench& bench,
                        HeadlessRun& run) {
    run.simulated = options.simulate;
    run.simulation = simulationOf(options);
    if (!options.simulate) {
        return;
    }
    devices.scope.attach(bench);
    devices.scope.acquiring = !options.acquisitionStopped;
    devices.scope.bench->errors = benchErrorsFor(options);
    run.benchTruth = [&devices] { return truthOf(devices.scope); };
    run.probesOnOneNode = [&devices](bool on) { devices.scope.bench->probesOnOneNode = on; };
}

} // namespace

int runHeadless(int argc, char** argv, const ProgramOptions& options) {
    QCoreApplication app(argc, argv);
    StopSignals::install();
    RealClock clock;
    DeviceLibraries devices(clock, options);
    HeadlessRun run(*options.headless, devices.chosen(), clock);
    wireSimulatedBench(options, devices, benchFor(*options.headless), run);
    run.configure = [&options](MeasuringSession& session) { return configure(session, options); };
    RunWiring wiring(options, run);
    return run.run();
}

int runCharacterise(int argc, char** argv, const ProgramOptions& options) {
    QCoreApplication app(argc, argv);
    StopSignals::install();
    RealClock clock;
    DeviceLibraries devices(clock, options);
    const CharacterisationPlan& plan = *options.characterise;
    HeadlessRun run(HeadlessChoices{}, devices.chosen(), clock);
    wireSimulatedBench(options, devices, benchForPlan(plan.kind, plan.supplies.front()), run);
    run.configure = [&options](MeasuringSession& session) { return configure(session, options); };
    RunWiring wiring(options, run);
    HeadlessCharacterisation characterisation;
    characterisation.plan = plan;
    characterisation.folder = characterisationFolder(wiring.folder);
    characterisation.resumeId = options.resume;
    if (options.simulate) {
        // The simulated bench's panel moved to each point, as the operator would.
        characterisation.benchTo = [&devices, &plan](const CharacterisationPlan::Point& p) {
            moveBench(*devices.scope.bench, plan, p);
        };
        characterisation.truthAt = [&devices, &plan](double volts) -> std::optional<CircuitTruthAt> {
            return truthAtSupply(*devices.scope.bench, plan, volts);
        };
    }
    LineOperator op(options.simulate, stderr);
    run.plan = [&characterisation, &op](MeasuringSession& session, std::function<void()>& stopHook) {
        return characterisation.run(session, op, stopHook);
    };
    return run.run();
}

namespace {

// A report needs fonts, not a display: the offscreen platform when there is
// no display to draw on.
void withoutDisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

} // namespace

std::string writeUnitTestReport(const UnitTestResult& result, const std::string& folder, std::string& why) {
    const ReportDocument d = unitTestReport(result, readLabProfile(labProfilePath()), QDateTime::currentDateTime());
    return issueReport(d, folder, why);
}

int runUnitTest(int argc, char** argv, const ProgramOptions& options) {
    withoutDisplay();
    QGuiApplication app(argc, argv);
    StopSignals::install();
    RealClock clock;
    DeviceLibraries devices(clock, options);
    const UnitTestPlan& plan = *options.unitTest;
    HeadlessRun run(HeadlessChoices{}, devices.chosen(), clock);
    SimBench bench = benchForPlan(plan.kind, plan.steps.front().supply);
    if (options.simulateUnit) {
        bench.transformer = unitOf(bench.transformer, *options.simulateUnit);
    }
    wireSimulatedBench(options, devices, bench, run);
    run.configure = [&options](MeasuringSession& session) { return configure(session, options); };
    RunWiring wiring(options, run);
    HeadlessUnitTest test;
    test.plan = plan;
    test.who = {options.unit.value_or(""), options.operatorName.value_or(""), options.lot.value_or(""), ""};
    test.folder = characterisationFolder(wiring.folder);
    test.resumeId = options.resume;
    test.writeReport = [folder = test.folder](const UnitTestResult& r, std::string& why) {
        return writeUnitTestReport(r, folder, why);
    };
    if (options.simulate) {
        test.benchTo = [&devices](const UnitTestPlan::Step& s) {
            moveBench(*devices.scope.bench, s.supply, s.load, s.capacitor);
        };
    }
    LineOperator op(options.simulate, stderr);
    run.plan = [&test, &op](MeasuringSession& session, std::function<void()>& stopHook) {
        return test.run(session, op, stopHook);
    };
    return run.run();
}

int runAmendment(int argc, char** argv, const ProgramOptions& options) {
    withoutDisplay();
    QGuiApplication app(argc, argv);
    std::string why;
    const std::string file = issueAmendment(*options.recordFolder, *options.amend, options.correction, why);
    if (file.empty()) {
        std::fprintf(stderr, "%s: %s\n", ProgramName, why.c_str());
        return 1;
    }
    std::fprintf(stderr, "%s: amended report in %s/%s\n", ProgramName, options.recordFolder->c_str(), file.c_str());
    return 0;
}
