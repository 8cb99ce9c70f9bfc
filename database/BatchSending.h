#pragma once

#include "SpoolReader.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <set>
#include <string>
#include <vector>

// Talking to the lab's server for the upload: the connection opened, the
// layout made or brought up to date, and a batch of passes sent in one
// transaction (a row the server refuses found and set aside).
namespace batch_sending {

// A row that cannot go up, and why.
struct SetAside {
    const SpoolReader::Pass* pass;
    std::string reason;
};

enum class Sent { Done, Outage };

std::string errorOf(const QSqlError& e);
// The pass id a row of the record holds (empty when none).
std::string passIdText(const SpoolReader::Pass& p);
bool open(QSqlDatabase& db, std::string& why);
// The layout made under an advisory lock where there is none, a version 1
// upgraded; false with why when this program cannot write to it.
bool readySchema(QSqlDatabase& db, std::string& why);
// Rows set aside go to the server's table of them.
bool insertSetAside(QSqlDatabase& db, const std::vector<SetAside>& rows, std::string& why);
// The batch in one transaction; a row the server refuses is found by going
// through the batch again a row at a time, each under a savepoint, and set
// aside with the server's reason. Rows that are no whole pass are set aside
// without being sent.
Sent send(QSqlDatabase& db, const std::vector<SpoolReader::Pass>& batch, std::set<std::string>& months,
          std::vector<SetAside>& setAside, std::size_t& stored, std::string& why);

} // namespace batch_sending
