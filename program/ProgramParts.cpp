#include "ProgramParts.h"

#include "MeasuringSession.h"
#include "NumberText.h"
#include "ProgramVersion.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdio>

// What the command line gives of the configuration.
ConfigurationGiven givenOf(const ProgramOptions& options) {
    return ConfigurationGiven{options.accuracy,   options.accuracyFile, options.limits,
                              options.limitsFile, options.bench,        options.calibrationDays};
}

// On the simulated bench, its errors: a calibration knows its bench by them.
std::string simulationOf(const ProgramOptions& options) {
    if (!options.simulate) {
        return {};
    }
    return options.simulateErrors ? "simulated bench, errors seed " + std::to_string(*options.simulateErrors)
                                  : std::string("simulated bench, no errors");
}

// The configuration in force for the adapter now open, applied and stated.
Configuration configure(MeasuringSession& session, const ProgramOptions& options) {
    Configuration c = resolveConfiguration(givenOf(options), session.adapterName());
    applyConfiguration(session, c);
    for (auto [given, box] : {std::pair{&options.unit, &session.panel.TextUnit},
                              std::pair{&options.operatorName, &session.panel.TextOperator},
                              std::pair{&options.lot, &session.panel.TextLot}}) {
        if (*given) {
            box->text = **given;
        }
    }
    return c;
}

// --simulate-errors: the bench's errors drawn within the declared accuracy
// (the one in force for the simulated bench).
SimBench::Errors benchErrorsFor(const ProgramOptions& options) {
    if (!options.simulateErrors) {
        return {};
    }
    const Accuracy a = resolveConfiguration(givenOf(options), "simulated").accuracy;
    return drawBenchErrors(*options.simulateErrors, a.gainPercent, a.voltageProbePercent, a.currentProbePercent,
                           a.phaseLagDegrees);
}

// The simulated bench's truth as it was when its answers were measured.
std::optional<PassOutcome::Truth> truthOf(const SimScope& scope) {
    if (!scope.measuredTruth) {
        return std::nullopt;
    }
    return PassOutcome::Truth{scope.measuredTruth->inputPower, scope.measuredTruth->outputPower};
}

// Where the passes wait for the lab database: --record DIR, else the spool
// folder in the user's data folder (named on standard error).
std::string uploadFolder(const ProgramOptions& options) {
    if (options.recordFolder) {
        return *options.recordFolder;
    }
    const QString spool = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
                          QLatin1String(ProgramName) + QStringLiteral("/spool");
    std::fprintf(stderr, "%s: passes wait for the database in %s\n", ProgramName, qPrintable(spool));
    return spool.toStdString();
}

// Where a characterisation keeps its points and its result: the record
// folder, else the user's data folder (named on standard error).
std::string characterisationFolder(const std::string& recordFolder) {
    if (!recordFolder.empty()) {
        return recordFolder;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
                           QLatin1String(ProgramName) + QStringLiteral("/characterisations");
    QDir().mkpath(folder);
    return folder.toStdString();
}

void moveBench(SimBench& bench, const CharacterisationPlan& plan, const CharacterisationPlan::Point& point) {
    moveBench(bench, point.supply, point.load, plan.capacitor);
}

void moveBench(SimBench& bench, const std::string& supply, const std::string& load, const std::string& capacitor) {
    bench.conditions.supplyVolts = parseNumber(supply).value_or(bench.conditions.supplyVolts);
    bench.conditions.loadOhms = parseNumber(load);
    bench.conditions.loadMicrofarads = parseNumber(capacitor).value_or(0);
}

CircuitTruthAt truthAtSupply(const SimBench& bench, const CharacterisationPlan& plan, double volts) {
    const CircuitTruth t =
        circuitTruth(bench.transformer, volts, bench.conditions.frequency, parseNumber(plan.capacitor).value_or(0));
    return CircuitTruthAt{t.noLoadLoss, t.referredResistance, t.bestEfficiency, t.bestLoadOhms};
}
