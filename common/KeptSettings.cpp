#include "KeptSettings.h"

#include <QDir>
#include <QSettings>

namespace {

QString perAdapter(const char* what, const QString& adapter) {
    return QLatin1String(what) + QLatin1Char('/') + (adapter.isEmpty() ? QStringLiteral("unknown adapter") : adapter);
}

QString text(const QString& key, const QString& fallback = {}) {
    return QSettings().value(key, fallback).toString();
}

void keep(const QString& key, const QString& value) {
    if (value.isEmpty()) {
        QSettings().remove(key);
    } else {
        QSettings().setValue(key, value);
    }
}

} // namespace

namespace KeptSettings {

QString accuracy(const QString& adapter) {
    return text(perAdapter("accuracy", adapter));
}
void keepAccuracy(const QString& adapter, const QString& json) {
    keep(perAdapter("accuracy", adapter), json);
}

QString calibrations(const QString& adapter) {
    return text(perAdapter("calibration", adapter));
}
void keepCalibrations(const QString& adapter, const QString& jsonArray) {
    keep(perAdapter("calibration", adapter), jsonArray);
}

QByteArray limitSet() {
    return QSettings().value(QStringLiteral("limits/file")).toByteArray();
}
void keepLimitSet(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        QSettings().remove(QStringLiteral("limits/file"));
    } else {
        QSettings().setValue(QStringLiteral("limits/file"), bytes);
    }
}

QString benchName() {
    return text(QStringLiteral("bench/name"));
}
void keepBenchName(const QString& name) {
    keep(QStringLiteral("bench/name"), name);
}

QString databaseConnection() {
    return text(QStringLiteral("database/connection"));
}
void keepDatabaseConnection(const QString& connection) {
    keep(QStringLiteral("database/connection"), connection);
}

QString resultsFolder() {
    return text(QStringLiteral("results/lastFolder"), QDir::homePath());
}
void keepResultsFolder(const QString& folder) {
    keep(QStringLiteral("results/lastFolder"), folder);
}

QString operatorName() {
    return text(QStringLiteral("unit/operator"));
}
void keepOperatorName(const QString& name) {
    keep(QStringLiteral("unit/operator"), name);
}
QString lot() {
    return text(QStringLiteral("unit/lot"));
}
void keepLot(const QString& lot) {
    keep(QStringLiteral("unit/lot"), lot);
}
QString labProfile() {
    return text(QStringLiteral("lab/profile"));
}
void keepLabProfile(const QString& json) {
    keep(QStringLiteral("lab/profile"), json);
}

} // namespace KeptSettings
