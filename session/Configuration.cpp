#include "Configuration.h"

#include "AccuracySet.h"
#include "KeptSettings.h"
#include "MeasuringSession.h"

#include <QSysInfo>
#include <cstdio>

namespace {

std::string percentText(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string accuracyText(const Accuracy& a) {
    return "scope gain " + percentText(a.gainPercent) + " %, offset " + percentText(a.offsetDivisions) +
           " div, voltage probe " + percentText(a.voltageProbePercent) + " %, current probe " +
           percentText(a.currentProbePercent) + " %, lag " + percentText(a.phaseLagDegrees) + " deg, resistor " +
           percentText(a.resistorPercent) + " %, k " + percentText(a.coverage);
}

} // namespace

std::optional<Accuracy> keptAccuracy(const std::string& adapter) {
    const QString json = KeptSettings::accuracy(QString::fromStdString(adapter));
    if (json.isEmpty()) {
        return std::nullopt;
    }
    auto read = accuracyFromJson(json.toStdString());
    return std::holds_alternative<Accuracy>(read) ? std::optional<Accuracy>(std::get<Accuracy>(read)) : std::nullopt;
}

void keepAccuracy(const std::string& adapter, const Accuracy& a) {
    KeptSettings::keepAccuracy(QString::fromStdString(adapter), QString::fromStdString(accuracyJson(a)));
}

std::optional<LimitSet> keptLimits() {
    const QByteArray bytes = KeptSettings::limitSet();
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    auto read = limitSetFromJson(bytes.toStdString());
    return std::holds_alternative<LimitSet>(read) ? std::optional<LimitSet>(std::get<LimitSet>(read)) : std::nullopt;
}

void keepLimits(const std::optional<LimitSet>& set, const std::string& bytes) {
    if (set && bytes.empty()) {
        return; // the set it had (from --limits or kept before): nothing new to keep
    }
    KeptSettings::keepLimitSet(set ? QByteArray::fromStdString(bytes) : QByteArray());
}

Configuration resolveConfiguration(const ConfigurationGiven& given, const std::string& adapter) {
    Configuration c;
    if (given.accuracy) {
        c.accuracy = *given.accuracy;
        c.accuracyFrom = "file " + given.accuracyFile;
    } else if (auto kept = keptAccuracy(adapter)) {
        c.accuracy = *kept;
        c.accuracyFrom = "kept for adapter " + adapter;
    } else {
        c.accuracyFrom = "the defaults";
    }
    if (given.limits) {
        c.limits = given.limits;
        c.limitsFrom = "file " + given.limitsFile;
    } else if ((c.limits = keptLimits())) {
        c.limitsFrom = "kept";
    }
    c.calibrations = calibrationsFromText(KeptSettings::calibrations(QString::fromStdString(adapter)).toStdString());
    c.calibrationDays = given.calibrationDays;
    if (given.bench) {
        KeptSettings::keepBenchName(QString::fromStdString(*given.bench));
        c.bench = *given.bench;
        c.benchFrom = "given";
    } else if (const QString kept = KeptSettings::benchName(); !kept.isEmpty()) {
        c.bench = kept.toStdString();
        c.benchFrom = "kept";
    } else {
        c.bench = QSysInfo::machineHostName().toStdString();
        c.benchFrom = "the host's name";
    }
    return c;
}

void applyConfiguration(MeasuringSession& session, const Configuration& c) {
    session.accuracy = c.accuracy;
    session.limits = c.limits;
    session.calibrations = c.calibrations;
    session.calibrationDays = c.calibrationDays;
    session.benchName = c.bench;
    session.calibrationsChanged = [&session](const std::vector<ChannelCalibration>& kept) {
        KeptSettings::keepCalibrations(QString::fromStdString(session.adapterName()),
                                       kept.empty() ? QString() : QString::fromStdString(calibrationsText(kept)));
    };
    session.showLimits();
}

std::string configurationLine(const Configuration& c, const std::string& calibrationStatus) {
    return "configuration: accuracy from " + c.accuracyFrom + " (" + accuracyText(c.accuracy) + "); " +
           calibrationStatus + "; " +
           (c.limits ? "limit set " + c.limits->title() + " (" + c.limitsFrom + ")" : std::string("no limit set")) +
           "; bench " + c.bench + " (" + c.benchFrom + ")";
}
