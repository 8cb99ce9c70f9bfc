#pragma once

#include <QByteArray>
#include <QString>

// Everything the program keeps between runs (QSettings, in
// ~/.config/transformer-efficiency/), by key, with its default: the one
// place that names them. Values go in and out as the texts they are kept
// as; their readers make them into values and refuse what they cannot read.
namespace KeptSettings {

// The declared accuracy accepted for an adapter ("simulated" for the
// simulated bench), as its JSON file holds it; empty: none kept.
QString accuracy(const QString& adapter);
void keepAccuracy(const QString& adapter, const QString& json);
// The channel calibrations taken with an adapter, newest first, as a JSON
// array; empty: none kept.
QString calibrations(const QString& adapter);
void keepCalibrations(const QString& adapter, const QString& jsonArray);
// The limit set last taken in LIMITS, its file's bytes; empty: none.
QByteArray limitSet();
void keepLimitSet(const QByteArray& bytes);
// The bench's name last given with --bench; empty: none (the host's name).
QString benchName();
void keepBenchName(const QString& name);
// The lab database's connection last given; empty: none.
QString databaseConnection();
void keepDatabaseConnection(const QString& connection);
// The record folder the results window last opened (default: home).
QString resultsFolder();
void keepResultsFolder(const QString& folder);
// Who tests and what: the operator and the lot (kept until changed), the
// lab's profile for reports (its JSON); empty: none.
QString operatorName();
void keepOperatorName(const QString& name);
QString lot();
void keepLot(const QString& lot);
QString labProfile();
void keepLabProfile(const QString& json);

} // namespace KeptSettings
