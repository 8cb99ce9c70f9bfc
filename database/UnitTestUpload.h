#pragma once

#include <QSqlDatabase>
#include <QString>
#include <string>
#include <vector>

// The unit tests a record folder keeps (unit-tests.csv), each row sent once
// to the lab database's table unit_tests: a column each of the file's, and
// the whole row as a JSON document. Its key is the unit test id and when it
// ended (a test stopped and resumed has a row for each end). Which rows were
// sent (or set aside, and why) is kept in database-unit-tests.csv.
namespace UnitTestUpload {

inline constexpr const char* SentFile = "database-unit-tests.csv";

// How many of the folder's rows are neither sent nor set aside.
std::size_t waiting(const QString& folder);
// The folder's file as it is now (its size and last change): one that has
// not changed since none of its rows waited needs no reading again.
std::string fileState(const QString& folder);

// The table and its index, as the layout makes them.
std::vector<std::string> createStatements();

// Sends the rows not sent yet; the lines to tell (one a row stored or set
// aside). False on an outage (why says it): those not sent are tried again
// later.
bool sendNew(QSqlDatabase& db, const QString& folder, std::vector<std::string>& said, std::string& why);

} // namespace UnitTestUpload
