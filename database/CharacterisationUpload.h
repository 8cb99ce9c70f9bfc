#pragma once

#include <QSqlDatabase>
#include <QString>
#include <string>
#include <vector>

// The characterisations a record folder keeps (characterisation-<id>.json),
// each sent once to the lab database's table of its own: the id, bench,
// start, plan and the whole file as a JSON document. Which were sent (or set
// aside, and why) is kept beside them in database-characterisations.csv.
namespace CharacterisationUpload {

inline constexpr const char* SentFile = "database-characterisations.csv";

// How many of the folder's characterisations are neither sent nor set aside.
std::size_t waiting(const QString& folder);

// The table, as the layout makes it.
std::string createTable();

// Sends those not sent yet; the lines to tell (one a characterisation
// stored or set aside). False on an outage (why says it): those not sent are
// tried again later.
bool sendNew(QSqlDatabase& db, const QString& folder, std::vector<std::string>& said, std::string& why);

} // namespace CharacterisationUpload
